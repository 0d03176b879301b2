#include "lists/dbBeacon.h"

#include "lists/Locator.h"
#include "lists/SqlConnection.h"
#include "map/geo/GeoTools.h"
#include "map/geo/SGGeodesy.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>

using SqlConnection::value;

dbBeacon::dbBeacon(QObject* parent) : QObject(parent) {}

void dbBeacon::fillSharedFields(const QSqlRecord& record)
{
    ID = value(record, "ID").toInt();
    FREQ = value(record, "FREQ").toULongLong();
    CALLSIGN = value(record, "CALLSIGN").toString();
    LOCATOR = value(record, "LOCATOR").toString();
    // A locator that converts gives the centre of its square; otherwise the
    // stored coordinates, which are kept in single precision.
    if (LOCATOR.isEmpty() || !locatorToLongLat(LOCATOR, &longitude, &latitude)) {
        latitude = value(record, "LAT").toFloat();
        longitude = value(record, "LON").toFloat();
    }
    comment = value(record, "comment").toString();
}

dbBeacon* dbBeacon::fromRecord(const QSqlRecord& record)
{
    auto* beacon = new dbBeacon(nullptr);
    beacon->fillSharedFields(record);
    beacon->ASL = value(record, "ASL").toString();
    beacon->POWER = value(record, "POWER").toString();
    beacon->ANTENNA = value(record, "ANTENNA").toString();
    beacon->BEARING = value(record, "BEARING").toString();
    beacon->BEACON_TYPE = value(record, "BEACON_TYPE").toString();
    beacon->BEACON_SUBTYPE = value(record, "BEACON_SUBTYPE").toString();
    return beacon;
}

QString dbBeacon::createTableStatement()
{
    return QStringLiteral("CREATE TABLE \"BEACONS\" ("
                          "\"ID\" INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL,"
                          "\"FREQ\" UNSIGNED BIG INT,"
                          "\"CALLSIGN\" VARCHAR(20),"
                          "\"LAT\" REAL,"
                          "\"LON\" REAL,"
                          "\"LOCATOR\" VARCHAR(10))");
}

void dbBeacon::setFrequency(quint64 frequency)
{
    FREQ = frequency;
    if (ID <= 0)
        return;
    QSqlDatabase db;
    if (!SqlConnection::open(SqlConnection::defaultName(), &db)) {
        qDebug() << "dbBeacon::setFrequency db not opened";
        return;
    }
    QSqlQuery query(db);
    query.prepare("update BEACONS set FREQ= :value where ID= :id");
    query.bindValue(":id", ID);
    query.bindValue(":value", static_cast<qint64>(frequency));
    if (!query.exec())
        qDebug().noquote() << "dbBeacon::setFrequency error occurred" << query.lastError().text();
}

void dbBeacon::setCallsign(const QString& callsign)
{
    CALLSIGN = callsign;
    if (ID <= 0)
        return;
    QSqlDatabase db;
    if (!SqlConnection::open(SqlConnection::defaultName(), &db)) {
        qDebug() << "dbBeacon::setCallsign db not opened";
        return;
    }
    QSqlQuery query(db);
    query.prepare("update BEACONS set callsign=:value where id= :id;");
    query.bindValue(":value", callsign);
    query.bindValue(":id", ID);
    if (!query.exec())
        qDebug().noquote() << "dbBeacon::setCallsign error occurred" << query.lastError().text();
}

double dbBeacon::distanceFromStation() const
{
    return SGGeodesy::distanceM(Position(longitude, latitude, 0.0),
                                GeoTools::instance().getStationPosition());
}

bool dbBeacon::hasPosition() const
{
    return std::fabs(latitude) > 0 && std::fabs(longitude) > 0;
}

bool dbBeacon::isAmateur() const
{
    return BEACON_TYPE == QLatin1String("AMATEUR");
}
