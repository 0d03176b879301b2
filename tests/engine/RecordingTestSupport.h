#pragma once

// Helpers shared by the recorder and player tests.

#include "engine/plugins/CounterPlugin.h"
#include "engine/plugins/PluginManager.h"

#include "WaitFor.h"

#include <QDir>
#include <QStringList>

#include <csignal>
#include <sys/resource.h>

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

// Files this process writes may grow to at most `bytes` (0: no limit) while it
// lives, as on a full disk: a write beyond fails instead of raising SIGXFSZ.
// restore() (or the destructor) puts the previous limit back.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes) : previousHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &previous);
        if (bytes > 0) {
            rlimit small = previous;
            small.rlim_cur = bytes;
            setrlimit(RLIMIT_FSIZE, &small);
        }
    }
    ~FileSizeLimit() { restore(); }
    void restore()
    {
        if (restored)
            return;
        restored = true;
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit previous{};
    void (*previousHandler)(int);
    bool restored = false;
};
