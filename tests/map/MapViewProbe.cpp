#include "MapViewProbe.h"

#include "WaitFor.h"
#include "map/graphics/MapGraphicsView.h"
#include "map/graphics/MapTileGraphicsObject.h"
#include "map/graphics/PrivateQGraphicsObject.h"
#include "map/graphics/PrivateQGraphicsView.h"

namespace MapViewProbe {

PrivateQGraphicsView* childView(const MapGraphicsView& view)
{
    return view.findChild<PrivateQGraphicsView*>();
}

QList<MapTileGraphicsObject*> tileItems(const MapGraphicsView& view)
{
    QList<MapTileGraphicsObject*> tiles;
    for (QGraphicsItem* item : childView(view)->scene()->items()) {
        if (auto* tile = dynamic_cast<MapTileGraphicsObject*>(item))
            tiles.append(tile);
    }
    return tiles;
}

QList<PrivateQGraphicsObject*> proxies(const MapGraphicsView& view)
{
    QList<PrivateQGraphicsObject*> found;
    for (QGraphicsItem* item : childView(view)->scene()->items()) {
        if (auto* proxy = dynamic_cast<PrivateQGraphicsObject*>(item))
            found.append(proxy);
    }
    return found;
}

PrivateQGraphicsObject* proxyOf(const MapGraphicsView& view, const QString& toolTip)
{
    for (PrivateQGraphicsObject* proxy : proxies(view)) {
        if (proxy->toolTip() == toolTip)
            return proxy;
    }
    return nullptr;
}

QImage grab(MapGraphicsView& view)
{
    return view.grab().toImage();
}

bool waitForPixel(MapGraphicsView& view, const QPoint& pixel, const QColor& color, int timeoutMs)
{
    return waitFor([&] { return grab(view).pixelColor(pixel) == color; }, timeoutMs);
}

} // namespace MapViewProbe
