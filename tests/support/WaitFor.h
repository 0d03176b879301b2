#pragma once

// Header-only, like the other helpers that only some test programs use.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>

// Processes the calling thread's events (queued signals) until done() holds
// or timeoutMs passed; returns done().
inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
    return done();
}
