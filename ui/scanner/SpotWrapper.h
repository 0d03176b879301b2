#pragma once

#include <QDateTime>
#include <QObject>

// One row of the spot list: a spot as the scanner announced it.
class SpotWrapper : public QObject
{
public:
    int id = 0;
    qint64 frequency = 0; // Hz
    float level = 0;      // dB
    float angle = 0;      // degrees
    QDateTime created;    // local time the row was added
};
