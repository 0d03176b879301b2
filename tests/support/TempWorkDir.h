#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh temporary folder that is, for the life of this object, both the
// process's current directory (logs/, record/, dosdevices/, driver libraries)
// and the application folder (conf/, db/). Restores both when destroyed.
class TempWorkDir
{
public:
    TempWorkDir();
    ~TempWorkDir();
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    QString path() const;
    // path() + "/" + relative
    QString file(const QString& relative) const;

private:
    QTemporaryDir m_dir;
    QString m_previousCwd;
};

// Folder of the built test fixtures (driver libraries, fake servers).
QString fixturesDir();
// Folder of small data files stored with the tests.
QString testDataDir();
