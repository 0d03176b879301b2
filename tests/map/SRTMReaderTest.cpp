#include "map/terrain/SRTMReader.h"
#include "DebugCapture.h"
#include "ProgramLog.h"
#include "SrtmTestTiles.h"
#include "TempWorkDir.h"
#include "map/geo/GeoTools.h"
#include "map/terrain/SrtmTile.h"
#include "map/terrain/TerrainPass.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// The pattern's height of the sample nearest to a point of its tile.
double patternHeight(double latitude, double longitude)
{
    const int rowFromSouth = int(std::lround((latitude - std::floor(latitude)) * 1200.0));
    const int column = int(std::lround((longitude - std::floor(longitude)) * 1200.0));
    return SrtmTestTiles::pattern(1200 - rowFromSouth, column);
}

class SRTMReaderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath("DEM")); }
    QString tilePath(const QString& name) const { return work.file("DEM/" + name); }

    TempWorkDir work;
};

} // namespace

TEST_F(SRTMReaderTest, FirstReadOfAPointLoadsItsTileAndGivesTheHeight)
{
    ASSERT_TRUE(SrtmTestTiles::write(tilePath("N45E004.hgt")));
    SRTMReader reader(work.file("DEM/"));
    reader.setPoint(45.3, 4.2);
    EXPECT_FALSE(reader.hasTile("N45E004.hgt"));
    EXPECT_EQ(reader.getHeight(), patternHeight(45.3, 4.2));
    EXPECT_TRUE(reader.hasTile("N45E004.hgt"));
    EXPECT_EQ(reader.getHeight(), patternHeight(45.3, 4.2));
}

TEST_F(SRTMReaderTest, CornersAndNegativeCoordinatesPickTheRightTileAndSample)
{
    // Each tile holds its own constant offset on top of the pattern, so a sample
    // read from the wrong tile shows.
    const struct
    {
        const char* name;
        qint16 base;
    } tiles[] = {{"S01W001.hgt", 20000}, {"N00E000.hgt", 0}, {"S01E000.hgt", -20000}, {"N00W001.hgt", 15000}};
    for (const auto& tile : tiles) {
        const qint16 base = tile.base;
        ASSERT_TRUE(SrtmTestTiles::write(tilePath(tile.name), [base](int row, int column) {
            return qint16(base + SrtmTestTiles::pattern(row, column) % 5000);
        }));
    }
    SRTMReader reader(work.file("DEM"));
    const struct
    {
        double latitude, longitude;
        double height;
    } points[] = {
        {0.0, 0.0, 0 + (1200 * 10 + 0) % 5000},              // south-west corner of N00E000
        {-1e-9, 0.5, -20000 + (0 * 10 + 600) % 5000},        // north edge of S01E000
        {-0.5, -0.5, 20000 + (600 * 10 + 600) % 5000},       // middle of S01W001
        {-1.0, -1.0, 20000 + (1200 * 10 + 0) % 5000},        // south-west corner of S01W001
        {0.99995, -0.00001, 15000 + (0 * 10 + 1200) % 5000}, // north-east corner of N00W001
    };
    for (const auto& p : points) {
        reader.setPoint(p.latitude, p.longitude);
        EXPECT_EQ(reader.getHeight(), p.height) << p.latitude << "," << p.longitude;
    }
}

TEST_F(SRTMReaderTest, VoidsReadZeroAndNegativeHeightsStay)
{
    ASSERT_TRUE(SrtmTestTiles::write(
        tilePath("N45E004.hgt"), [](int row, int) { return row < 600 ? SrtmTile::VoidSample : qint16(-2); }));
    SRTMReader reader(work.file("DEM"));
    reader.setPoint(45.9, 4.5); // northern half
    EXPECT_EQ(reader.getHeight(), 0.0);
    reader.setPoint(45.1, 4.5); // southern half
    EXPECT_EQ(reader.getHeight(), -2.0);
}

