#pragma once

#include <QJsonObject>
#include <QMetaType>
#include <QString>
#include <QTime>

// One entry of the broadcast schedule: a station on one frequency between two
// UTC times of day, with its transmitter site.
struct RFStation
{
    QString bcast_name;
    QString ciraf;
    QTime startTime; // UTC; invalid until set
    QTime stopTime;  // UTC; invalid until set
    QString lang;
    QString loc;
    int modNotD = 0; // 1 unless the service's "mod" is "D"
    QString name;
    int power = 0; // kW
    int schedkey = 0;
    double latitude = 0.0;  // degrees, north positive
    double longitude = 0.0; // degrees, east positive
    qint64 frequency = 0;   // Hz

    // Fills the fields from one entry of the service's answer; missing keys
    // leave texts empty and numbers 0.
    void readJson(const QJsonObject& entry);
    // readJson, then adds the station's bookmark to the program's bookmark store.
    int fromJson(const QJsonObject& entry);

    // Whether the station is kept at the UTC time of day now: until its end
    // today, and through midnight for a broadcast that ends the next day.
    bool isListedAt(const QTime& now) const;

    // "48N51" read as 48 degrees 51 minutes: the letter stands for the point,
    // positive (N, E) or negative (S, W).
    static double readDegrees(const QString& text, QChar positive, QChar negative);
};

Q_DECLARE_METATYPE(RFStation*)
