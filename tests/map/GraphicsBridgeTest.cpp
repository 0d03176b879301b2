#include "ConstructionWindow.h"
#include "DebugCapture.h"
#include "FakeTileSource.h"
#include "MapViewProbe.h"
#include "WaitFor.h"
#include "map/graphics/CircleObject.h"
#include "map/graphics/LineObject.h"
#include "map/graphics/MapGraphicsScene.h"
#include "map/graphics/MapGraphicsView.h"
#include "map/graphics/MapTileGraphicsObject.h"
#include "map/graphics/PolygonObject.h"
#include "map/graphics/PrivateQGraphicsObject.h"
#include "map/graphics/PrivateQGraphicsView.h"

#include <QGraphicsSceneMouseEvent>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A map object of a given extent that notes where the pointer events it gets are.
class Probe : public MapGraphicsObject
{
public:
    Probe(const QRectF& extent, bool zoomInvariant) : MapGraphicsObject(zoomInvariant), m_extent(extent) {}
    QRectF boundingRect() const override { return m_extent; }
    void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override {}
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override
    {
        pressedAt = event->scenePos();
        MapGraphicsObject::mousePressEvent(event);
    }
    QPointF pressedAt;

private:
    QRectF m_extent;
};

class GraphicsBridgeTest : public ::testing::Test
{
protected:
    GraphicsBridgeTest() : source(makeTileSource<FakeTileSource>(Qt::white))
    {
        view = std::make_unique<MapGraphicsView>(&scene);
        view->resize(400, 300);
        view->show();
        view->setTileSource(source);
    }
    ~GraphicsBridgeTest() override
    {
        source.clear();
        view.reset();
    }
    // Adds an object named by its tool tip and lets its construction finish.
    template <typename Object> Object* add(std::unique_ptr<Object>& object, const QString& name)
    {
        object->setToolTip(name);
        scene.addObject(object.get());
        EXPECT_TRUE(finishConstruction());
        return object.get();
    }
    QPointF pixelOf(const QPointF& lonLat) const
    {
        const QPointF scenePos = source->geoToScene(lonLat, view->zoomLevel());
        return QPointF(MapViewProbe::childView(*view)->mapFromScene(scenePos));
    }

    MapGraphicsScene scene;
    QSharedPointer<FakeTileSource> source;
    std::unique_ptr<MapGraphicsView> view;
};

} // namespace

TEST_F(GraphicsBridgeTest, AnObjectAddedLaterGetsAnItemWithItsPropertiesAtZFive)
{
    view->setZoomLevel(10);
    auto circle = std::make_unique<CircleObject>(10, true, Qt::red);
    circle->setPos(QPointF(2.5, 48.8));
    circle->setZValue(9);
    circle->setOpacity(0.5);
    circle->setRotation(30);
    circle->setToolTip("beacon");
    scene.addObject(circle.get());
    PrivateQGraphicsObject* proxy = MapViewProbe::proxyOf(*view, "beacon");
    ASSERT_NE(proxy, nullptr);
    EXPECT_EQ(proxy->zValue(), 5);
    EXPECT_EQ(proxy->opacity(), 0.5);
    EXPECT_EQ(proxy->rotation(), 30);
    EXPECT_EQ(proxy->pos(), source->geoToScene(QPointF(2.5, 48.8), 10));
    EXPECT_TRUE(proxy->flags() & QGraphicsItem::ItemIsMovable);
    // The z value set in construction arrives with its deferred signal.
    EXPECT_TRUE(waitFor([&] { return proxy->zValue() == 9; }));

    circle->setPos(QPointF(2.6, 48.9));
    EXPECT_EQ(proxy->pos(), source->geoToScene(QPointF(2.6, 48.9), 10));
    view->setZoomLevel(12);
    EXPECT_EQ(proxy->pos(), source->geoToScene(QPointF(2.6, 48.9), 12));
}

TEST_F(GraphicsBridgeTest, ItemsArePixelSizedOrMetreSizedByTheirObject)
{
    view->setZoomLevel(16);
    auto pixels = std::make_unique<Probe>(QRectF(-40, -40, 90, 90), true);
    auto metres = std::make_unique<Probe>(QRectF(-50, -50, 100, 100), false);
    add(pixels, "pixels");
    add(metres, "metres");
    EXPECT_EQ(MapViewProbe::proxyOf(*view, "pixels")->boundingRect(), QRectF(-40, -40, 90, 90));
    // 100 m at the equator at zoom 16: about 41.9 by 42.1 pixels.
    const QRectF rect = MapViewProbe::proxyOf(*view, "metres")->boundingRect();
    EXPECT_NEAR(rect.width(), 41.9, 1.0);
    EXPECT_NEAR(rect.height(), 42.1, 1.0);
    EXPECT_DOUBLE_EQ(rect.center().x(), 0.0);
    EXPECT_DOUBLE_EQ(rect.center().y(), 0.0);
}

TEST_F(GraphicsBridgeTest, SelectingAnotherItemLeavesOnlyItSelected)
{
    view->setZoomLevel(10);
    auto a = std::make_unique<CircleObject>(5, true, Qt::red);
    auto b = std::make_unique<CircleObject>(5, true, Qt::blue);
    add(a, "a");
    add(b, "b");
    QGraphicsItem* itemA = MapViewProbe::proxyOf(*view, "a");
    QGraphicsItem* itemB = MapViewProbe::proxyOf(*view, "b");
    itemA->setSelected(true);
    EXPECT_TRUE(a->isSelected());
    // As a Control-click adds B to the selection.
    itemB->setSelected(true);
    EXPECT_FALSE(itemA->isSelected());
    EXPECT_FALSE(a->isSelected());
    EXPECT_TRUE(itemB->isSelected());
    EXPECT_TRUE(b->isSelected());

    // Selecting from the object's side reaches its item.
    a->setSelected(true);
    EXPECT_TRUE(itemA->isSelected());
}

