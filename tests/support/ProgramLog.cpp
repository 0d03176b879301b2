#include "ProgramLog.h"

#include "core/QLogger.h"

#include <QFile>

namespace {
const char* const LogFile = "logs/vantor-sdr.log";
}

namespace ProgramLog {

void capture()
{
    // Only the first registration of a module counts; later ones change nothing.
    QLogger::QLoggerManager::instance()->addLogFile(LogFile, LogModule, QLogger::TraceLevel);
}

void captureUnfiled()
{
    capture();
    QLogger::QLoggerManager::instance()->addLogFile(LogFile, UnfiledLogModule, QLogger::TraceLevel);
}

QString text()
{
    QFile file(LogFile);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll()) : QString();
}

std::vector<Line> lines()
{
    std::vector<Line> result;
    for (const QString& line : text().split('\n', Qt::SkipEmptyParts)) {
        // "[time] [level] {module} message"
        const int levelStart = line.indexOf("] [") + 3;
        const int levelEnd = line.indexOf(']', levelStart);
        result.emplace_back(line.mid(levelStart, levelEnd - levelStart), line.mid(line.indexOf("} ") + 2));
    }
    return result;
}

QStringList messages()
{
    QStringList result;
    for (const Line& line : lines())
        result << line.second;
    return result;
}

} // namespace ProgramLog
