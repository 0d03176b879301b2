#pragma once

#include <QColor>
#include <QList>
#include <QString>

class dbBeacon;

// A named colour that bookmarks can carry. The store owns every tag record and
// keeps it at a fixed address while it is in the store's tag list.
struct BookmarkTag
{
    QString name;
    QColor color = QColor(Qt::lightGray);
    bool shown = true;
};

// One labelled frequency of the bookmark store. A value record: copies share the
// tag records and the linked row, which neither copy owns.
struct BookmarkEntry
{
    qint64 frequency = 0; // Hz; the only sort key
    QString name;
    QString modulation;         // empty for band-plan edges
    qint64 bandwidth = 0;       // producers store 10, band-plan edges 0
    QList<BookmarkTag*> tags;   // owned by the store
    dbBeacon* beacon = nullptr; // row the entry was made from, kept alive by the producer
    float distance = 0.0f;      // metres from the station; 0 or below: unknown
    QColor labelColor = QColor(Qt::lightGray);
    bool memory = false;    // made from a personal memory
    qint32 scheduleKey = 0; // broadcast-schedule station, 0 otherwise

    QColor color() const { return labelColor; }
    bool hasShownTag() const;

    bool operator<(const BookmarkEntry& other) const { return frequency < other.frequency; }
};
