#include "WebMercator.h"

#include <cmath>
#include <limits>

namespace WebMercator {

namespace {
constexpr double Pi = 3.14159265358979323846;
constexpr double RadiansToDegrees = 57.29577951308232;

double worldSide(quint8 zoom, quint16 tileSize)
{
    return std::pow(2.0, zoom) * tileSize;
}
} // namespace

QPointF geoToScene(const QPointF& lonLat, quint8 zoom, quint16 tileSize)
{
    const double side = worldSide(zoom, tileSize);
    const double latitude = lonLat.y();
    const double x = (180.0 + lonLat.x()) * side / 360.0;
    // At and beyond the limit the formula would reach infinity at the poles
    // (and its rounding would stop a hair inside the edge).
    double y = 0.0;
    if (latitude <= -MaxLatitude)
        y = side;
    else if (!(latitude >= MaxLatitude))
        y = (1.0 - std::log(std::tan(latitude * Pi / 180.0 / 2.0 + Pi / 4.0)) / Pi) * 0.5 * side;
    // Truncated in floating point: the same whole pixels as an integer
    // conversion, without its overflow for far points or deep zoom levels.
    return QPointF(std::trunc(x), std::trunc(y));
}

QPointF sceneToGeo(const QPointF& scenePixels, quint8 zoom, quint16 tileSize)
{
    const double side = worldSide(zoom, tileSize);
    const double longitude = 360.0 / side * scenePixels.x() - 180.0;
    const double latitude =
        std::atan(std::sinh((1.0 - 2.0 / side * scenePixels.y()) * Pi)) * RadiansToDegrees;
    return QPointF(longitude, latitude);
}

quint64 tileCountOnZoomLevel(quint8 zoom)
{
    const double count = std::pow(4.0, zoom);
    // 2^64 and above do not fit.
    if (count >= 18446744073709551616.0)
        return std::numeric_limits<quint64>::max();
    return static_cast<quint64>(count);
}

} // namespace WebMercator
