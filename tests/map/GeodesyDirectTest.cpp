#include "map/geo/SGGeodesy.h"

#include <GeographicLib/Geodesic.hpp>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {

struct DirectCase
{
    const char* name;
    double lat1, lon1, azimuth, distance;
    double lat2, lon2, backAzimuth;
};

// WGS-84 reference solutions (GeographicLib), among them the example of
// Karney's 2013 paper and GeographicLib's test pair GeodSolve1.
const DirectCase kDirectCases[] = {
    {"KarneyPaper", 40.0, 0.0, 30.0, 10000000.0, 41.79331020506, 137.84490004377, 329.09016931807},
    {"GeodSolve1", 40.63972222, -73.77888889, 53.5, 5850000.0, 49.01466892889, 2.56106225861,
     291.62946705297},
    {"ProfileEast", 48.8, 2.5, 90.0, 50000.0, 48.79799076921, 3.18058440040, 270.51207660941},
    {"ProfileFirstPoint", 45.3, 4.2, 0.0, 200.0, 45.30179957005, 4.2, 180.0},
    {"EquatorEast", 0.0, 0.0, 90.0, 1000000.0, 0.0, 8.98315284120, 270.0},
    {"AcrossTheEquator", 5.0, 0.0, 180.0, 1000000.0, -4.04350016612, 0.0, 0.0},
    {"TinyDistanceStaysAtStart", 45.0, 4.0, 33.0, 0.005, 45.0, 4.0, 213.0},
    {"TinyDistanceBackAzimuthWraps", 45.0, 4.0, 200.0, 0.005, 45.0, 4.0, 20.0},
    {"AcrossTheDateLine", 10.0, 179.5, 90.0, 200000.0, 9.99500211333, -178.67585623116, 270.31670700560},
};

void PrintTo(const DirectCase& c, std::ostream* out)
{
    *out << c.name;
}

class DirectReference : public ::testing::TestWithParam<DirectCase>
{
};

} // namespace

TEST_P(DirectReference, MatchesPublishedSolution)
{
    const DirectCase& c = GetParam();
    double lat2 = 0.0, lon2 = 0.0, backAzimuth = 0.0;
    EXPECT_EQ(SGGeodesy::_geo_direct_wgs_84(c.lat1, c.lon1, c.azimuth, c.distance, lat2, lon2, backAzimuth),
              0);
    EXPECT_NEAR(lat2, c.lat2, 1e-9);
    EXPECT_NEAR(lon2, c.lon2, 1e-9);
    EXPECT_NEAR(backAzimuth, c.backAzimuth, 1e-8);
}

INSTANTIATE_TEST_SUITE_P(Geodesy, DirectReference, ::testing::ValuesIn(kDirectCases),
                         [](const ::testing::TestParamInfo<DirectCase>& test) {
                             return std::string(test.param.name);
                         });

TEST(GeodesyDirect, AgreesWithGeographicLibFromEverywhereIncludingPoles)
{
    std::mt19937 random(99);
    std::uniform_real_distribution<double> latitude(-90.0, 90.0), longitude(-180.0, 180.0),
        azimuth(0.0, 360.0), distance(1.0, 19900000.0);
    const GeographicLib::Geodesic& wgs84 = GeographicLib::Geodesic::WGS84();
    for (int i = 0; i < 2000; ++i) {
        const double lat1 = i < 20 ? (i % 2 ? 90.0 : -90.0) : latitude(random);
        const double lon1 = longitude(random), azimuth1 = azimuth(random), s12 = distance(random);
        double lat2 = 0.0, lon2 = 0.0, backAzimuth = 0.0;
        SGGeodesy::_geo_direct_wgs_84(lat1, lon1, azimuth1, s12, lat2, lon2, backAzimuth);
        double refLat = 0.0, refLon = 0.0, refAzimuth2 = 0.0;
        wgs84.Direct(lat1, lon1, azimuth1, s12, refLat, refLon, refAzimuth2);
        const auto where = ::testing::Message() << lat1 << "," << lon1 << " az " << azimuth1 << " s " << s12;
        // Compare as distances: longitudes near a pole are ill-conditioned.
        double gap = 0.0, a1 = 0.0, a2 = 0.0;
        wgs84.Inverse(lat2, lon2, refLat, refLon, gap, a1, a2);
        ASSERT_LT(gap, 1e-3) << where;
        ASSERT_GE(lon2, -180.0) << where;
        ASSERT_LE(lon2, 180.0) << where;
    }
}

TEST(GeodesyDirect, PositionFormsReturnAltitudeZeroAndTheBackCourse)
{
    const Position start(2.5, 48.8, 350.0);
    const Position end = SGGeodesy::direct(start, 90.0, 50000.0);
    EXPECT_NEAR(end.latitude(), 48.79799076921, 1e-9);
    EXPECT_NEAR(end.longitude(), 3.18058440040, 1e-9);
    EXPECT_EQ(end.altitude(), 0.0);

    Position same;
    double backCourse = 0.0;
    EXPECT_TRUE(SGGeodesy::direct(start, 33.0, 0.005, same, backCourse));
    EXPECT_EQ(same, Position(2.5, 48.8, 0.0));
    EXPECT_EQ(backCourse, 213.0);
}

TEST(GeodesyDirect, InverseOfDirectGivesTheCourseAndDistanceBack)
{
    const Position start(-0.5, 51.5);
    for (double course : {0.0, 45.0, 135.0, 250.0, 359.0}) {
        const Position end = SGGeodesy::direct(start, course, 750000.0);
        EXPECT_NEAR(SGGeodesy::distanceM(start, end), 750000.0, 1e-3);
        EXPECT_NEAR(SGGeodesy::courseDeg(start, end), course, 1e-8);
    }
}
