#include "map/graphics/MapGraphicsView.h"
#include "DebugCapture.h"
#include "FakeTileSource.h"
#include "MapViewProbe.h"
#include "ProgramLog.h"
#include "TempWorkDir.h"
#include "ThreadGate.h"
#include "WaitFor.h"
#include "map/graphics/MapGraphicsScene.h"
#include "map/graphics/MapTileGraphicsObject.h"
#include "map/graphics/PrivateQGraphicsView.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <set>

namespace {

using TileSet = std::set<std::tuple<quint32, quint32, int>>;

class MapGraphicsViewTest : public ::testing::Test
{
protected:
    MapGraphicsViewTest() : source(makeTileSource<FakeTileSource>(Qt::white))
    {
        view = std::make_unique<MapGraphicsView>(&scene);
        view->resize(800, 600);
        view->show();
    }
    ~MapGraphicsViewTest() override
    {
        // The view holds the last reference: the source and its thread go with it.
        QPointer<FakeTileSource> watched = source.data();
        source.clear();
        view.reset();
        EXPECT_TRUE(watched.isNull());
    }
    void useSource(quint8 zoom)
    {
        view->setTileSource(source);
        view->setZoomLevel(zoom);
    }
    TileSet requested() const
    {
        TileSet tiles;
        for (const FakeTileSource::Tile& t : source->requests())
            tiles.insert({t.x, t.y, t.z});
        return tiles;
    }
    // Serves events until the view has laid out its tiles n more times.
    bool waitForLayouts(int n)
    {
        QTimer* layoutTimer = view->findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
        int layouts = 0;
        QMetaObject::Connection counting =
            QObject::connect(layoutTimer, &QTimer::timeout, [&] { ++layouts; });
        const bool done = waitFor([&] { return layouts >= n + 1; });
        QObject::disconnect(counting);
        return done;
    }
    // Degrees of longitude in one scene pixel at a zoom.
    static double pixelDegrees(quint8 zoom) { return 360.0 / (256.0 * std::pow(2.0, zoom)); }

    MapGraphicsScene scene;
    QSharedPointer<FakeTileSource> source;
    std::unique_ptr<MapGraphicsView> view;
};

} // namespace

TEST_F(MapGraphicsViewTest, ANewViewStartsAtZoomTwoWithScrollDragAndSizesItsSceneOnTheFirstZoom)
{
    EXPECT_EQ(view->zoomLevel(), 2);
    EXPECT_EQ(view->dragMode(), MapGraphicsView::MapDragScroll);
    EXPECT_EQ(MapViewProbe::childView(*view)->dragMode(), QGraphicsView::ScrollHandDrag);
    useSource(10);
    EXPECT_EQ(MapViewProbe::childView(*view)->sceneRect(), QRectF(0, 0, 262144, 262144));
}

TEST_F(MapGraphicsViewTest, ZoomLevelsAreHeldToTheSourcesRange)
{
    source->setZoomRange(3, 12);
    useSource(5);
    QSignalSpy changed(view.get(), &MapGraphicsView::zoomLevelChanged);
    const struct
    {
        quint8 asked, level;
        int emitted;
    } cases[] = {{5, 5, 0}, {30, 12, 1}, {12, 12, 0}, {1, 3, 1}, {0, 3, 0}, {7, 7, 1}};
    for (const auto& c : cases) {
        changed.clear();
        view->setZoomLevel(c.asked);
        EXPECT_EQ(view->zoomLevel(), c.level) << int(c.asked);
        EXPECT_EQ(changed.count(), c.emitted) << int(c.asked);
    }
    view->setZoomLevel(12);
    view->zoomIn();
    EXPECT_EQ(view->zoomLevel(), 12);
    view->setZoomLevel(3);
    view->zoomOut();
    EXPECT_EQ(view->zoomLevel(), 3);
}

