#include "map/geo/GeoTools.h"
#include "ProgramLog.h"
#include "SrtmTestTiles.h"
#include "TempWorkDir.h"
#include "map/terrain/SRTMReader.h"
#include "map/terrain/TerrainGrid.h"

#include <QDir>
#include <QSignalSpy>
#include <gtest/gtest.h>

// The station service is one per process: the first of these tests sees it
// fresh when the tests run one per process (as CTest runs them) or in this order.

TEST(GeoTools, StartsAtZeroWithTheDefaultFolderAndNoGrid)
{
    GeoTools& tools = GeoTools::instance();
    EXPECT_EQ(&tools, &GeoTools::instance());
    EXPECT_EQ(tools.getStationPosition(), Position(0.0, 0.0, 0.0));
    EXPECT_EQ(tools.getDemPath(), "./DEM");
    EXPECT_EQ(tools.terrainGrid(), nullptr);
    EXPECT_EQ(tools.parent(), nullptr);
}

TEST(GeoTools, FirstLocationBuildsTheGridOnceAroundIt)
{
    TempWorkDir work;
    ASSERT_TRUE(QDir().mkpath("DEM"));
    ASSERT_TRUE(SrtmTestTiles::write(work.file("DEM/N45E004.hgt")));
    ASSERT_TRUE(SrtmTestTiles::write(work.file("DEM/N50E010.hgt")));
    GeoTools& tools = GeoTools::instance();
    tools.setDemPath(work.file("DEM"));

    tools.setStationLocation(4.2, 45.3);
    TerrainGrid* grid = tools.terrainGrid();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->columns(), 1333);
    EXPECT_EQ(grid->demPath(), work.file("DEM"));
    // Making the grid read nothing: its first user loads the tiles.
    EXPECT_FALSE(grid->lockReader()->hasTile("N45E004.hgt"));
    grid->loadTiles();
    EXPECT_TRUE(grid->lockReader()->hasTile("N45E004.hgt"));

    QSignalSpy moved(&tools, &GeoTools::SIG_StationLocationChanged);
    tools.setStationLocation(10.5, 50.5);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(tools.terrainGrid(), grid);
    grid->loadTiles();
    EXPECT_FALSE(grid->lockReader()->hasTile("N50E010.hgt"));
    EXPECT_EQ(grid->centre(), Position(10.5, 50.5, 0.0));
}

TEST(GeoTools, LocationIsStoredLoggedAndAnnouncedLatitudeFirst)
{
    TempWorkDir work;
    ProgramLog::capture();
    GeoTools& tools = GeoTools::instance();
    tools.setDemPath(work.file("DEM"));
    QSignalSpy moved(&tools, &GeoTools::SIG_StationLocationChanged);

    tools.setStationLocation(2.5, 48.8);
    EXPECT_EQ(tools.getStationPosition(), Position(2.5, 48.8, 0.0));
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toDouble(), 48.8);
    EXPECT_EQ(moved.at(0).at(1).toDouble(), 2.5);

    // The same place again is announced again.
    tools.setStationLocation(2.5, 48.8);
    EXPECT_EQ(moved.count(), 2);

    tools.setStationLocation(-0.123456789, 51.987654321);
    const QString log = ProgramLog::text();
    EXPECT_TRUE(log.contains("[Trace] {kv3lab} GeoTools::setStationLocation(2.5,48.8)\n"))
        << log.toStdString();
    EXPECT_TRUE(log.contains("GeoTools::setStationLocation(-0.123457,51.9877)\n")) << log.toStdString();
}
