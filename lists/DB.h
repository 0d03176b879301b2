#pragma once

#include "lists/dbBeacon.h"
#include "lists/dbRadioSegment.h"

#include <QList>
#include <QObject>

// Reads the main database (the application's default connection). Every select
// returns new row objects without parent, owned by the caller; an empty list
// when the database cannot be opened or the statement fails.
class DB : public QObject
{
    Q_OBJECT

public:
    explicit DB(QObject* parent = nullptr);

    // By callsign, then by frequency.
    QList<dbBeacon*> select_all_beacons();
    // The beacons of one callsign, by frequency.
    QList<dbBeacon*> select_beacons_by_callsign(const QString& callsign);
    // By start frequency.
    QList<dbRadioSegment*> select_all_radio_segments();
};
