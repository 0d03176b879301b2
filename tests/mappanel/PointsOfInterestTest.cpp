#include "DebugCapture.h"
#include "TempWorkDir.h"
#include "map/geo/GeoTools.h"
#include "map/geo/PointOfInterest.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QByteArray Header = "id;kind;name;country;region;class;lon;lat\n";

// The table lives in the station service, one per process: each test starts
// from an empty table at a known station.
class PointsOfInterestTest : public ::testing::Test
{
protected:
    PointsOfInterestTest()
    {
        tools.setDemPath(work.file("DEM"));
        tools.setStationLocation(6.0, 45.0);
        tools.prunePointsOfInterest(-1);
    }
    ~PointsOfInterestTest() override { tools.prunePointsOfInterest(-1); }

    void load(const QByteArray& bytes)
    {
        QFile file(work.file("poi.csv"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        tools.loadPointsOfInterest(work.file("poi.csv"));
    }
    QStringList keys() const
    {
        QStringList k = tools.pointsOfInterest().keys();
        k.sort();
        return k;
    }

    TempWorkDir work;
    GeoTools& tools = GeoTools::instance();
};

} // namespace

TEST_F(PointsOfInterestTest, KeepsLargePlacesNearTheStation)
{
    load(Header + "1;peak;\"Mont \"\"Blanc\"\"\";FR;74;2500;6.86;45.83\n"
                  "2;village;Small;FR;74;1999;6.1;45.1\n"
                  "3;city;Far away;FR;13;5000;5.4;39.6\n"
                  "4;city;Chambery;FR;73;2000;5.92;45.57\n");
    EXPECT_EQ(keys(), (QStringList{"1", "4"}));
    const PointOfInterest* p = tools.pointsOfInterest().value("1");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->id, 1);
    EXPECT_EQ(p->name, "Mont \"Blanc\"");
    EXPECT_EQ(p->longitude, 6.86);
    EXPECT_EQ(p->latitude, 45.83);
    EXPECT_EQ(p->position(), Position(6.86, 45.83, 0.0));
    EXPECT_NEAR(p->distanceFrom(Position(6.0, 45.0, 0.0)), 113500, 1500);
}

TEST_F(PointsOfInterestTest, ShortAndBlankLinesAreSkipped)
{
    load(Header + "\n"
                  "5;city;Short;FR\n"
                  "6;city;Annecy;FR;74;3000;6.13;45.90\n"
                  "7;city;Seven;FR;74;3000;6.2\n"
                  "\n");
    EXPECT_EQ(keys(), QStringList{"6"});
}

TEST_F(PointsOfInterestTest, NonNumericCoordinatesReadAsZero)
{
    // (0, 0) lies thousands of kilometres from the station: not kept.
    load(Header + "8;city;Nowhere;FR;74;3000;east;north\n");
    EXPECT_TRUE(keys().isEmpty());
}

TEST_F(PointsOfInterestTest, AKeyReadAgainReplacesItsPoint)
{
    load(Header + "1;city;Old;FR;74;3000;6.1;45.1\n");
    load(Header + "1;city;New;FR;74;3000;6.2;45.2\n");
    ASSERT_EQ(keys(), QStringList{"1"});
    EXPECT_EQ(tools.pointsOfInterest().value("1")->name, "New");
}

TEST_F(PointsOfInterestTest, MissingFileLeavesTheTable)
{
    load(Header + "1;city;Kept;FR;74;3000;6.1;45.1\n");
    tools.loadPointsOfInterest(work.file("none.csv"));
    EXPECT_EQ(keys(), QStringList{"1"});
}

TEST_F(PointsOfInterestTest, PruningKeepsOnlyThePointsWithinTheDistance)
{
    load(Header + "1;a;Near;FR;74;3000;6.3;45.3\n"     // about 41 km
                  "2;b;Middle;FR;74;3000;6.9;45.6\n"   // about 97 km
                  "3;c;Far;FR;74;3000;7.5;46.0\n");    // about 160 km
    DebugCapture debug;
    tools.prunePointsOfInterest(100000);
    EXPECT_EQ(keys(), (QStringList{"1", "2"}));
    EXPECT_TRUE(debug.contains("before squeeze : 3"));
}
