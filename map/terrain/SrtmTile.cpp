#include "map/terrain/SrtmTile.h"

#include <algorithm>
#include <cmath>

namespace SrtmTile {

namespace {

// The floored coordinate as an integer; absurd values are clamped so that the
// name stays well defined (no such file exists anyway).
int flooredDegrees(double value)
{
    if (!std::isfinite(value))
        return 0;
    return int(std::clamp(std::floor(value), -999.0, 999.0));
}

} // namespace

QString name(double latitude, double longitude)
{
    const int south = flooredDegrees(latitude);
    const int west = flooredDegrees(longitude);
    return QString("%1%2%3%4.hgt")
        .arg(south >= 0 ? "N" : "S")
        .arg(std::abs(south), 2, 10, QChar('0'))
        .arg(west >= 0 ? "E" : "W")
        .arg(std::abs(west), 3, 10, QChar('0'));
}

qint64 sampleOffset(double latitudeFraction, double longitudeFraction)
{
    const auto inUnitRange = [](double fraction) { return fraction >= 0.0 && fraction <= 1.0; };
    if (!inUnitRange(latitudeFraction) || !inUnitRange(longitudeFraction))
        return -1;
    // Row from the south edge and column from the west edge, halves rounded away from zero.
    const qint64 row = std::lround(latitudeFraction * 3600.0 / 3.0);
    const qint64 column = std::lround(longitudeFraction * 3600.0 / 3.0);
    return 2 * ((SamplesPerSide - 1 - row) * SamplesPerSide + column);
}

bool isInside(qint64 offset)
{
    return offset >= 0 && offset + 2 <= SizeBytes;
}

double decode(char high, char low)
{
    const auto sample = static_cast<qint16>((static_cast<quint8>(high) << 8) | static_cast<quint8>(low));
    return sample == VoidSample ? 0.0 : double(sample);
}

QString path(const QString& folder, const QString& name)
{
    if (folder.isEmpty() || folder.endsWith('/'))
        return folder + name;
    return folder + '/' + name;
}

} // namespace SrtmTile
