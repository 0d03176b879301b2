#include "MapGraphicsView.h"

#include "MapGraphicsObject.h"
#include "MapGraphicsScene.h"
#include "MapTileGraphicsObject.h"
#include "PrivateQGraphicsScene.h"
#include "PrivateQGraphicsView.h"
#include "core/QLogger.h"
#include "map/tiles/MapTileSource.h"
#include "map/tiles/TileThreads.h"

#include <QCursor>
#include <QHash>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtDebug>

#include <algorithm>
#include <cmath>

namespace {
constexpr int RenderIntervalMs = 200;
constexpr int TileThreadJoinMs = 10000;
// Hidden tile items kept for the next layout.
constexpr int SpareTileItems = 2;

// Tile items sit on whole scene pixels.
using ScenePixel = QPair<qint64, qint64>;
ScenePixel scenePixel(const QPointF& point)
{
    return ScenePixel(qRound64(point.x()), qRound64(point.y()));
}
} // namespace

MapGraphicsView::MapGraphicsView(MapGraphicsScene* scene, QWidget* parent) : QWidget(parent)
{
    setScene(scene);
    m_zoomLevel = 2;
    setDragMode(MapDragScroll);
    m_renderTimer = new QTimer(this);
    connect(m_renderTimer, &QTimer::timeout, this, &MapGraphicsView::renderTiles);
    m_renderTimer->start(RenderIntervalMs);
}

MapGraphicsView::~MapGraphicsView()
{
    qDebug() << this << "Destructing";
    m_renderTimer->stop();
    for (MapTileGraphicsObject* tile : qAsConst(m_tileObjects)) {
        if (!m_childScene.isNull())
            m_childScene->removeItem(tile);
        delete tile;
    }
    m_tileObjects.clear();
    if (!m_tileSource.isNull()) {
        // The source goes in its own thread (when this was its last
        // reference), and its thread ends with it. No events are served
        // meanwhile: the window being torn down around this view would get
        // them in widgets half destroyed.
        m_tileSource.clear();
        TileThreads::join(m_tileSourceThread, TileThreadJoinMs);
        m_tileSourceThread = nullptr;
    }
}

QPointF MapGraphicsView::center() const
{
    return mapToGeo(QPoint(width() / 2, height() / 2));
}

void MapGraphicsView::centerOn(const QPointF& lonLat)
{
    if (m_tileSource.isNull() || m_childView.isNull())
        return;
    m_childView->centerOn(m_tileSource->geoToScene(lonLat, m_zoomLevel));
}

void MapGraphicsView::centerOn(qreal longitude, qreal latitude)
{
    centerOn(QPointF(longitude, latitude));
}

void MapGraphicsView::centerOn(const MapGraphicsObject* object)
{
    if (object != nullptr)
        centerOn(object->pos());
}

QPointF MapGraphicsView::mapToGeo(const QPoint& viewPixel) const
{
    if (m_tileSource.isNull()) {
        qWarning() << "No tile source --- Transformation cannot work";
        return QPointF(0, 0);
    }
    return m_tileSource->sceneToGeo(m_childView->mapToScene(viewPixel), m_zoomLevel);
}

void MapGraphicsView::setDragMode(int mode)
{
    m_dragMode = mode;
    if (m_childView.isNull())
        return;
    QGraphicsView::DragMode qtMode = QGraphicsView::RubberBandDrag;
    if (mode == MapDragNone)
        qtMode = QGraphicsView::NoDrag;
    else if (mode == MapDragScroll)
        qtMode = QGraphicsView::ScrollHandDrag;
    m_childView->setDragMode(qtMode);
}

MapGraphicsScene* MapGraphicsView::scene() const
{
    return m_scene.data();
}

void MapGraphicsView::setScene(MapGraphicsScene* scene)
{
    PrivateQGraphicsScene* childScene = new PrivateQGraphicsScene(scene, this, this);
    connect(this, &MapGraphicsView::zoomLevelChanged, childScene,
            &PrivateQGraphicsScene::handleZoomLevelChanged);

    PrivateQGraphicsView* childView = new PrivateQGraphicsView(childScene, this);
    // View pixels are scene pixels: no frame around the map.
    childView->setFrameShape(QFrame::NoFrame);
    connect(childView, &PrivateQGraphicsView::hadMouseDoubleClickEvent, this,
            &MapGraphicsView::handleChildMouseDoubleClick);
    connect(childView, &PrivateQGraphicsView::hadMouseMoveEvent, this,
            &MapGraphicsView::handleChildMouseMove);
    connect(childView, &PrivateQGraphicsView::hadMousePressEvent, this,
            &MapGraphicsView::handleChildMousePress);
    connect(childView, &PrivateQGraphicsView::hadMouseReleaseEvent, this,
            &MapGraphicsView::handleChildMouseRelease);
    connect(childView, &PrivateQGraphicsView::hadWheelEvent, this,
            &MapGraphicsView::handleChildViewScrollWheel);
    connect(childView, &PrivateQGraphicsView::hadContextMenuEvent, this,
            &MapGraphicsView::handleChildViewContextMenu);

    delete layout();
    QVBoxLayout* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(childView);
    childView->setResizeAnchor(QGraphicsView::AnchorViewCenter);

    // The tile items go with the old inner scene; the next layout makes new ones.
    qDeleteAll(m_tileObjects);
    m_tileObjects.clear();
    delete m_childView.data();
    delete m_childScene.data();
    m_childView = childView;
    m_childScene = childScene;
    m_scene = scene;

    updateSceneRect();
    setDragMode(m_dragMode);
}

