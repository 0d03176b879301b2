#include "lists/csv/CsvWriter.h"

#include "lists/csv/CsvFilePath.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTextCodec>
#include <QTextStream>

#include <limits>

namespace QtCSV {

namespace {

void report(const char* operation, const QString& message)
{
    qDebug().noquote() << operation << message;
}

bool writeChunks(QIODevice& device, CsvChunkCursor& cursor, QTextCodec* codec)
{
    QTextStream out(&device);
    out.setCodec(codec ? codec : QTextCodec::codecForName("UTF-8"));
    while (cursor.hasNext())
        out << cursor.nextChunk();
    out.flush();
    return out.status() == QTextStream::Ok;
}

} // namespace

bool CsvWriter::write(const QString& filePath, const AbstractData& data, const QString& separator,
                      const QString& textDelimiter, const int& mode, const QStringList& header,
                      const QStringList& footer, QTextCodec* codec)
{
    if (filePath.isEmpty() || data.isEmpty()) {
        report("write", "Error - invalid arguments");
        return false;
    }
    if (!isCsvFilePath(filePath)) {
        report("write", "Error - wrong file path/name: " + filePath);
        return false;
    }
    CsvChunkCursor cursor(data, separator, textDelimiter, header, footer);
    return mode == Append ? appendToFile(filePath, cursor, codec) : overwriteFile(filePath, cursor, codec);
}

bool CsvWriter::appendToFile(const QString& filePath, CsvChunkCursor& cursor, QTextCodec* codec)
{
    if (filePath.isEmpty() || cursor.isEmpty()) {
        report("appendToFile", "Error - invalid arguments");
        return false;
    }
    QFile file(filePath);
    if (!file.open(QIODevice::Append)) {
        report("appendToFile", "Error - can't open file: " + filePath);
        return false;
    }
    if (!writeChunks(file, cursor, codec)) {
        report("appendToFile", "Error - failed to write file: " + filePath);
        return false;
    }
    return true;
}

bool CsvWriter::overwriteFile(const QString& filePath, CsvChunkCursor& cursor, QTextCodec* codec)
{
    if (filePath.isEmpty() || cursor.isEmpty()) {
        report("overwriteFile", "Error - invalid arguments");
        return false;
    }
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        report("overwriteFile", "Error - can't open file: " + filePath);
        return false;
    }
    if (!writeChunks(file, cursor, codec)) {
        file.cancelWriting();
        report("overwriteFile", "Error - failed to write file: " + filePath);
        return false;
    }
    if (!file.commit()) {
        report("overwriteFile", "Error - failed to replace file: " + filePath);
        return false;
    }
    return true;
}

QString CsvWriter::tempFileName()
{
    return tempFileName(*QRandomGenerator::global(), std::numeric_limits<int>::max());
}

QString CsvWriter::tempFileName(QRandomGenerator& random, int tries)
{
    const QString pattern =
        QDir::tempPath() + "/qtcsv_" + QString::number(QCoreApplication::applicationPid()) + "_%1.csv";
    for (int i = 0; i < tries; ++i) {
        // A non-negative int.
        const QString name = pattern.arg(random.generate() >> 1);
        if (!QFile::exists(name))
            return name;
    }
    return QString();
}

} // namespace QtCSV
