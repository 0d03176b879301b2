#include "map/terrain/SrtmTile.h"

#include <cmath>
#include <gtest/gtest.h>

TEST(SrtmTile, NameFollowsTheSouthWestCorner)
{
    struct Case
    {
        double latitude, longitude;
        const char* name;
    };
    const Case cases[] = {
        {45.3, 4.2, "N45E004.hgt"},     {-33.4, -2.3, "S34W003.hgt"},  {-0.5, -0.5, "S01W001.hgt"},
        {0.5, 0.5, "N00E000.hgt"},      {0.0, 0.0, "N00E000.hgt"},     {-1.0, -1.0, "S01W001.hgt"},
        {-1e-9, 179.99, "S01E179.hgt"}, {89.5, -180.0, "N89W180.hgt"}, {7.0, -100.0, "N07W100.hgt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SrtmTile::name(c.latitude, c.longitude), c.name) << c.latitude << "," << c.longitude;
}

TEST(SrtmTile, SampleOffsetCountsRowsFromTheNorth)
{
    struct Case
    {
        double latitudeFraction, longitudeFraction;
        qint64 offset;
    };
    const Case cases[] = {
        {0.0, 0.0, 2882400},                                 // south-west corner: last row, first column
        {0.9999, 0.9999, 2400},                              // north-east corner: first row, last column
        {0.5, 0.25, 2 * (600 * 1201 + 300)},                 // middle row, quarter column
        {0.5 / 1200.0, 0.5 / 1200.0, 2 * (1199 * 1201 + 1)}, // halves round away from zero
        {1.0, 1.0, 2400},                                    // the far edge still lies in the tile
    };
    for (const Case& c : cases)
        EXPECT_EQ(SrtmTile::sampleOffset(c.latitudeFraction, c.longitudeFraction), c.offset);
    EXPECT_EQ(SrtmTile::sampleOffset(-0.1, 0.5), -1);
    EXPECT_EQ(SrtmTile::sampleOffset(0.5, std::nan("")), -1);
    EXPECT_TRUE(SrtmTile::isInside(2884800));
    EXPECT_FALSE(SrtmTile::isInside(2884801));
    EXPECT_FALSE(SrtmTile::isInside(-1));
}

TEST(SrtmTile, SamplesAreBigEndianSignedWithVoidAsZero)
{
    EXPECT_EQ(SrtmTile::decode(char(0x80), char(0x00)), 0.0);
    EXPECT_EQ(SrtmTile::decode(char(0xFF), char(0xFE)), -2.0);
    EXPECT_EQ(SrtmTile::decode(char(0x01), char(0x02)), 258.0);
    EXPECT_EQ(SrtmTile::decode(char(0x7F), char(0xFF)), 32767.0);
    EXPECT_EQ(SrtmTile::decode(char(0x80), char(0x01)), -32767.0);
}

TEST(SrtmTile, PathAddsTheMissingSeparatorOnly)
{
    EXPECT_EQ(SrtmTile::path("./SRTM3/Eurasia/", "N45E004.hgt"), "./SRTM3/Eurasia/N45E004.hgt");
    EXPECT_EQ(SrtmTile::path("./DEM", "N45E004.hgt"), "./DEM/N45E004.hgt");
    EXPECT_EQ(SrtmTile::path("", "N45E004.hgt"), "N45E004.hgt");
}