QSharedPointer<MapTileSource> MapGraphicsView::tileSource() const
{
    return m_tileSource;
}

quint8 MapGraphicsView::zoomLevel() const
{
    return m_zoomLevel;
}

void MapGraphicsView::setTileSource(QSharedPointer<MapTileSource> source)
{
    if (source == m_tileSource)
        return;
    m_tileSource = source;
    // The old source's thread ends when that source goes, wherever it is held.
    TileThreads::releaseWhenFinished(m_tileSourceThread);
    m_tileSourceThread = nullptr;
    if (!source.isNull())
        m_tileSourceThread =
            TileThreads::host(source.data(), QStringLiteral("MapGraphicsView::tileSourceThread"));
    for (MapTileGraphicsObject* tile : qAsConst(m_tileObjects))
        tile->setTileSource(source);
}

void MapGraphicsView::setZoomLevel(quint8 nZoom, int zoomMode)
{
    if (m_tileSource.isNull())
        return;

    const QPointF geoCentre = center();
    const QPointF mouseScene = m_childView->mapToScene(m_childView->mapFromGlobal(QCursor::pos()));
    const QRectF oldRect = m_childScene->sceneRect();
    const QPointF centreScene =
        m_childView->mapToScene(QPoint(m_childView->width() / 2, m_childView->height() / 2));

    const quint8 minimum = m_tileSource->minZoomLevel(QPointF(0, 0));
    const quint8 maximum = m_tileSource->maxZoomLevel(QPointF(0, 0));
    if (minimum >= nZoom)
        nZoom = minimum;
    if (maximum < nZoom)
        nZoom = maximum;
    if (nZoom == m_zoomLevel)
        return;

    m_zoomLevel = nZoom;
    for (MapTileGraphicsObject* tile : qAsConst(m_tileObjects))
        tile->hide();
    updateSceneRect();
    const QRectF newRect = m_childScene->sceneRect();

    if (zoomMode == ZoomAroundMouse) {
        // The point under the pointer keeps its place on the screen.
        const qreal fractionX = float(mouseScene.x() / oldRect.width());
        const qreal fractionY = float(mouseScene.y() / oldRect.height());
        m_childView->centerOn(fractionX * newRect.width() - (mouseScene.x() - centreScene.x()),
                              fractionY * newRect.height() - (mouseScene.y() - centreScene.y()));
    } else {
        centerOn(geoCentre);
    }
    emit zoomLevelChanged(nZoom);
}

void MapGraphicsView::zoomIn(int zoomMode)
{
    if (!m_tileSource.isNull() && m_zoomLevel < m_tileSource->maxZoomLevel(QPointF(0, 0)))
        setZoomLevel(m_zoomLevel + 1, zoomMode);
}

void MapGraphicsView::zoomOut(int zoomMode)
{
    if (!m_tileSource.isNull() && m_tileSource->minZoomLevel(QPointF(0, 0)) < m_zoomLevel)
        setZoomLevel(m_zoomLevel - 1, zoomMode);
}

void MapGraphicsView::handleChildMouseDoubleClick(QMouseEvent* event)
{
    event->setAccepted(false);
}

void MapGraphicsView::handleChildMouseMove(QMouseEvent* event)
{
    event->setAccepted(false);
}

void MapGraphicsView::handleChildMousePress(QMouseEvent* event)
{
    event->setAccepted(false);
}

void MapGraphicsView::handleChildMouseRelease(QMouseEvent* event)
{
    event->setAccepted(false);
}

void MapGraphicsView::handleChildViewContextMenu(QContextMenuEvent* event)
{
    event->setAccepted(false);
}

