#include "FakeTileSource.h"
#include "ProgramLog.h"
#include "LoopbackHttpServer.h"
#include "MapViewProbe.h"
#include "TempWorkDir.h"
#include "WaitFor.h"
#include "map/graphics/CircleObject.h"
#include "map/graphics/MapGraphicsScene.h"
#include "map/graphics/MapGraphicsView.h"
#include "map/graphics/PrivateQGraphicsView.h"
#include "map/tiles/CompositeTileSource.h"
#include "map/tiles/GridTileSource.h"
#include "map/tiles/OSMTileSource.h"

#include <QDir>
#include <QPointer>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The map panel's arrangement: a network layer under the grid, in a view.
class MapViewNetworkTest : public ::testing::Test
{
protected:
    void SetUp() override { ProgramLog::captureUnfiled(); }
    void pointTileServerAt(const QString& address)
    {
        QSettings settings(work.file("conf/vantor-sdr.conf"), QSettings::IniFormat);
        settings.setValue("Map/tile_server", address);
    }
    std::unique_ptr<MapGraphicsView> makeView(MapGraphicsScene& scene,
                                              QPointer<MapTileSource>* network = nullptr)
    {
        auto composite = makeTileSource<CompositeTileSource>();
        auto osm = makeTileSource<OSMTileSource>(OSMTileSource::OSMTiles);
        if (network != nullptr)
            *network = osm.data();
        composite->addSourceBottom(osm, 1.0);
        composite->addSourceTop(makeTileSource<GridTileSource>(), 1.0);
        auto view = std::make_unique<MapGraphicsView>(&scene);
        view->resize(512, 512);
        view->show();
        view->setTileSource(composite);
        view->setZoomLevel(1);
        view->centerOn(0, 0);
        return view;
    }

    TempWorkDir work;
};

} // namespace

TEST_F(MapViewNetworkTest, AViewBuiltAgainInTheSameProcessStillLoadsTiles)
{
    LoopbackHttpServer server;
    server.setHandler("/1/*", [](const LoopbackHttpServer::Request&) {
        LoopbackHttpServer::Reply reply;
        reply.body = pngTile(Qt::yellow);
        reply.contentType = "image/png";
        return reply;
    });
    pointTileServerAt(server.url());
    MapGraphicsScene scene;
    for (int round = 1; round <= 3; ++round) {
        // Each round gets fresh tile threads; a cache would hide the network.
        QDir(work.file("MapCache")).removeRecursively();
        QPointer<MapTileSource> network;
        auto view = makeView(scene, &network);
        EXPECT_TRUE(MapViewProbe::waitForPixel(*view, QPoint(64, 64), Qt::yellow)) << "round " << round;
        view.reset();
        // The view took its layers and their threads with it.
        EXPECT_TRUE(network.isNull()) << "round " << round;
    }
}

TEST_F(MapViewNetworkTest, OfflineTheGridAndTheObjectsStillShowAndTheServerIsLoggedOnce)
{
    // A port nobody listens on: every connection is refused.
    int closedPort = 0;
    {
        LoopbackHttpServer probe;
        closedPort = probe.port();
    }
    pointTileServerAt(QString("http://127.0.0.1:%1").arg(closedPort));
    MapGraphicsScene scene;
    auto view = makeView(scene);
    auto marker = std::make_unique<CircleObject>(8, true, Qt::red);
    marker->setPos(QPointF(45, 45));
    scene.addObject(marker.get());

    // Grid lines in each of the four tiles of zoom 1 (meridians 170 W and 10 E).
    const QList<QPoint> gridPixels{{14, 100}, {270, 100}, {14, 400}, {270, 400}};
    const auto gridShows = [&] {
        const QImage image = MapViewProbe::grab(*view);
        for (const QPoint& pixel : gridPixels) {
            if (image.pixelColor(pixel) != QColor(Qt::black))
                return false;
        }
        return true;
    };
    ASSERT_TRUE(waitFor(gridShows, 10000));
    const QPoint markerPixel =
        MapViewProbe::childView(*view)->mapFromScene(view->tileSource()->geoToScene(QPointF(45, 45), 1));
    EXPECT_EQ(MapViewProbe::grab(*view).pixelColor(markerPixel), QColor(Qt::red));

    // The four tiles failed; the log tells once that the server does not answer.
    const QString failure = "Network Error";
    EXPECT_EQ(ProgramLog::text().count(failure), 1);
    // Zoom 0 (its one tile shows the 170 W meridian), then zoom 1 again: more
    // tiles fail without new lines.
    view->setZoomLevel(0);
    ASSERT_TRUE(MapViewProbe::waitForPixel(*view, QPoint(128 + 7, 158), Qt::black));
    view->setZoomLevel(1);
    view->centerOn(0, 0);
    ASSERT_TRUE(waitFor(gridShows, 10000));
    EXPECT_EQ(ProgramLog::text().count(failure), 1);
}