TEST_F(MapGraphicsViewTest, EachWheelEventZoomsOneLevelAndNoDeltaZoomsOut)
{
    useSource(10);
    QWidget* viewport = MapViewProbe::childView(*view)->viewport();
    const struct
    {
        QPoint angle;
        quint8 level;
    } cases[] = {{{0, 120}, 11}, {{0, 720}, 12}, {{0, -120}, 11}, {{0, 0}, 10}, {{-120, 15}, 9}};
    for (const auto& c : cases) {
        QWheelEvent wheel(QPointF(400, 300), viewport->mapToGlobal(QPoint(400, 300)), QPoint(), c.angle,
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
        EXPECT_EQ(view->zoomLevel(), c.level) << c.angle.x() << "," << c.angle.y();
    }
}

TEST_F(MapGraphicsViewTest, ZoomingAroundTheCentreKeepsTheCentreAndAroundTheMouseKeepsThePointUnderIt)
{
    useSource(10);
    view->centerOn(2.5, 48.8);
    const QPointF centre = view->center();
    EXPECT_NEAR(centre.x(), 2.5, pixelDegrees(10));
    EXPECT_NEAR(centre.y(), 48.8, pixelDegrees(10));
    view->setZoomLevel(13);
    EXPECT_NEAR(view->center().x(), centre.x(), 2 * pixelDegrees(13));
    EXPECT_NEAR(view->center().y(), centre.y(), 2 * pixelDegrees(13));

    const QPoint pointer(150, 120);
    QCursor::setPos(MapViewProbe::childView(*view)->mapToGlobal(pointer));
    const QPointF underPointer = view->mapToGeo(pointer);
    view->setZoomLevel(15, MapGraphicsView::ZoomAroundMouse);
    const QPointF after = view->mapToGeo(pointer);
    EXPECT_NEAR(after.x(), underPointer.x(), 2 * pixelDegrees(15));
    EXPECT_NEAR(after.y(), underPointer.y(), 2 * pixelDegrees(15));
}

TEST_F(MapGraphicsViewTest, PixelsConvertToLongitudeAndLatitude)
{
    useSource(10);
    view->centerOn(2.5, 48.8);
    const QPointF middle = view->mapToGeo(QPoint(400, 300));
    const QPointF right = view->mapToGeo(QPoint(400 + 256, 300));
    EXPECT_NEAR(middle.x(), 2.5, pixelDegrees(10));
    EXPECT_NEAR(middle.y(), 48.8, pixelDegrees(10));
    EXPECT_NEAR(right.x() - middle.x(), 256 * pixelDegrees(10), 1e-9);
    EXPECT_NEAR(right.y(), middle.y(), 1e-9);
}

TEST_F(MapGraphicsViewTest, CentredOnAPlaceTheViewAsksForTheTilesAroundIt)
{
    useSource(10);
    view->centerOn(2.5, 48.8);
    // Every tile that shows, and none far beyond.
    const QPointF first = source->geoToScene(view->mapToGeo(QPoint(0, 0)), 10) / 256;
    const QPointF last = source->geoToScene(view->mapToGeo(QPoint(799, 599)), 10) / 256;
    TileSet visible;
    for (int x = int(first.x()); x <= int(last.x()); ++x) {
        for (int y = int(first.y()); y <= int(last.y()); ++y)
            visible.insert({quint32(x), quint32(y), 10});
    }
    // The tile under the centre (2.5 E, 48.8 N at zoom 10 is column 519, row 352).
    EXPECT_EQ(visible.count({519, 352, 10}), 1u);
    ASSERT_TRUE(waitFor([&] {
        const TileSet tiles = requested();
        return std::includes(tiles.begin(), tiles.end(), visible.begin(), visible.end());
    }));
    for (const auto& t : requested()) {
        EXPECT_GE(int(std::get<0>(t)), int(first.x()) - 2);
        EXPECT_LE(int(std::get<0>(t)), int(last.x()) + 2);
        EXPECT_GE(int(std::get<1>(t)), int(first.y()) - 2);
        EXPECT_LE(int(std::get<1>(t)), int(last.y()) + 2);
    }
}

TEST_F(MapGraphicsViewTest, AtTheWorldsEdgesOnlyExistingTilesAreAsked)
{
    const struct
    {
        const char* name;
        QPointF place;
        quint8 zoom;
        FakeTileSource::Tile corner; // the world's corner tile that shows
    } cases[] = {
        {"north-west corner", {-180, 85}, 10, {0, 0, 10}},
        {"south-east corner", {180, -85}, 10, {1023, 1023, 10}},
        {"whole world smaller than the view", {0, 0}, 1, {1, 1, 1}},
    };
    for (const auto& c : cases) {
        auto fresh = makeTileSource<FakeTileSource>(Qt::white);
        MapGraphicsView edgeView(&scene);
        edgeView.resize(800, 600);
        edgeView.show();
        edgeView.setTileSource(fresh);
        edgeView.setZoomLevel(c.zoom);
        edgeView.centerOn(c.place);
        EXPECT_TRUE(waitFor([&] { return fresh->requestCount(c.corner.x, c.corner.y, c.corner.z) == 1; }))
            << c.name;
        const quint32 tilesPerSide = 1u << c.zoom;
        for (const FakeTileSource::Tile& t : fresh->requests()) {
            EXPECT_LT(t.x, tilesPerSide) << c.name;
            EXPECT_LT(t.y, tilesPerSide) << c.name;
        }
        if (c.zoom == 1)
            EXPECT_EQ(fresh->requestCount(), 4) << c.name;
        fresh.clear();
    }
}

TEST_F(MapGraphicsViewTest, TilesAlreadyLaidOutAreNotAskedForAgainStandingStillOrScrollingALittle)
{
    useSource(10);
    view->centerOn(2.5, 48.8);
    ASSERT_TRUE(waitFor([&] { return requested().count({519, 352, 10}) == 1; }));
    const auto noTileTwice = [&] {
        for (const FakeTileSource::Tile& t : source->requests()) {
            if (source->requestCount(t.x, t.y, t.z) != 1)
                return false;
        }
        return true;
    };
    ASSERT_TRUE(waitForLayouts(3));
    EXPECT_TRUE(noTileTwice());

    // One tile to the east, a third of the view: one new column.
    const quint32 beyondRight = std::get<0>(*requested().rbegin()) + 1;
    view->centerOn(view->mapToGeo(QPoint(400 + 256, 300)));
    ASSERT_TRUE(waitFor([&] {
        for (const auto& t : requested()) {
            if (std::get<0>(t) == beyondRight)
                return true;
        }
        return false;
    }));
    ASSERT_TRUE(waitForLayouts(3));
    EXPECT_TRUE(noTileTwice());
}

TEST_F(MapGraphicsViewTest, AfterALayoutAtMostTwoSpareTileItemsRemain)
{
    useSource(10);
    view->centerOn(2.5, 48.8);
    ASSERT_TRUE(waitFor([&] { return !MapViewProbe::tileItems(*view).isEmpty(); }));
    const int shown = MapViewProbe::tileItems(*view).size();
    // Far away at a lower level: a smaller set of tiles replaces the first.
    view->setZoomLevel(1);
    const auto spares = [&] {
        int hidden = 0;
        for (MapTileGraphicsObject* tile : MapViewProbe::tileItems(*view))
            hidden += tile->isVisible() ? 0 : 1;
        return hidden;
    };
    ASSERT_TRUE(waitFor([&] {
        return requested().count({0, 0, 1}) == 1 && MapViewProbe::tileItems(*view).size() < shown;
    }));
    EXPECT_LE(spares(), 2);
    EXPECT_EQ(MapViewProbe::tileItems(*view).size() - spares(), 4);
}

TEST_F(MapGraphicsViewTest, AnotherSceneReplacesTheFirstAndTilesStillLayOut)
{
    useSource(10);
    view->centerOn(2.5, 48.8);
    ASSERT_TRUE(waitFor([&] { return !MapViewProbe::tileItems(*view).isEmpty(); }));
    MapGraphicsScene other;
    view->setScene(&other);
    EXPECT_EQ(view->scene(), &other);
    EXPECT_EQ(MapViewProbe::childView(*view)->sceneRect(), QRectF(0, 0, 262144, 262144));
    ASSERT_TRUE(waitFor([&] { return !MapViewProbe::tileItems(*view).isEmpty(); }));
    EXPECT_TRUE(waitForLayouts(2));
}

TEST_F(MapGraphicsViewTest, WithoutASourceTheViewConvertsNothingAndSaysWhyItDrawsNoTiles)
{
    TempWorkDir work;
    ProgramLog::capture();
    {
        DebugCapture debug;
        EXPECT_EQ(view->mapToGeo(QPoint(10, 10)), QPointF(0, 0));
        EXPECT_TRUE(debug.contains("No tile source --- Transformation cannot work"));
    }
    view->setZoomLevel(9);
    EXPECT_EQ(view->zoomLevel(), 2);
    EXPECT_TRUE(waitFor([] { return ProgramLog::text().contains("renderTiles() No MapTileSource to render"); }));

    auto gone = std::make_unique<MapGraphicsScene>();
    MapGraphicsView orphan(gone.get());
    gone.reset();
    EXPECT_EQ(orphan.scene(), nullptr);
    EXPECT_TRUE(
        waitFor([] { return ProgramLog::text().contains("renderTiles() No MapGraphicsScene to render"); }));
}

// The view's end serves no events while it waits for its source's thread: the
// window being torn down around the view would get them in widgets half
// destroyed. Here the source's thread is held until a call queued in the
// test's thread lets it go, so the view waits its whole bound for it.
TEST_F(MapGraphicsViewTest, ItsEndServesNoEventsWhileItWaitsForTheSourcesThread)
{
    useSource(2);
    ThreadGate gate;
    const QPointer<QThread> home = source->thread();
    const QPointer<FakeTileSource> watched = source.data();
    QMetaObject::invokeMethod(
        source.data(), [&gate] { gate.pass(); }, Qt::QueuedConnection);
    ASSERT_TRUE(waitFor([&] { return gate.held() == 1; }));
    bool served = false;
    QObject context;
    QMetaObject::invokeMethod(
        &context,
        [&] {
            served = true;
            gate.open();
        },
        Qt::QueuedConnection);

    source.clear();
    view.reset();
    EXPECT_FALSE(served) << "the view's end served the test's events";
    // Then the thread goes, with the source, once let go.
    EXPECT_TRUE(waitFor([&] { return served && watched.isNull() && home.isNull(); }));
}
