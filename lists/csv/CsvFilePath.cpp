#include "lists/csv/CsvFilePath.h"

#include <QFileInfo>

namespace QtCSV {

bool isCsvFilePath(const QString& filePath)
{
    const QFileInfo info(filePath);
    return info.isAbsolute() && info.completeSuffix() == QLatin1String("csv");
}

} // namespace QtCSV
