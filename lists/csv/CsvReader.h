#pragma once

#include "lists/csv/AbstractData.h"

#include <QList>
#include <QString>
#include <QStringList>

class QTextCodec;

namespace QtCSV {

// Reads CSV files (see CsvRowParser for the value rules). A null codec means
// UTF-8. Every failure gives one debug line naming the operation.
class CsvReader
{
public:
    // An absolute path with the complete suffix "csv" and a separator.
    static bool checkParams(const QString& filePath, const QString& separator);
    // The file's rows; empty when it cannot be read.
    static QList<QStringList> read(const QString& filePath, const QString& separator = ",",
                                   const QString& textDelimiter = "\"", QTextCodec* codec = nullptr);
    // Appends the file's rows to data; false, and data unchanged, when it cannot be read.
    static bool read(const QString& filePath, AbstractData& data, const QString& separator = ",",
                     const QString& textDelimiter = "\"", QTextCodec* codec = nullptr);

private:
    static bool readRows(const QString& filePath, const QString& separator, const QString& textDelimiter,
                         QTextCodec* codec, QList<QStringList>* rows);
};

} // namespace QtCSV
