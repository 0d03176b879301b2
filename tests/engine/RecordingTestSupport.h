#pragma once

// Helpers shared by the recorder and player tests.

#include "engine/plugins/CounterPlugin.h"
#include "engine/plugins/PluginManager.h"

#include "WaitFor.h"

#include <QDir>
#include <QStringList>

#include <csignal>
#include <sys/resource.h>
#include <vector>

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

// The two ways a recording ends on a file error, each with the start of what the
// user is told; namePrefix is the start of the recorder's file name
// ("./record/RX_7.100_").
struct FileErrorCase
{
    const char* what;
    bool folder;          // "./record" exists
    rlim_t fileSizeLimit; // 0: none
    QString told;
};

inline std::vector<FileErrorCase> fileErrorCases(const QString& namePrefix)
{
    return {{"no record folder", false, 0, namePrefix},
            {"a full disk", true, 4096, "Erreur d'ecriture dans " + namePrefix}};
}
