#include "QLogger.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QTextStream>

#include <cstdarg>
#include <cstdio>

namespace QLogger {

QString levelToText(int level)
{
    switch (level) {
    case TraceLevel:
        return QStringLiteral("Trace");
    case DebugLevel:
        return QStringLiteral("Debug");
    case InfoLevel:
        return QStringLiteral("Info");
    case WarningLevel:
        return QStringLiteral("Warning");
    case ErrorLevel:
        return QStringLiteral("Error");
    case FatalLevel:
        return QStringLiteral("Fatal");
    default:
        return QString();
    }
}

QLoggerWriter::QLoggerWriter(const QString& fileName, int level) : m_fileName(fileName), m_level(level) {}

void QLoggerWriter::write(const QString& module, const QString& message, int messageLevel)
{
    // Log files are always kept under ./logs, whatever name was registered.
    QDir::current().mkpath(QStringLiteral("logs"));

    const int dot = m_fileName.lastIndexOf('.');
    const QString base = dot < 0 ? m_fileName : m_fileName.left(dot);
    const QString rotationTemplate = base + "_%1__%2.log";

    QString rotatedName;
    if (QFileInfo(m_fileName).size() >= RotationSize) {
        const QDateTime now = QDateTime::currentDateTime();
        const QString candidate = rotationTemplate.arg(now.toString("dd_MM_yy"), now.toString("hh_mm_ss"));
        // A failed move (a file of that name exists already) is tried again by the next line.
        if (QFile::rename(m_fileName, candidate))
            rotatedName = candidate;
    }

    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Text))
        return;

    const QString time = QDateTime::currentDateTime().toString("dd-MM-yyyy hh:mm:ss.zzz");
    QTextStream out(&file);
    if (!rotatedName.isEmpty())
        out << QString("%1 - Previuous log %2").arg(time, rotatedName) << '\n';
    out << QString("[%1] [%2] {%3} %4").arg(time, levelToText(messageLevel), module, message) << '\n';
}

QLoggerManager* QLoggerManager::instance()
{
    // Never destroyed: lines may be logged until the process ends.
    static QLoggerManager* manager = new QLoggerManager;
    return manager;
}

QLoggerManager::QLoggerManager()
{
    setObjectName(QStringLiteral("QLoggerManager"));
    start();
}

bool QLoggerManager::addLogFile(const QString& fileName, const QStringList& modules, int level)
{
    QMutexLocker locker(&m_mutex);
    for (const QString& module : modules) {
        if (!m_writers.contains(module)) {
            m_writers.insert(module, new QLoggerWriter(fileName, level));
            return true;
        }
    }
    return false;
}

bool QLoggerManager::addLogFile(const QString& fileName, const QString& module, int level)
{
    return addLogFile(fileName, QStringList{module}, level);
}

void QLoggerManager::closeLogger()
{
    exit(0);
    deleteLater();
}

void QLoggerManager::log(const QString& module, int level, const QString& message)
{
    QMutexLocker locker(&m_mutex);
    QLoggerWriter* writer = m_writers.value(module, nullptr);
    if (writer && level >= writer->level())
        writer->write(module, message, level);
}

void logMessage(const QString& module, int level, const QString& message)
{
    QLoggerManager::instance()->log(module, level, message);
}

void logTrace(const QString& module, const QString& message)
{
    logMessage(module, TraceLevel, message);
}

void logDebug(const QString& module, const QString& message)
{
    logMessage(module, DebugLevel, message);
}

void logInfo(const QString& module, const QString& message)
{
    logMessage(module, InfoLevel, message);
}

void logWarning(const QString& module, const QString& message)
{
    logMessage(module, WarningLevel, message);
}

void logError(const QString& module, const QString& message)
{
    logMessage(module, ErrorLevel, message);
}

void logFatal(const QString& module, const QString& message)
{
    logMessage(module, FatalLevel, message);
}

void logTraceFormat(const QString& module, const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, 1023, format, args);
    va_end(args);
    logMessage(module, TraceLevel, QString::fromLocal8Bit(buffer));
}

} // namespace QLogger