void MapGraphicsView::handleChildViewScrollWheel(QWheelEvent* event)
{
    event->setAccepted(true);
    setDragMode(MapDragScroll);
    // The dominant direction's delta, as a one-axis wheel gives it.
    const QPoint angle = event->angleDelta();
    const int delta = std::abs(angle.x()) > std::abs(angle.y()) ? angle.x() : angle.y();
    if (delta <= 0)
        zoomOut(ZoomAroundMouse);
    else
        zoomIn(ZoomAroundMouse);
}

void MapGraphicsView::renderTiles()
{
    if (m_scene.isNull())
        QLogger::logTrace(LogModule, "MapGraphicsView::renderTiles() No MapGraphicsScene to render");
    else if (m_tileSource.isNull())
        QLogger::logTrace(LogModule, "MapGraphicsView::renderTiles() No MapTileSource to render");
    else
        layOutTiles();
}

void MapGraphicsView::updateSceneRect()
{
    if (m_tileSource.isNull() || m_childScene.isNull())
        return;
    const double tilesPerSide = std::sqrt(double(m_tileSource->tileCountOnZoomLevel(m_zoomLevel)));
    const quint64 side = quint64(m_tileSource->tileSize() * tilesPerSide);
    if (m_childScene->sceneRect().width() != double(side))
        m_childScene->setSceneRect(0, 0, double(side), double(side));
}

void MapGraphicsView::layOutTiles()
{
    const QRect geometry = m_childView->geometry();
    const int w = geometry.right() - geometry.left() + 1;
    const int h = geometry.bottom() - geometry.top() + 1;
    const QPointF centre = m_childView->mapToScene(QPoint(int(w * 0.5), int(h * 0.5)));

    // Tiles within twice the visible area keep their item and picture.
    const QRectF visible =
        m_childView->mapToScene(QPolygon({QPoint(0, 0), QPoint(0, h), QPoint(w, h), QPoint(w, 0)}))
            .boundingRect();
    const QRectF keep(visible.x() - visible.width() / 2, visible.y() - visible.height() / 2,
                      2 * visible.width(), 2 * visible.height());

    const quint16 size = m_tileSource->tileSize();
    // Whole tiles per side, held to what tile numbers can address.
    const qint64 tilesPerSide =
        qint64(std::min(std::sqrt(double(m_tileSource->tileCountOnZoomLevel(m_zoomLevel))), 4294967296.0));
    const qint64 tilesPerDimension = qint64(std::max(visible.width() / size, visible.height() / size) + 3.0);
    const qint64 firstColumn = std::max<qint64>(0, qint64(centre.x() / size) - tilesPerDimension / 2);
    const qint64 firstRow = std::max<qint64>(0, qint64(centre.y() / size) - tilesPerDimension / 2);
    const qint64 columnEnd = std::min(firstColumn + tilesPerDimension, tilesPerSide);
    const qint64 rowEnd = std::min(firstRow + tilesPerDimension, tilesPerSide);
    // The tiles laid out below keep their items too: the outer ones can lie
    // beyond the doubled area, and would otherwise be handed out afresh (and
    // asked for again) by every layout.
    const QRectF laidOut(double(firstColumn * size), double(firstRow * size),
                         double((columnEnd - firstColumn) * size), double((rowEnd - firstRow) * size));

    QList<MapTileGraphicsObject*> freeTiles;
    QSet<ScenePixel> occupied;
    for (MapTileGraphicsObject* tile : qAsConst(m_tileObjects)) {
        if (!tile->isVisible() || !(keep.contains(tile->pos()) || laidOut.contains(tile->pos()))) {
            freeTiles.append(tile);
            tile->hide();
        } else {
            occupied.insert(scenePixel(tile->pos()));
        }
    }

    for (qint64 x = firstColumn; x < columnEnd; ++x) {
        for (qint64 y = firstRow; y < rowEnd; ++y) {
            const QPointF position(double(x * size + size / 2), double(y * size + size / 2));
            if (occupied.contains(scenePixel(position)))
                continue;
            if (freeTiles.isEmpty()) {
                MapTileGraphicsObject* tile = new MapTileGraphicsObject(size);
                tile->setTileSource(m_tileSource);
                m_tileObjects.insert(tile);
                m_childScene->addItem(tile);
                freeTiles.append(tile);
            }
            MapTileGraphicsObject* tile = freeTiles.takeFirst();
            if (tile->pos() != position)
                tile->setPos(position);
            if (!tile->isVisible())
                tile->show();
            tile->setTile(quint32(x), quint32(y), m_zoomLevel);
        }
    }

    while (freeTiles.size() > SpareTileItems) {
        MapTileGraphicsObject* tile = freeTiles.takeFirst();
        m_tileObjects.remove(tile);
        m_childScene->removeItem(tile);
        delete tile;
    }
}
