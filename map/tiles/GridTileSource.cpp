#include "GridTileSource.h"

#include "WebMercator.h"

#include <QPainter>
#include <QtDebug>

namespace {
constexpr quint16 TileSize = 256;
constexpr quint8 MaxZoom = 50;
constexpr int GridStepDegrees = 10;
} // namespace

GridTileSource::GridTileSource()
{
    setCacheMode(CacheOff);
}

GridTileSource::~GridTileSource()
{
    qDebug() << this << "destructing";
}

QPointF GridTileSource::geoToScene(const QPointF& lonLat, quint8 zoom) const
{
    return WebMercator::geoToScene(lonLat, zoom, TileSize);
}

QPointF GridTileSource::sceneToGeo(const QPointF& scenePixels, quint8 zoom) const
{
    return WebMercator::sceneToGeo(scenePixels, zoom, TileSize);
}

quint64 GridTileSource::tileCountOnZoomLevel(quint8 zoom) const
{
    return WebMercator::tileCountOnZoomLevel(zoom);
}

quint16 GridTileSource::tileSize() const
{
    return TileSize;
}

quint8 GridTileSource::minZoomLevel(const QPointF&) const
{
    return 0;
}

quint8 GridTileSource::maxZoomLevel(const QPointF&) const
{
    return MaxZoom;
}

QString GridTileSource::name() const
{
    return QStringLiteral("Grid Tiles");
}

QString GridTileSource::tileFileExtension() const
{
    return QStringLiteral("png");
}

void GridTileSource::fetchTile(quint32 x, quint32 y, quint8 z)
{
    QImage* tile = new QImage(TileSize, TileSize, QImage::Format_ARGB32_Premultiplied);
    tile->fill(0);
    QPainter painter(tile);
    painter.setPen(QPen(Qt::black, 1));

    // A line exactly on the tile's right or bottom edge is drawn at 256, just
    // outside; the neighbouring tile draws it at 0.
    const double left = double(x) * TileSize;
    for (int longitude = -180; longitude <= 180; longitude += GridStepDegrees) {
        const double sceneX = geoToScene(QPointF(longitude, 0.0), z).x();
        if (left <= sceneX && sceneX <= left + TileSize)
            painter.drawLine(QPointF(sceneX - left, 0), QPointF(sceneX - left, TileSize));
    }
    // The poles project to the world's edges; 90 itself is not drawn.
    const double top = double(y) * TileSize;
    for (int latitude = -90; latitude <= 80; latitude += GridStepDegrees) {
        const double sceneY = geoToScene(QPointF(0.0, latitude), z).y();
        if (top <= sceneY && sceneY <= top + TileSize)
            painter.drawLine(QPointF(0, sceneY - top), QPointF(TileSize, sceneY - top));
    }
    painter.end();
    storeReceivedTile(x, y, z, tile, QDateTime());
}
