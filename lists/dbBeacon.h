#pragma once

#include <QColor>
#include <QObject>
#include <QSqlRecord>
#include <QString>

// One beacon of the main database (table BEACONS). Also the base of a personal
// memory row, so that beacons and memories travel under one pointer type.
class dbBeacon : public QObject
{
    Q_OBJECT

public:
    explicit dbBeacon(QObject* parent = nullptr);

    // A new row object (without parent) from one result row.
    static dbBeacon* fromRecord(const QSqlRecord& record);
    static QString createTableStatement();

    // Set the value, then update the stored row when the object has one.
    void setFrequency(quint64 frequency);
    void setCallsign(const QString& callsign);

    // Metres from the station; meaningful only when hasPosition() holds.
    double distanceFromStation() const;
    bool hasPosition() const;
    virtual bool isAmateur() const;

    qint32 ID = -1;
    quint64 FREQ = 0; // Hz
    QString CALLSIGN;
    double latitude = 0.0;  // degrees
    double longitude = 0.0; // degrees
    QString LOCATOR;
    QString ASL;
    QString POWER;
    QString ANTENNA;
    QString BEARING;
    QString BEACON_TYPE;
    QString BEACON_SUBTYPE;
    QString comment;
    QColor color = QColor(Qt::yellow);

protected:
    // ID, frequency, callsign, locator, position and comment: the columns that
    // beacons and memories share.
    void fillSharedFields(const QSqlRecord& record);
};
