#pragma once

#include <QList>
#include <QtGlobal>

class QObject;
class SrvServer;
struct BookmarkEntry;
class dbBeacon;
class dbUserFreq;

// The bookmark entries the main window makes from its three sources, and the
// loading of each source into the bookmark store for the receiver's range
// [low, high] (both ends included). Rows read here are handed to keeper, which
// keeps them alive as long as the entries point at them.
namespace BookmarkRows {

// Distances shown only for beacons from 80 MHz to 144 MHz.
constexpr qint64 DistanceLowHz = 80000000;
constexpr qint64 DistanceHighHz = 144000000;

BookmarkEntry fromBeacon(dbBeacon* beacon);
BookmarkEntry fromMemory(dbUserFreq* memory);

// The database's beacons in range, a row with the same callsign and frequency
// as the last one added skipped (rows out of range do not count as added).
int loadBeacons(qint64 low, qint64 high, QObject* keeper);
// The personal memories in range, as memory bookmarks, in place of those of
// an earlier load (their entries leave the store and keeper frees their rows).
int loadMemories(qint64 low, qint64 high, QObject* keeper);
// The remote server's bookmarks (null server: none).
int loadRemote(SrvServer* server, QObject* keeper);

} // namespace BookmarkRows
