#pragma once

#include <QString>
#include <QtGlobal>

// The SRTM3 tile format: one file per one-degree square, named after its
// south-west corner ("N45E004.hgt"), holding 1201 rows of 1201 big-endian
// signed 16-bit heights in metres, rows from north to south, samples from west
// to east. Neighbouring tiles share their edge rows and columns.
namespace SrtmTile {

constexpr int SamplesPerSide = 1201;
constexpr qint64 SizeBytes = qint64(SamplesPerSide) * SamplesPerSide * 2; // 2884802
// A sample with no measured height; read as 0.
constexpr qint16 VoidSample = -32768;

// Name of the tile holding a point: "N"/"S" and two digits of the floored
// latitude, "E"/"W" and three digits of the floored longitude, ".hgt".
QString name(double latitude, double longitude);

// Byte offset of the sample nearest to a point whose position inside its tile
// is given by the two fractions (each in [0, 1), from the south-west corner).
// -1 when a fraction lies outside [0, 1].
qint64 sampleOffset(double latitudeFraction, double longitudeFraction);

// True when a sample of two bytes starts at offset inside a tile.
bool isInside(qint64 offset);

// The height of the two bytes of a sample (first byte most significant); a void gives 0.
double decode(char high, char low);

// folder + name, with a separator between them when the folder lacks one.
QString path(const QString& folder, const QString& name);

} // namespace SrtmTile