TEST_F(SRTMReaderTest, TilesOfAnyOtherSizeAreRefusedOnEveryRead)
{
    ASSERT_TRUE(SrtmTestTiles::writeOfSize(tilePath("N45E004.hgt"), SrtmTile::SizeBytes - 1));
    ASSERT_TRUE(SrtmTestTiles::writeOfSize(tilePath("N46E004.hgt"), SrtmTile::SizeBytes + 2));
    SRTMReader reader(work.file("DEM"));
    DebugCapture capture;
    for (double latitude : {45.5, 46.5}) {
        reader.setPoint(latitude, 4.5);
        EXPECT_EQ(reader.getHeight(), -1.0);
        EXPECT_EQ(reader.getHeight(), -1.0);
    }
    EXPECT_FALSE(reader.hasTile("N45E004.hgt"));
    EXPECT_FALSE(reader.hasTile("N46E004.hgt"));
    EXPECT_EQ(capture.lines().size(), 2) << capture.lines().join("\n").toStdString();

    // Once the file is a real tile, the next explicit load takes it.
    ASSERT_TRUE(SrtmTestTiles::write(tilePath("N46E004.hgt")));
    reader.loadTilesAround(4.5, 46.5);
    EXPECT_EQ(reader.getHeight(), patternHeight(46.5, 4.5));
}

// A tile added while the program runs (a download finished) is found by the
// next read that needs it.
TEST_F(SRTMReaderTest, AMissingTileIsLookedForAgainByALaterRead)
{
    SRTMReader reader(work.file("DEM"));
    reader.setPoint(45.3, 4.2);
    EXPECT_EQ(reader.getHeight(), -1.0);
    EXPECT_EQ(reader.missingTileNames(), QStringList{"N45E004.hgt"});

    ASSERT_TRUE(SrtmTestTiles::write(tilePath("N45E004.hgt")));
    EXPECT_EQ(reader.getHeight(), patternHeight(45.3, 4.2));
    EXPECT_TRUE(reader.missingTileNames().isEmpty());
}

// A picture or a profile reads thousands of points: through a pass each tile
// that is not in memory is looked for once, and again by the next pass.
TEST_F(SRTMReaderTest, APassLooksForEachTileOnce)
{
    ASSERT_TRUE(SrtmTestTiles::write(tilePath("N46E004.hgt")));
    SRTMReader reader(work.file("DEM"));
    {
        TerrainPass pass(reader);
        EXPECT_EQ(pass.heightAt(45.3, 4.2), -1.0);
        // The tile arrives while the pass runs: this pass does not look again.
        ASSERT_TRUE(SrtmTestTiles::write(tilePath("N45E004.hgt")));
        EXPECT_EQ(pass.heightAt(45.7, 4.9), -1.0);
        EXPECT_EQ(pass.heightAt(46.5, 4.5), patternHeight(46.5, 4.5));
        EXPECT_EQ(pass.heightAt(46.2, 4.1), patternHeight(46.2, 4.1));
        for (double off : {std::nan(""), double(INFINITY), 95.0})
            EXPECT_EQ(pass.heightAt(off, 4.5), -1.0) << off;
        EXPECT_EQ(pass.tilesTried(), 2);
    }
    TerrainPass next(reader);
    EXPECT_EQ(next.heightAt(45.7, 4.9), patternHeight(45.7, 4.9));
}

TEST_F(SRTMReaderTest, TileNameOfAPointGivenLongitudeFirst)
{
    SRTMReader reader(work.file("DEM"));
    const struct
    {
        float longitude, latitude;
        const char* name;
    } points[] = {{4.2f, 45.3f, "N45E004.hgt"},
                  {-2.3f, -33.4f, "S34W003.hgt"},
                  {-0.5f, -0.5f, "S01W001.hgt"},
                  {0.5f, 0.5f, "N00E000.hgt"},
                  {-179.5f, 89.5f, "N89W180.hgt"}};
    for (const auto& p : points) {
        EXPECT_EQ(reader.tileName(p.longitude, p.latitude), p.name) << p.longitude << "," << p.latitude;
        // The same name as the current point's.
        reader.setPoint(p.latitude, p.longitude);
        EXPECT_EQ(reader.tileName(), p.name);
    }
}

