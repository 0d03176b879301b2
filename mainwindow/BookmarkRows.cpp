#include "BookmarkRows.h"

#include "lists/BookmarkEntry.h"
#include "lists/Bookmarks.h"
#include "lists/DB.h"
#include "lists/dbBeacon.h"
#include "lists/dbUserFreq.h"
#include "srvlib/SrvBookmark.h"
#include "srvlib/SrvServer.h"

#include <cstdlib>

namespace BookmarkRows {

namespace {

BookmarkEntry baseEntry(qint64 frequency, const QString& name, dbBeacon* row)
{
    BookmarkEntry entry;
    entry.frequency = frequency;
    entry.name = name;
    entry.modulation = QStringLiteral("CW");
    entry.bandwidth = 10;
    entry.beacon = row;
    entry.scheduleKey = 0;
    return entry;
}

float distanceOf(const dbBeacon* row)
{
    return row->hasPosition() ? float(row->distanceFromStation()) : -1.0f;
}

} // namespace

Keeper::~Keeper()
{
    // The rows are the keeper's children, freed only after this body.
    Bookmarks::instance()->removeLinkedTo(findChildren<dbBeacon*>(QString(), Qt::FindDirectChildrenOnly));
}

BookmarkEntry fromBeacon(dbBeacon* beacon)
{
    const qint64 frequency = qint64(beacon->FREQ);
    BookmarkEntry entry = baseEntry(frequency, beacon->CALLSIGN, beacon);
    entry.distance = distanceOf(beacon);
    if (frequency < DistanceLowHz || frequency > DistanceHighHz)
        entry.distance = -1.0f;
    if (beacon->isAmateur())
        entry.labelColor = QColor("lime");
    return entry;
}

BookmarkEntry fromMemory(dbUserFreq* memory)
{
    BookmarkEntry entry = baseEntry(qint64(memory->FREQ), memory->CALLSIGN, memory);
    entry.distance = distanceOf(memory);
    entry.labelColor = memory->color;
    entry.memory = true;
    return entry;
}

int loadBeacons(qint64 low, qint64 high, Keeper* keeper)
{
    DB db;
    const QList<dbBeacon*> rows = db.select_all_beacons();
    QString lastCallsign;
    qint64 lastFrequency = 0;
    int added = 0;
    for (dbBeacon* row : rows) {
        row->setParent(keeper);
        const qint64 frequency = qint64(row->FREQ);
        if (frequency < low || frequency > high)
            continue;
        if (row->CALLSIGN == lastCallsign && frequency == lastFrequency)
            continue;
        lastCallsign = row->CALLSIGN;
        lastFrequency = frequency;
        Bookmarks::instance()->addBookmark(fromBeacon(row));
        ++added;
    }
    return added;
}

int loadMemories(qint64 low, qint64 high, Keeper* keeper)
{
    Bookmarks::instance()->clearMemories();
    // No entry points at the rows of an earlier load any more.
    qDeleteAll(keeper->findChildren<dbUserFreq*>(QString(), Qt::FindDirectChildrenOnly));
    dbUserFreq query;
    const QList<dbUserFreq*> rows = query.select_all(low, high);
    int added = 0;
    for (dbUserFreq* row : rows) {
        row->setParent(keeper);
        const qint64 frequency = qint64(row->FREQ);
        if (frequency < low || frequency > high)
            continue;
        Bookmarks::instance()->addBookmark(fromMemory(row));
        ++added;
    }
    return added;
}

int loadRemote(SrvServer* server, Keeper* keeper)
{
    if (server == nullptr)
        return 0;
    int count = 0;
    SrvBookmark** list = server->requestBookmarks(&count);
    if (list == nullptr)
        return 0;
    int added = 0;
    for (int i = 0; i < count; ++i) {
        const SrvBookmark* mark = list[i];
        if (mark == nullptr) // a list item that was no object
            continue;
        auto* row = new dbBeacon(keeper);
        row->FREQ = quint64(mark->frequency);
        row->latitude = mark->latitude;
        row->longitude = mark->longitude;
        row->CALLSIGN = QString::fromStdString(mark->name);
        row->comment = QStringLiteral("Fom Remote");
        BookmarkEntry entry = baseEntry(mark->frequency, row->CALLSIGN, row);
        entry.distance = -1.0f;
        entry.labelColor = QColor("lime");
        Bookmarks::instance()->addBookmark(entry);
        ++added;
        delete mark;
    }
    free(list);
    return added;
}

} // namespace BookmarkRows
