#pragma once

#include "PrivateQGraphicsInfoSource.h"

#include <QPointer>
#include <QSet>
#include <QWidget>

class MapGraphicsObject;
class MapGraphicsScene;
class MapTileGraphicsObject;
class MapTileSource;
class PrivateQGraphicsScene;
class PrivateQGraphicsView;
class QContextMenuEvent;
class QMouseEvent;
class QThread;
class QTimer;
class QWheelEvent;

// The widget that shows a map scene over picture tiles from a tile source. It
// holds the zoom level, converts between its pixels and geographic positions,
// zooms with the wheel around the pointer, runs the tile source in a thread of
// its own, and every 200 ms lays out the tile items that cover the view.
//
// Scene coordinates are the tile source's pixels at the current zoom level; the
// inner Qt graphics view shows them at scale 1, so a zoom change changes the
// scene's size, never the view's scale.
class MapGraphicsView : public QWidget, public PrivateQGraphicsInfoSource
{
    Q_OBJECT

public:
    enum ZoomMode { ZoomAroundCentre = 0, ZoomAroundMouse = 1 };
    enum DragMode { MapDragNone = 0, MapDragScroll = 1, MapDragRubberBand = 2 };

    explicit MapGraphicsView(MapGraphicsScene* scene = nullptr, QWidget* parent = nullptr);
    // Drops the view's reference to its tile source and waits (at most about
    // 10 s) for the source's thread to end: when the view holds the last
    // reference, the source goes and its thread with it.
    ~MapGraphicsView() override;

    // Longitude and latitude at the middle of the view.
    QPointF center() const;
    void centerOn(const QPointF& lonLat);
    void centerOn(qreal longitude, qreal latitude);
    void centerOn(const MapGraphicsObject* object);

    // Longitude and latitude under a pixel of the view; (0, 0) without a tile source.
    QPointF mapToGeo(const QPoint& viewPixel) const;

    int dragMode() const { return m_dragMode; }
    void setDragMode(int mode);

    MapGraphicsScene* scene() const;
    void setScene(MapGraphicsScene* scene);

    QSharedPointer<MapTileSource> tileSource() const override;
    quint8 zoomLevel() const override;

    // Moves the source into a new thread "MapGraphicsView::tileSourceThread",
    // which ends when the source is destroyed. Hold the source through
    // makeTileSource(), so that it is deleted in that thread.
    void setTileSource(QSharedPointer<MapTileSource> source);

    // Held to the source's zoom range; nothing without a tile source.
    void setZoomLevel(quint8 nZoom, int zoomMode = ZoomAroundCentre);
    void zoomIn(int zoomMode = ZoomAroundCentre);
    void zoomOut(int zoomMode = ZoomAroundCentre);

signals:
    void zoomLevelChanged(quint8 nZoom);

protected slots:
    // The inner view's input, offered here first: an event left unaccepted
    // gets the inner view's standard handling.
    virtual void handleChildMouseDoubleClick(QMouseEvent* event);
    virtual void handleChildMouseMove(QMouseEvent* event);
    virtual void handleChildMousePress(QMouseEvent* event);
    virtual void handleChildMouseRelease(QMouseEvent* event);
    virtual void handleChildViewContextMenu(QContextMenuEvent* event);
    // One level per event: out for a delta of 0 or less, in above 0.
    virtual void handleChildViewScrollWheel(QWheelEvent* event);

private slots:
    void renderTiles();

private:
    void updateSceneRect();
    void layOutTiles();

    QPointer<MapGraphicsScene> m_scene;
    QPointer<PrivateQGraphicsView> m_childView;
    QPointer<PrivateQGraphicsScene> m_childScene;
    QSharedPointer<MapTileSource> m_tileSource;
    QThread* m_tileSourceThread = nullptr;
    QSet<MapTileGraphicsObject*> m_tileObjects;
    quint8 m_zoomLevel = 2;
    int m_dragMode = MapDragScroll;
    QTimer* m_renderTimer;
};