TEST_F(SRTMReaderTest, NonFinitePointHasNoHeight)
{
    SRTMReader reader(work.file("DEM"));
    reader.setPoint(std::nan(""), 4.2);
    EXPECT_EQ(reader.getHeight(), -1.0);
    reader.setPoint(45.0, INFINITY);
    EXPECT_EQ(reader.getHeight(), -1.0);
}

TEST_F(SRTMReaderTest, FolderWithOrWithoutTrailingSeparator)
{
    ASSERT_TRUE(SrtmTestTiles::write(tilePath("N45E004.hgt")));
    for (const QString& folder : {QString("./DEM"), QString("./DEM/"), work.file("DEM")}) {
        SRTMReader reader(folder);
        reader.setPoint(45.3, 4.2);
        EXPECT_EQ(reader.getHeight(), patternHeight(45.3, 4.2)) << folder.toStdString();
    }
}

TEST_F(SRTMReaderTest, PreloadTriesTheTwentyFiveTilesAround)
{
    ASSERT_TRUE(SrtmTestTiles::write(tilePath("N00W001.hgt")));
    SRTMReader reader(work.file("DEM"));
    reader.loadTilesAround(-0.5, 0.5); // longitude first
    EXPECT_TRUE(reader.hasTile("N00W001.hgt"));

    QStringList expected;
    for (const char* latitude : {"S02", "S01", "N00", "N01", "N02"}) {
        for (const char* longitude : {"W003", "W002", "W001", "E000", "E001"})
            expected << QString(latitude) + longitude + ".hgt";
    }
    expected.removeOne("N00W001.hgt");
    QStringList missing = reader.missingTileNames();
    missing.sort();
    expected.sort();
    EXPECT_EQ(missing, expected);
}

TEST_F(SRTMReaderTest, DefaultReaderTakesTheStationFolder)
{
    GeoTools::instance().setDemPath(work.file("DEM"));
    ASSERT_TRUE(SrtmTestTiles::write(tilePath("N45E004.hgt")));
    SRTMReader reader;
    EXPECT_EQ(reader.demPath(), work.file("DEM"));
    reader.setPoint(45.3, 4.2);
    EXPECT_EQ(reader.getHeight(), patternHeight(45.3, 4.2));
}

TEST_F(SRTMReaderTest, ClearedTilesAreReadAgain)
{
    ASSERT_TRUE(SrtmTestTiles::write(tilePath("N45E004.hgt")));
    SRTMReader reader(work.file("DEM"));
    reader.setPoint(45.3, 4.2);
    ASSERT_EQ(reader.getHeight(), patternHeight(45.3, 4.2));
    reader.clearTiles();
    EXPECT_FALSE(reader.hasTile("N45E004.hgt"));
    EXPECT_EQ(reader.getHeight(), patternHeight(45.3, 4.2));
}

TEST_F(SRTMReaderTest, ReadHeightReadsTheFileWithoutKeepingIt)
{
    ProgramLog::capture();
    ASSERT_TRUE(SrtmTestTiles::write(tilePath("N45E004.hgt")));
    ASSERT_TRUE(SrtmTestTiles::writeOfSize(tilePath("N47E004.hgt"), 1000));
    SRTMReader reader(work.file("DEM"));
    reader.setPoint(45.3, 4.2);
    EXPECT_EQ(reader.readHeight(), patternHeight(45.3, 4.2));
    reader.setPoint(45.7, 4.9);
    EXPECT_EQ(reader.readHeight(), patternHeight(45.7, 4.9));
    EXPECT_FALSE(reader.hasTile("N45E004.hgt"));

    reader.setPoint(46.5, 4.5);
    EXPECT_EQ(reader.readHeight(), 0.0);
    reader.setPoint(47.5, 4.5);
    EXPECT_EQ(reader.readHeight(), 0.0);
    const QString log = ProgramLog::text();
    EXPECT_TRUE(log.contains("[Error] {kv3lab} SRTMReader::readHeight " + work.file("DEM/N46E004.hgt") +
                             " unable to open"))
        << log.toStdString();
    EXPECT_TRUE(log.contains("SRTMReader::readHeight " + work.file("DEM/N47E004.hgt") + " unable to open"));
}
