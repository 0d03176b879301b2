#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>

#include "WaitFor.h"

class MapGraphicsView;
class MapTileGraphicsObject;
class PrivateQGraphicsObject;
class PrivateQGraphicsView;

// Looks into a map view from a test: its inner Qt view, its items, its pixels.
namespace MapViewProbe {

PrivateQGraphicsView* childView(const MapGraphicsView& view);
QList<MapTileGraphicsObject*> tileItems(const MapGraphicsView& view);
// The graphics items standing for map objects, and the one whose tool tip
// (copied from its object) is toolTip; null when there is none.
QList<PrivateQGraphicsObject*> proxies(const MapGraphicsView& view);
PrivateQGraphicsObject* proxyOf(const MapGraphicsView& view, const QString& toolTip);
// The view as it would be painted now.
QImage grab(MapGraphicsView& view);
// Waits (serving events) until the view's pixel has the colour.
bool waitForPixel(MapGraphicsView& view, const QPoint& pixel, const QColor& color, int timeoutMs = kWaitBoundMs);

} // namespace MapViewProbe
