#include "AppPaths.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>

namespace {
QMutex overrideLock;
QString overrideFolder;
}  // namespace

namespace AppPaths {

QString applicationDir()
{
    {
        QMutexLocker locker(&overrideLock);
        if (!overrideFolder.isEmpty())
            return overrideFolder;
    }
    return QCoreApplication::applicationDirPath();
}

void setApplicationDir(const QString& folder)
{
    QMutexLocker locker(&overrideLock);
    overrideFolder = folder;
}

QString programSettingsFile()
{
    return applicationDir() + "/conf/" + "vantor-sdr.conf";
}

}  // namespace AppPaths
