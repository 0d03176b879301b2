#include "Kv3labLog.h"

#include "app/core/QLogger.h"

#include <QFile>

void enableKv3labLog()
{
    QLogger::QLoggerManager::instance()->addLogFile("logs/kv3lab.log", "kv3lab", QLogger::TraceLevel);
}

QString kv3labLogText()
{
    QFile file("logs/kv3lab.log");
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}
