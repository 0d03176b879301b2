#include "map/terrain/TerrainGrid.h"
#include "SrtmTestTiles.h"
#include "TempWorkDir.h"
#include "map/geo/GeoTools.h"
#include "map/geo/SGGeodesy.h"
#include "map/terrain/SRTMReader.h"

#include <QDir>
#include <cmath>
#include <gtest/gtest.h>

namespace {

class TerrainGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath("DEM"));
        GeoTools::instance().setDemPath(work.file("DEM/"));
    }

    TerrainGrid::CentreSource centreAt(const Position* centre) const
    {
        return [centre] { return *centre; };
    }

    TempWorkDir work;
};

} // namespace

TEST_F(TerrainGridTest, StationGridStartsUnreadAndReadsNoTileUntilAsked)
{
    ASSERT_TRUE(SrtmTestTiles::write(work.file("DEM/N45E004.hgt")));
    ASSERT_TRUE(SrtmTestTiles::write(work.file("DEM/N47E006.hgt")));
    Position station(4.2, 45.3);
    TerrainGrid grid(centreAt(&station), 60000.0);
    EXPECT_FALSE(grid.lockReader()->hasTile("N45E004.hgt"));
    EXPECT_TRUE(grid.lockReader()->missingTileNames().isEmpty()) << "no file was even looked for";

    EXPECT_EQ(grid.columns(), 1333);
    EXPECT_EQ(grid.rows(), 1333);
    EXPECT_EQ(grid.centreIndex(), 666);
    bool allUnread = true;
    for (int row = 0; row < grid.rows() && allUnread; ++row) {
        for (int column = 0; column < grid.columns() && allUnread; ++column)
            allUnread = grid.cell(row, column) == TerrainGrid::Unread;
    }
    EXPECT_TRUE(allUnread);

    // The tiles around the centre the grid was made for, also after a move.
    station = Position(10.5, 50.5);
    grid.loadTiles();
    {
        TerrainGrid::ReaderAccess reader = grid.lockReader();
        EXPECT_TRUE(reader->hasTile("N45E004.hgt"));
        EXPECT_TRUE(reader->hasTile("N47E006.hgt"));
        EXPECT_EQ(reader->missingTileNames().size(), 23);
    }
    // Only the first call reads: a tile added since is left to the reads.
    ASSERT_TRUE(SrtmTestTiles::write(work.file("DEM/N44E003.hgt")));
    grid.loadTiles();
    EXPECT_FALSE(grid.lockReader()->hasTile("N44E003.hgt"));
}

TEST_F(TerrainGridTest, UnusableRangeGivesTheCentreCellOnly)
{
    const Position station(4.2, 45.3);
    for (double range : {-5000.0, std::nan(""), 50.0}) {
        TerrainGrid grid(centreAt(&station), range);
        EXPECT_EQ(grid.columns(), 1);
        EXPECT_EQ(grid.rows(), 1);
        EXPECT_EQ(grid.columnDistance(Position(5.0, 45.3)), 0);
    }
}

TEST_F(TerrainGridTest, FollowsTheCentreAndMeasuresInCells)
{
    Position station(4.2, 45.3);
    TerrainGrid grid(centreAt(&station), 60000.0);

    EXPECT_EQ(grid.columnDistance(Position(4.2005, 10.0)), 0); // 39 m east
    const Position east(4.3, 45.3);
    EXPECT_EQ(grid.columnDistance(east), int(SGGeodesy::distanceM(station, east) / 90.0));
    EXPECT_EQ(grid.rowDistance(east), 0);
    EXPECT_EQ(grid.rowDistance(Position(-170.0, 45.2)),
              int(SGGeodesy::distanceM(station, Position(4.2, 45.2)) / 90.0));
    // Beyond the grid the distance stops one cell inside its edge.
    EXPECT_EQ(grid.columnDistance(Position(8.0, 45.3)), 665);
    EXPECT_EQ(grid.rowDistance(Position(4.2, 40.0)), 665);

    station = Position(8.0, 45.3);
    EXPECT_EQ(grid.centre(), station);
    EXPECT_EQ(grid.columnDistance(Position(8.0, 45.3)), 0);
}

TEST_F(TerrainGridTest, RadialFillReadsEachCellAtItsOwnPoint)
{
    ASSERT_TRUE(SrtmTestTiles::write(work.file("DEM/N45E004.hgt")));
    const Position station(4.5, 45.5);
    TerrainGrid grid(centreAt(&station), 9000.0);
    ASSERT_EQ(grid.columns(), 201);
    grid.fillRadials();

    SRTMReader probe(work.file("DEM"));
    int filled = 0;
    for (int row = 0; row < grid.rows(); ++row) {
        for (int column = 0; column < grid.columns(); ++column) {
            if (grid.cell(row, column) == TerrainGrid::Unread)
                continue;
            ++filled;
            const Position point = grid.cellPosition(row, column);
            probe.setPoint(point.latitude(), point.longitude());
            ASSERT_EQ(grid.cell(row, column), qint32(probe.getHeight())) << row << "," << column;
        }
    }
    // The centre, the ends of the four axes and a fair share of the disc.
    EXPECT_NE(grid.cell(100, 100), TerrainGrid::Unread);
    EXPECT_NE(grid.cell(100, 0), TerrainGrid::Unread);
    EXPECT_NE(grid.cell(100, 200), TerrainGrid::Unread);
    EXPECT_NE(grid.cell(0, 100), TerrainGrid::Unread);
    EXPECT_NE(grid.cell(200, 100), TerrainGrid::Unread);
    EXPECT_EQ(grid.cell(0, 0), TerrainGrid::Unread);
    EXPECT_GT(filled, 201 * 201 / 4);

    // Rows grow northwards and columns eastwards: in the tile, heights grow
    // southwards (row from the north x 10) and eastwards (column).
    EXPECT_LT(grid.cell(200, 100), grid.cell(0, 100));
    EXPECT_GT(grid.cell(100, 200), grid.cell(100, 0));
}

TEST_F(TerrainGridTest, RadialFillKeepsCellsAlreadyRead)
{
    const Position station(4.5, 45.5);
    TerrainGrid grid(centreAt(&station), 900.0);
    grid.fillRadials(); // no tiles: every cell reads -1
    EXPECT_EQ(grid.cell(10, 10), -1);

    ASSERT_TRUE(SrtmTestTiles::write(work.file("DEM/N45E004.hgt")));
    grid.fillRadials();
    EXPECT_EQ(grid.cell(10, 10), -1);
}

TEST_F(TerrainGridTest, RadialFillLoadsAroundTheCurrentCentreIntoTheSameReader)
{
    Position station(4.5, 45.5);
    TerrainGrid grid(centreAt(&station), 900.0);
    SRTMReader* reader = &*grid.lockReader();
    ASSERT_TRUE(SrtmTestTiles::write(work.file("DEM/N50E010.hgt")));
    station = Position(10.5, 50.5);
    grid.fillRadials();
    EXPECT_EQ(&*grid.lockReader(), reader);
    EXPECT_TRUE(grid.lockReader()->hasTile("N50E010.hgt"));
    EXPECT_EQ(grid.cell(grid.centreIndex(), grid.centreIndex()), SrtmTestTiles::pattern(600, 600));
}
