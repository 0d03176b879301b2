#pragma once

#include "MapTileSource.h"

// Transparent tiles carrying black lines of a 10-degree latitude/longitude
// grid, drawn locally, meant to lie over another source. Not cached.
class GridTileSource : public MapTileSource
{
    Q_OBJECT

public:
    GridTileSource();
    ~GridTileSource() override;

    QPointF geoToScene(const QPointF& lonLat, quint8 zoom) const override;
    QPointF sceneToGeo(const QPointF& scenePixels, quint8 zoom) const override;
    quint64 tileCountOnZoomLevel(quint8 zoom) const override;
    quint16 tileSize() const override;
    quint8 minZoomLevel(const QPointF& lonLat) const override;
    quint8 maxZoomLevel(const QPointF& lonLat) const override;
    QString name() const override;
    QString tileFileExtension() const override;

protected:
    void fetchTile(quint32 x, quint32 y, quint8 z) override;
};
