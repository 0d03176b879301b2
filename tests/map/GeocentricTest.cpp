#include "DebugCapture.h"
#include "map/geo/SGGeodesy.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace SGGeodesy;

namespace {
constexpr double kDegree = 0.017453292519943295;
}

TEST(Geocentric, GeodeticCartesianRoundTrip)
{
    const CartesianPoint xyz = geodeticToCartesian(Position(2.5, 48.8, 0.0));
    EXPECT_NEAR(xyz.x, 4205189.1342, 1e-3);
    EXPECT_NEAR(xyz.y, 183602.5227, 1e-3);
    EXPECT_NEAR(xyz.z, 4775937.7041, 1e-3);

    const Position points[] = {
        {2.5, 48.8, 0.0}, {-120.0, -33.0, 8848.0}, {179.9, 89.9, -400.0}, {10.0, 0.0, 0.0}};
    for (const Position& point : points) {
        const Position back = cartesianToGeodetic(geodeticToCartesian(point));
        EXPECT_NEAR(back.longitude(), point.longitude(), 1e-9);
        EXPECT_NEAR(back.latitude(), point.latitude(), 1e-9);
        EXPECT_NEAR(back.altitude(), point.altitude(), 1e-6);
    }
}

TEST(Geocentric, CentreOfTheEarthHasADefinedAnswer)
{
    EXPECT_EQ(cartesianToGeodetic(CartesianPoint{1.0, 2.0, 3.0}), Position(0.0, 0.0, -6378137.0));
    const GeocentricPoint centre = cartesianToGeocentric(CartesianPoint{0.0, 0.0, 0.0});
    EXPECT_EQ(centre.longitude, 0.0);
    EXPECT_EQ(centre.latitude, 0.0);
    EXPECT_EQ(centre.radius, 0.0);
}

TEST(Geocentric, SeaLevelRadius)
{
    EXPECT_NEAR(seaLevelRadius(Position(0.0, 0.0)), 6378137.0, 1e-4);
    EXPECT_NEAR(seaLevelRadius(Position(0.0, 45.0)), 6367489.5439, 1e-4);
    EXPECT_NEAR(seaLevelRadius(Position(0.0, 90.0)), 6356752.3142, 1e-4);
}

TEST(Geocentric, CartesianGeocentricRoundTrip)
{
    const CartesianPoint xyz{4205189.1342, 183602.5227, 4775937.7041};
    const CartesianPoint back = geocentricToCartesian(cartesianToGeocentric(xyz));
    EXPECT_NEAR(back.x, xyz.x, 1e-6);
    EXPECT_NEAR(back.y, xyz.y, 1e-6);
    EXPECT_NEAR(back.z, xyz.z, 1e-6);
}

TEST(Geocentric, OneDegreeOfArcIsSixtyNauticalMiles)
{
    const GeocentricPoint origin{0.0, 0.0, 6378137.0};
    const GeocentricPoint east{kDegree, 0.0, 6378137.0};
    EXPECT_NEAR(geocentricDistanceM(origin, east), 111120.0, 1e-3);
    EXPECT_EQ(geocentricAngle(origin, origin), 0.0);
}

TEST(Geocentric, CoursesAreClockwiseFromNorth)
{
    const GeocentricPoint origin{0.0, 0.0, 1.0};
    EXPECT_NEAR(geocentricCourse(origin, GeocentricPoint{kDegree, 0.0, 1.0}), M_PI / 2.0, 1e-12);
    EXPECT_NEAR(geocentricCourse(origin, GeocentricPoint{-kDegree, 0.0, 1.0}), 3.0 * M_PI / 2.0, 1e-12);
    EXPECT_NEAR(geocentricCourse(origin, GeocentricPoint{0.0, -kDegree, 1.0}), M_PI, 1e-12);
    EXPECT_EQ(geocentricCourse(origin, GeocentricPoint{0.0, kDegree, 1.0}), 0.0);
}

TEST(Geocentric, AdvanceFollowsTheCourse)
{
    const GeocentricPoint origin{0.0, 0.0, 6378137.0};
    const GeocentricPoint east = advanceGeocentric(origin, M_PI / 2.0, 111120.0);
    EXPECT_NEAR(east.longitude, kDegree, 1e-9);
    EXPECT_NEAR(east.latitude, 0.0, 1e-12);
    EXPECT_EQ(east.radius, origin.radius);

    // Across the date line the longitude comes back into (-pi, pi].
    const GeocentricPoint nearDateLine{M_PI - 0.5 * kDegree, 0.0, 1.0};
    const GeocentricPoint across = advanceGeocentric(nearDateLine, M_PI / 2.0, 111120.0);
    EXPECT_NEAR(across.longitude, -M_PI + 0.5 * kDegree, 1e-9);

    // Over a pole the longitude stays.
    const GeocentricPoint pole =
        advanceGeocentric(GeocentricPoint{0.3, M_PI / 2.0 - 0.5 * kDegree, 1.0}, 0.0, 0.5 * 111120.0);
    EXPECT_NEAR(pole.latitude, M_PI / 2.0, 1e-9);
    EXPECT_EQ(pole.longitude, 0.3);
}

TEST(Geocentric, RadialIntersection)
{
    const GeocentricPoint a{0.0, 0.0, 6378137.0};
    const GeocentricPoint b{kDegree, 0.0, 6378137.0};
    GeocentricPoint meet;
    ASSERT_TRUE(radialIntersection(a, 45.0, b, 315.0, meet));
    EXPECT_NEAR(meet.longitude / kDegree, 0.4999999757, 1e-8);
    EXPECT_NEAR(meet.latitude / kDegree, 0.49998094, 1e-7);
    EXPECT_EQ(meet.radius, a.radius);

    Position geodetic;
    ASSERT_TRUE(radialIntersection(Position(0.0, 0.0), 45.0, Position(1.0, 0.0), 315.0, geodetic));
    EXPECT_NEAR(geodetic.latitude(), 0.50335039, 1e-7);
}

TEST(Geocentric, RadialIntersectionFailuresLeaveTheResultAlone)
{
    DebugCapture capture;
    const GeocentricPoint a{0.0, 0.0, 6378137.0};
    const GeocentricPoint b{kDegree, 0.0, 6378137.0};
    GeocentricPoint untouched{1.0, 2.0, 3.0};
    // Two radials due north from one point.
    EXPECT_FALSE(radialIntersection(a, 0.0, a, 0.0, untouched));
    EXPECT_TRUE(capture.contains("SGGeodesy::radialIntersection: infinity of intersections"));
    // Radials diverging on opposite sides of the line from a to b.
    EXPECT_FALSE(radialIntersection(a, 45.0, b, 225.0, untouched));
    EXPECT_TRUE(capture.contains("SGGeodesy::radialIntersection: intersection ambiguous"));
    EXPECT_EQ(untouched.longitude, 1.0);
    EXPECT_EQ(untouched.latitude, 2.0);
    EXPECT_EQ(untouched.radius, 3.0);

    Position geodetic(7.0, 8.0, 9.0);
    EXPECT_FALSE(radialIntersection(Position(0.0, 0.0), 45.0, Position(1.0, 0.0), 225.0, geodetic));
    EXPECT_EQ(geodetic, Position(7.0, 8.0, 9.0));
}