TEST_F(GraphicsBridgeTest, PointerEventsReachTheObjectInLongitudeAndLatitude)
{
    view->setZoomLevel(10);
    view->centerOn(2.5, 48.8);
    auto probe = std::make_unique<Probe>(QRectF(-10, -10, 20, 20), true);
    probe->setPos(QPointF(2.5, 48.8));
    probe->setFlag(MapGraphicsObject::MapObjectSelectable);
    add(probe, "probe");
    const QPoint pixel = pixelOf(QPointF(2.5, 48.8)).toPoint();
    QTest::mouseClick(MapViewProbe::childView(*view)->viewport(), Qt::LeftButton, Qt::NoModifier, pixel);
    EXPECT_NEAR(probe->pressedAt.x(), 2.5, 0.01);
    EXPECT_NEAR(probe->pressedAt.y(), 48.8, 0.01);
    // Qt's own handling saw scene pixels again: the click selected the item.
    EXPECT_TRUE(probe->isSelected());

    QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
    const QPointF scenePos = source->geoToScene(QPointF(2.5, 48.8), 10);
    press.setScenePos(scenePos);
    press.setButton(Qt::LeftButton);
    MapViewProbe::childView(*view)->scene()->sendEvent(MapViewProbe::proxyOf(*view, "probe"), &press);
    EXPECT_EQ(press.scenePos(), scenePos);
}

TEST_F(GraphicsBridgeTest, DraggingAnObjectMovesItsGeographicPosition)
{
    view->setZoomLevel(10);
    view->centerOn(2.5, 48.8);
    auto circle = std::make_unique<CircleObject>(10, true, Qt::red);
    circle->setPos(QPointF(2.5, 48.8));
    add(circle, "dragged");
    QWidget* viewport = MapViewProbe::childView(*view)->viewport();
    const QPoint from = pixelOf(QPointF(2.5, 48.8)).toPoint();
    const QPoint to = from + QPoint(60, 40);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, to, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, to);
    const QPointF expected = view->mapToGeo(to);
    EXPECT_NEAR(circle->longitude(), expected.x(), 0.002);
    EXPECT_NEAR(circle->latitude(), expected.y(), 0.002);
}

TEST_F(GraphicsBridgeTest, RemovingAnObjectDeletesItsItemAtOnce)
{
    auto circle = std::make_unique<CircleObject>(5, true, Qt::red);
    add(circle, "gone");
    const int before = MapViewProbe::proxies(*view).size();
    scene.removeObject(circle.get());
    EXPECT_EQ(MapViewProbe::proxies(*view).size(), before - 1);
    DebugCapture debug;
    scene.removeObject(circle.get());
    EXPECT_TRUE(debug.contains("There is no QGraphicsObject in the scene for"));
}

TEST_F(GraphicsBridgeTest, InvalidatedTilesAreAskedForAgain)
{
    view->setZoomLevel(3);
    ASSERT_TRUE(waitFor([&] { return source->requestCount() > 0; }));
    serveEventsPast(300);
    const int laidOut = MapViewProbe::tileItems(*view).size();
    const int asked = source->requestCount();
    emit source->allTilesInvalidated();
    EXPECT_TRUE(waitFor([&] { return source->requestCount() >= asked + laidOut - 2; }));
}

TEST_F(GraphicsBridgeTest, ShapesAreDrawnWhereTheyStand)
{
    // About 0.4 m per pixel: the 5 m line is some 12 pixels thick.
    view->setZoomLevel(18);
    view->centerOn(2.5, 48.8);
    auto circle = std::make_unique<CircleObject>(6, true, Qt::red);
    circle->setPos(view->mapToGeo(QPoint(100, 150)));
    add(circle, "circle");
    const QPointF west = view->mapToGeo(QPoint(230, 100));
    const QPointF east = view->mapToGeo(QPoint(330, 200));
    QPolygonF corners({west, QPointF(east.x(), west.y()), east, QPointF(west.x(), east.y())});
    auto polygon = std::make_unique<PolygonObject>(corners, Qt::blue);
    add(polygon, "polygon");
    auto line = std::make_unique<LineObject>(Position(view->mapToGeo(QPoint(20, 280)), 0),
                                             Position(view->mapToGeo(QPoint(180, 280)), 0), 5.0);
    add(line, "line");

    ASSERT_TRUE(MapViewProbe::waitForPixel(*view, QPoint(100, 150), Qt::red));
    const QImage image = MapViewProbe::grab(*view);
    EXPECT_NE(image.pixelColor(100, 165), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(280, 150), QColor(Qt::blue));
    EXPECT_NE(image.pixelColor(350, 150), QColor(Qt::blue));
    EXPECT_NE(image.pixelColor(280, 220), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(100, 280), QColor(Qt::black));
    EXPECT_NE(image.pixelColor(100, 270), QColor(Qt::black));
}

TEST_F(GraphicsBridgeTest, ATileItemPaintsItsPictureOnceItArrives)
{
    source->setAnswer(FakeTileSource::Never);
    view->setZoomLevel(2);
    view->centerOn(0, 0);
    ASSERT_TRUE(waitFor([&] { return source->requestCount() > 0; }));
    QImage loading = MapViewProbe::grab(*view);
    EXPECT_NE(loading.pixelColor(200, 150), QColor(Qt::green));
    source->setColor(Qt::green);
    source->setAnswer(FakeTileSource::Deliver);
    emit source->allTilesInvalidated();
    EXPECT_TRUE(MapViewProbe::waitForPixel(*view, QPoint(200, 150), Qt::green));
}
