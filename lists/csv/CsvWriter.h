#pragma once

#include "lists/csv/AbstractData.h"
#include "lists/csv/CsvChunkCursor.h"

#include <QString>
#include <QStringList>

class QRandomGenerator;
class QTextCodec;

namespace QtCSV {

// Writes tables to CSV files. A null codec means UTF-8. Every failure gives
// false and one debug line naming the operation.
class CsvWriter
{
public:
    enum Mode { Overwrite = 0, Append = 1 };

    // Appends to the file (mode Append) or replaces it (any other mode).
    static bool write(const QString& filePath, const AbstractData& data, const QString& separator = ",",
                      const QString& textDelimiter = "\"", const int& mode = Overwrite,
                      const QStringList& header = {}, const QStringList& footer = {},
                      QTextCodec* codec = nullptr);
    static bool appendToFile(const QString& filePath, CsvChunkCursor& cursor, QTextCodec* codec = nullptr);
    // The new content is written beside the file and takes its place only once
    // complete, so a failure leaves the file as it was.
    static bool overwriteFile(const QString& filePath, CsvChunkCursor& cursor, QTextCodec* codec = nullptr);

    // A name no file has yet in the system's temporary folder:
    // "qtcsv_" + process id + "_" + a random number + ".csv". Empty when every
    // try found its name taken.
    static QString tempFileName();
    // The same with the random source and the number of tries given.
    static QString tempFileName(QRandomGenerator& random, int tries);
};

} // namespace QtCSV
