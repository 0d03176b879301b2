#pragma once

#include <QPointF>
#include <QtGlobal>

// The web Mercator projection of the tile servers: square tiles, 2^z of them
// per side at zoom z, scene pixels from the top left corner of the world.
namespace WebMercator {

// Latitudes beyond this project outside the square world (the poles to infinity).
constexpr double MaxLatitude = 85.05112877980659;

// Scene pixel position of a longitude/latitude at zoom z, each coordinate
// truncated toward zero to a whole pixel. Latitudes at or beyond ±MaxLatitude
// land on the world's top and bottom edges.
QPointF geoToScene(const QPointF& lonLat, quint8 zoom, quint16 tileSize);
// Longitude (x) and latitude (y) of a scene pixel position at zoom z.
QPointF sceneToGeo(const QPointF& scenePixels, quint8 zoom, quint16 tileSize);
// 4^z, held to the largest quint64 beyond zoom 31.
quint64 tileCountOnZoomLevel(quint8 zoom);

} // namespace WebMercator
