#pragma once

#include <QSharedPointer>
#include <QtGlobal>

class MapTileSource;

// What the graphics bridge asks of the map view: its zoom level and tile source.
class PrivateQGraphicsInfoSource
{
public:
    virtual ~PrivateQGraphicsInfoSource() = default;
    virtual quint8 zoomLevel() const = 0;
    virtual QSharedPointer<MapTileSource> tileSource() const = 0;
};
