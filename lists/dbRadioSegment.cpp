#include "lists/dbRadioSegment.h"

#include "lists/SqlConnection.h"

#include <QDebug>

using SqlConnection::value;

dbRadioSegment::dbRadioSegment(QObject* parent) : QObject(parent) {}

dbRadioSegment::~dbRadioSegment()
{
    qDebug() << "dbRadioSegment::~dbRadioSegment";
}

dbRadioSegment* dbRadioSegment::fromRecord(const QSqlRecord& record)
{
    auto* segment = new dbRadioSegment(nullptr);
    segment->ID = value(record, "ID").toInt();
    segment->FSTART = value(record, "FSTART").toULongLong();
    segment->FSTOP = value(record, "FSTOP").toULongLong();
    segment->NAME = value(record, "NAME").toString();
    return segment;
}

QString dbRadioSegment::createTableStatement()
{
    return QStringLiteral("CREATE TABLE \"RADIO_SEGMENTS\" ("
                          "\"ID\" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL,"
                          "\"FSTART\" UNSIGNED BIG INT,"
                          "\"FSTOP\" UNSIGNED BIG INT,"
                          "\"NAME\" VARCHAR(20))");
}
