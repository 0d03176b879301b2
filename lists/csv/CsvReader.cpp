#include "lists/csv/CsvReader.h"

#include "lists/csv/CsvFilePath.h"
#include "lists/csv/CsvRowParser.h"

#include <QDebug>
#include <QFile>
#include <QTextCodec>
#include <QTextStream>

namespace QtCSV {

bool CsvReader::checkParams(const QString& filePath, const QString& separator)
{
    if (filePath.isEmpty() || separator.isEmpty()) {
        qDebug().noquote() << "checkParams"
                           << "Error - invalid file path and/or separator";
        return false;
    }
    if (!isCsvFilePath(filePath)) {
        qDebug().noquote() << "checkParams"
                           << "Error - wrong file path/name: " + filePath;
        return false;
    }
    return true;
}

bool CsvReader::readRows(const QString& filePath, const QString& separator, const QString& textDelimiter,
                         QTextCodec* codec, QList<QStringList>* rows)
{
    if (!checkParams(filePath, separator))
        return false;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug().noquote() << "read"
                           << "Error - can't open file: " + filePath;
        return false;
    }
    QTextStream in(&file);
    in.setCodec(codec ? codec : QTextCodec::codecForName("UTF-8"));
    CsvRowParser parser(separator, textDelimiter);
    QString line;
    while (in.readLineInto(&line))
        parser.addLine(line);
    parser.finish();
    *rows = parser.rows();
    return true;
}

QList<QStringList> CsvReader::read(const QString& filePath, const QString& separator,
                                   const QString& textDelimiter, QTextCodec* codec)
{
    QList<QStringList> rows;
    readRows(filePath, separator, textDelimiter, codec, &rows);
    return rows;
}

bool CsvReader::read(const QString& filePath, AbstractData& data, const QString& separator,
                     const QString& textDelimiter, QTextCodec* codec)
{
    QList<QStringList> rows;
    if (!readRows(filePath, separator, textDelimiter, codec, &rows))
        return false;
    for (const QStringList& row : qAsConst(rows))
        data.appendRow(row);
    return true;
}

} // namespace QtCSV
