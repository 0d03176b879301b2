#pragma once

#include <QString>

namespace QtCSV {

// CSV files are named by absolute paths whose complete suffix is exactly "csv".
bool isCsvFilePath(const QString& filePath);

} // namespace QtCSV
