#pragma once

#include <QMap>
#include <QObject>
#include <QRecursiveMutex>
#include <QString>
#include <QStringList>
#include <QThread>

#include "core/LogModule.h"

// Diagnostic lines into text files. Each module name maps to one writer (one
// file); a line is written on the calling thread before the call returns.
namespace QLogger {

enum Level { TraceLevel = 0, DebugLevel, InfoLevel, WarningLevel, ErrorLevel, FatalLevel };

// "Trace" ... "Fatal" for 0 ... 5; a null string for any other value.
QString levelToText(int level);

// Appends lines to one file and moves the file aside once it reaches 1 MiB.
class QLoggerWriter : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 RotationSize = 1048576;

    QLoggerWriter(const QString& fileName, int level);

    QString fileName() const { return m_fileName; }
    int level() const { return m_level; }

    // Appends "[time] [level name of the message] {module} message".
    void write(const QString& module, const QString& message, int messageLevel);

private:
    QString m_fileName;
    int m_level;
};

// The process-wide map from module name to writer. Writers live until the process ends.
class QLoggerManager : public QThread
{
public:
    static QLoggerManager* instance();

    // Registers the first module of the list that has no writer yet, with a new
    // writer for (fileName, level), and returns true; false when all have one.
    bool addLogFile(const QString& fileName, const QStringList& modules, int level);
    bool addLogFile(const QString& fileName, const QString& module, int level);

    // Asks the manager's idle event loop to end and schedules the manager's deletion.
    void closeLogger();

    // Writes the line when the module has a writer whose level is at most level.
    void log(const QString& module, int level, const QString& message);

private:
    QLoggerManager();

    QRecursiveMutex m_mutex;
    QMap<QString, QLoggerWriter*> m_writers;
};

void logMessage(const QString& module, int level, const QString& message);
void logTrace(const QString& module, const QString& message);
void logDebug(const QString& module, const QString& message);
void logInfo(const QString& module, const QString& message);
void logWarning(const QString& module, const QString& message);
void logError(const QString& module, const QString& message);
void logFatal(const QString& module, const QString& message);
// printf-style, at most 1022 bytes of text (local 8-bit encoding), at level Trace.
void logTraceFormat(const QString& module, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

} // namespace QLogger
