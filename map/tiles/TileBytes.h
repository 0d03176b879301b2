#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QString>

// Readers and writers of the bytes that tiles come in: pictures from a tile
// server or the disk cache, the "Cache-Control" header of a tile reply, and the
// cache's expiry table. Plain functions on bytes, so that they can be tested
// and fuzzed without a network or a cache.
namespace TileBytes {

// Largest picture accepted, in bytes and in pixels per edge: a tile is far
// smaller, and anything bigger would size a buffer from untrusted data.
constexpr int MaxTileBytes = 4 * 1024 * 1024;
constexpr int MaxTileEdge = 1024;

// The PNG or JPEG picture in bytes (format recognised from the data); a null
// image when the bytes are no such picture, or when they or the picture are
// too large.
QImage decodeImage(const QByteArray& bytes);

// Longest lifetime a "max-age" may give a tile (ten years).
constexpr qint64 MaxAgeLimitSeconds = 10LL * 365 * 24 * 3600;

// now + max-age when the header value (up to its first zero byte) holds
// "max-age=<digits>" with a number that fits 64 bits; a null date-time
// otherwise. Ages beyond MaxAgeLimitSeconds are held to it.
QDateTime expiryFromCacheControl(const QByteArray& headerValue, const QDateTime& now);

using ExpiryTable = QHash<QString, QDateTime>;

// The table as Qt's data stream writes a hash (default stream version).
QByteArray writeExpiryTable(const ExpiryTable& table);
// The table in bytes written by writeExpiryTable, its times in UTC and
// entries without a valid time left out; false, with an empty table, for
// bytes that are not such a table.
bool readExpiryTable(const QByteArray& bytes, ExpiryTable& table);

} // namespace TileBytes
