#include "engine/record/RecordingFiles.h"

#include <QDateTime>
#include <QFile>

namespace RecordingFiles {

QString stamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("ddMMyyyy_hhmmss"));
}

QString path(qint64 frequencyHz, const QString& stamp, const QString& ending)
{
    return QStringLiteral("./record/RX_") + QString::number(double(frequencyHz) / 1e6, 'f', 3) +
           QStringLiteral("_") + stamp + ending;
}

FILE* open(const QString& path, const char* mode)
{
    return std::fopen(QFile::encodeName(path).constData(), mode);
}

} // namespace RecordingFiles
