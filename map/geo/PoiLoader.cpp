#include "map/geo/PoiLoader.h"

#include <QDebug>
#include <QFile>
#include <QStandardItemModel>

PoiLoader::PoiLoader(QObject* parent) : QObject(parent), model(new QStandardItemModel()) {}

void PoiLoader::load(QString fileName)
{
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly))
        parse(file.readAll());
    qDebug() << " loaded:" << model->rowCount() << "rows.";
}

void PoiLoader::parse(const QByteArray& bytes)
{
    const int nul = bytes.indexOf('\0');
    QString text = QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
    text.remove(QLatin1Char('\r'));
    QString field;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char(';')) {
            addField(field, QLatin1Char(';'));
        } else if (c == QLatin1Char('\n')) {
            addField(field, QLatin1Char('\n'));
        } else {
            field.append(c);
            if (i == text.size() - 1)
                addField(field, QChar(0));
        }
    }
    // A line left open at the end (a final ';', a quote never closed) is
    // dropped rather than carried into the first line of the next load.
    qDeleteAll(row);
    row.clear();
}

void PoiLoader::addField(QString& field, QChar separator)
{
    if (field.count(QLatin1Char('"')) % 2 == 1) {
        field.append(separator);
        return;
    }
    if (field.size() >= 2 && field.startsWith(QLatin1Char('"')) && field.endsWith(QLatin1Char('"')))
        field = field.mid(1, field.size() - 2);
    field.replace(QLatin1String("\"\""), QLatin1String("\""));
    row.append(new QStandardItem(field));
    if (separator != QLatin1Char(';')) {
        model->appendRow(row);
        row.clear();
    }
    field.clear();
}
