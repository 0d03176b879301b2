#pragma once

#include <QList>
#include <QObject>
#include <QtGlobal>

class SrvServer;
struct BookmarkEntry;
class dbBeacon;
class dbUserFreq;

// The bookmark entries the main window makes from its three sources, and the
// loading of each source into the bookmark store for the receiver's range
// [low, high] (both ends included). Rows read here are handed to keeper, which
// keeps them alive as long as the entries point at them.
namespace BookmarkRows {

// Owns the rows behind the window's entries. The store outlives the window:
// when the keeper goes, the entries linked to its rows leave the store before
// the rows are freed, so nothing reaches a freed row through the store.
class Keeper : public QObject
{
public:
    explicit Keeper(QObject* parent = nullptr) : QObject(parent) {}
    ~Keeper() override;
};

// Distances shown only for beacons from 80 MHz to 144 MHz.
constexpr qint64 DistanceLowHz = 80000000;
constexpr qint64 DistanceHighHz = 144000000;

BookmarkEntry fromBeacon(dbBeacon* beacon);
BookmarkEntry fromMemory(dbUserFreq* memory);

// The database's beacons in range, a row with the same callsign and frequency
// as the last one added skipped (rows out of range do not count as added).
int loadBeacons(qint64 low, qint64 high, Keeper* keeper);
// The personal memories in range, as memory bookmarks, in place of those of
// an earlier load (their entries leave the store and keeper frees their rows).
int loadMemories(qint64 low, qint64 high, Keeper* keeper);
// The remote server's bookmarks (null server: none).
int loadRemote(SrvServer* server, Keeper* keeper);

} // namespace BookmarkRows
