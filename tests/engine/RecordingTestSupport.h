#pragma once

// Helpers shared by the recorder and player tests.

#include "engine/plugins/CounterPlugin.h"
#include "engine/plugins/PluginManager.h"

#include "WaitFor.h"

#include <QDir>
#include <QStringList>

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
