#pragma once

// Helpers shared by the recorder and player tests.

#include "engine/plugins/CounterPlugin.h"
#include "engine/plugins/PluginManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>

#include <functional>

// Runs the GUI thread's events (queued plug-in calls) until done() or the time is up.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

// The process-wide "counter" plug-in the recorders report to.
inline CounterPlugin* counterPlugin()
{
    return qobject_cast<CounterPlugin*>(PluginManager::instance()->findPlugin("counter"));
}

// Files in "./record" whose names match pattern, sorted by name.
inline QStringList recordings(const QString& pattern)
{
    return QDir("record").entryList({pattern}, QDir::Files, QDir::Name);
}
