#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class QStandardItem;
class QStandardItemModel;

// Reads ';'-separated text into a table model, one row per line. A field may
// be enclosed in double quotes; inside it ';' and line breaks belong to the
// field and a doubled quote stands for one quote.
class PoiLoader : public QObject
{
    Q_OBJECT

public:
    explicit PoiLoader(QObject* parent = nullptr);

    // Reads the file's rows into the model (nothing when it cannot be opened)
    // and writes the model's row count on the debug output.
    void load(QString fileName);
    // Reads the rows of a file's bytes: UTF-8 up to the first NUL byte,
    // carriage returns ignored.
    void parse(const QByteArray& bytes);
    // Closes one field at a separator (';', '\n', or 0 at the end of the text).
    void addField(QString& field, QChar separator);

    // The fields of the line being read.
    QList<QStandardItem*> row;
    // Made without parent; rows accumulate across loads. The loader never
    // deletes it: its user does.
    QStandardItemModel* model;
};
