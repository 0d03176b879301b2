#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

// Writers of SRTM3 tiles for the terrain tests: 1201 x 1201 big-endian 16-bit
// samples, row 0 at the north edge, column 0 at the west edge.
namespace SrtmTestTiles {

using HeightAt = std::function<qint16(int rowFromNorth, int columnFromWest)>;

// A recognisable pattern: row x 10 + column (0 .. 13200).
qint16 pattern(int rowFromNorth, int columnFromWest);

// Writes a whole tile; returns false when the file cannot be written.
bool write(const QString& path, const HeightAt& heightAt = pattern);

// Writes a file of `size` bytes (a cut or oversized tile).
bool writeOfSize(const QString& path, qint64 size);

} // namespace SrtmTestTiles
