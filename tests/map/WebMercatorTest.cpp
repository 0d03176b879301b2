#include "map/tiles/WebMercator.h"
#include "FakeTileSource.h"
#include "map/tiles/GridTileSource.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <set>

TEST(WebMercator, KnownPlacesLandOnKnownPixels)
{
    const struct
    {
        QPointF lonLat;
        quint8 zoom;
        QPointF scene;
    } cases[] = {
        {{0, 0}, 1, {256, 256}},
        {{-180, WebMercator::MaxLatitude}, 0, {0, 0}},
        {{180, -WebMercator::MaxLatitude}, 0, {256, 256}},
        {{2.5, 48.8}, 10, {132892, 90247}},
        // Poles and beyond are held to the square world's edges.
        {{0, 90}, 3, {1024, 0}},
        {{0, -90}, 3, {1024, 2048}},
        {{0, 1000}, 3, {1024, 0}},
    };
    for (const auto& c : cases) {
        const QPointF scene = WebMercator::geoToScene(c.lonLat, c.zoom, 256);
        EXPECT_EQ(scene, c.scene) << c.lonLat.x() << "," << c.lonLat.y() << " zoom " << int(c.zoom);
    }
}

TEST(WebMercator, SceneToGeoUndoesGeoToSceneWithinAPixel)
{
    for (quint8 zoom : {0, 5, 10, 18}) {
        for (const QPointF& place : {QPointF(2.5, 48.8), QPointF(-122.4, 37.8), QPointF(151.2, -33.9)}) {
            const QPointF back =
                WebMercator::sceneToGeo(WebMercator::geoToScene(place, zoom, 256), zoom, 256);
            const double pixelDegrees = 360.0 / (256.0 * std::pow(2.0, zoom));
            EXPECT_NEAR(back.x(), place.x(), pixelDegrees) << int(zoom);
            EXPECT_NEAR(back.y(), place.y(), pixelDegrees) << int(zoom);
        }
    }
}

TEST(WebMercator, DeepZoomsAndOddInputsStayDefined)
{
    // Beyond 32-bit pixels and 64-bit tile counts; built with UBSan these
    // conversions are checked.
    EXPECT_EQ(WebMercator::geoToScene(QPointF(180, 0), 50, 256).x(), 256.0 * std::pow(2.0, 50));
    EXPECT_EQ(WebMercator::tileCountOnZoomLevel(18), 68719476736ull);
    EXPECT_EQ(WebMercator::tileCountOnZoomLevel(31), 1ull << 62);
    EXPECT_EQ(WebMercator::tileCountOnZoomLevel(32), std::numeric_limits<quint64>::max());
    EXPECT_EQ(WebMercator::tileCountOnZoomLevel(255), std::numeric_limits<quint64>::max());
    const QPointF nan = WebMercator::geoToScene(QPointF(0, std::nan("")), 3, 256);
    EXPECT_TRUE(std::isnan(nan.y()));
}

namespace {
// Columns (probed along row 3) or rows (along column 3) that are black;
// neither probe lies on a grid line.
std::set<int> blackLines(const QImage& tile, bool columns)
{
    std::set<int> lines;
    for (int i = 0; i < tile.width(); ++i) {
        const int x = columns ? i : 3;
        const int y = columns ? 3 : i;
        if (tile.pixelColor(x, y) == QColor(Qt::black))
            lines.insert(i);
    }
    return lines;
}
} // namespace

TEST(GridTileSource, WorldTileShowsMeridiansAndParallelsAtTheirPixels)
{
    GridTileSource grid;
    const QImage world = collectTile(grid, 0, 0, 0);
    ASSERT_FALSE(world.isNull());
    // 36 meridians inside the picture (the 37th, 180°, falls on 256).
    std::set<int> meridians;
    for (int longitude = -180; longitude < 180; longitude += 10)
        meridians.insert(int((180 + longitude) * 256 / 360.0));
    EXPECT_EQ(blackLines(world, true), meridians);
    // Parallels -80 to 80; -90 lies on the world's bottom edge.
    const std::set<int> parallels{28,  57,  74,  86,  96,  105, 113, 120, 128,
                                  135, 142, 150, 159, 169, 181, 198, 227};
    EXPECT_EQ(blackLines(world, false), parallels);
    // Between the lines the tile is see-through.
    EXPECT_EQ(world.pixelColor(3, 3).alpha(), 0);
}

TEST(GridTileSource, TileInsideATenDegreeCellIsTransparent)
{
    GridTileSource grid;
    // Zoom 10 around 2.5 E, 48.8 N: far from any multiple of ten degrees.
    const QImage tile = collectTile(grid, 519, 352, 10);
    ASSERT_FALSE(tile.isNull());
    for (int y = 0; y < tile.height(); y += 5) {
        for (int x = 0; x < tile.width(); x += 5)
            ASSERT_EQ(tile.pixelColor(x, y).alpha(), 0) << x << "," << y;
    }
}
