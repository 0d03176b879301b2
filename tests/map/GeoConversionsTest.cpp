#include "map/geo/GeoConversions.h"
#include "DebugCapture.h"
#include "map/geo/SGGeodesy.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace GeoConversions;

TEST(GeoConversions, DegreesPerMetre)
{
    EXPECT_NEAR(latDegreesPerMetre(15.0), 9.037610079074839e-6, 1e-20);
    EXPECT_NEAR(lonDegreesPerMetre(15.0), 9.297958679051467e-6, 1e-20);
    EXPECT_NEAR(lonDegreesPerMetre(0.0), 8.983152841195214e-6, 1e-20);
    // At a pole the factor is huge but finite.
    EXPECT_TRUE(std::isfinite(lonDegreesPerMetre(90.0)));
    EXPECT_NEAR(lonDegreesPerMetre(90.0), 1.4621414e11, 1e5);
}

TEST(GeoConversions, LlaToXyzAcceptsTheBoundsAndRefusesBeyond)
{
    DebugCapture capture;
    const QVector3D pole = llaToXyz(90.0, 180.0, 0.0);
    EXPECT_NEAR(pole.z(), 6356752.0f, 1.0f);
    EXPECT_FALSE(capture.contains("Lat/Lon out of range"));

    EXPECT_EQ(llaToXyz(90.0001, 0.0, 0.0), QVector3D(0, 0, 0));
    EXPECT_TRUE(capture.contains("Lat/Lon out of range"));
    EXPECT_EQ(llaToXyz(0.0, -180.5, 0.0), QVector3D(0, 0, 0));
}

TEST(GeoConversions, XyzToLlaSolvesPolesCentreAndFarPoints)
{
    DebugCapture capture;
    const Position pole = xyzToLla(0.0, 0.0, 6356752.0);
    EXPECT_EQ(pole.longitude(), 0.0);
    EXPECT_NEAR(pole.latitude(), 90.0, 1e-9);
    EXPECT_NEAR(pole.altitude(), -0.314, 1e-3);

    EXPECT_EQ(xyzToLla(0.0, 0.0, 0.0), Position(0.0, 0.0, 0.0));
    EXPECT_TRUE(capture.contains("Error: XYZ at center of the earth"));

    // Far from the ellipsoid the Newton step need not converge; it must still end,
    // with a point that converts back to where it started.
    const Position far = xyzToLla(4e8, 3e8, 2e8);
    const SGGeodesy::CartesianPoint back = SGGeodesy::geodeticToCartesian(far);
    EXPECT_NEAR(back.x, 4e8, 1.0);
    EXPECT_NEAR(back.y, 3e8, 1.0);
    EXPECT_NEAR(back.z, 2e8, 1.0);
}

TEST(GeoConversions, LlaXyzRoundTripWithinSinglePrecision)
{
    const Position points[] = {
        {2.5, 48.8, 0.0}, {-73.8, 40.6, 1423.0}, {144.4, -37.9, -50.0}, {0.0, 0.0, 0.0}};
    for (const Position& point : points) {
        const Position back = xyzToLla(llaToXyz(point));
        EXPECT_NEAR(back.latitude(), point.latitude(), 1e-5);
        EXPECT_NEAR(back.longitude(), point.longitude(), 1e-5);
        EXPECT_NEAR(back.altitude(), point.altitude(), 1.0);
    }
}

TEST(GeoConversions, RotationRowsPerAxis)
{
    const double c = std::cos(30.0 * 0.017453292519943295);
    const double s = std::sin(30.0 * 0.017453292519943295);
    const QTransform y = rotationAboutAxis(30.0, 2);
    EXPECT_DOUBLE_EQ(y.m11(), c);
    EXPECT_DOUBLE_EQ(y.m13(), -s);
    EXPECT_DOUBLE_EQ(y.m31(), s);
    const QTransform z = rotationAboutAxis(30.0, 3);
    EXPECT_DOUBLE_EQ(z.m12(), s);
    EXPECT_DOUBLE_EQ(z.m21(), -s);
    EXPECT_DOUBLE_EQ(z.m33(), 1.0);
    for (int axis : {1, 7}) {
        const QTransform x = rotationAboutAxis(30.0, axis);
        EXPECT_DOUBLE_EQ(x.m11(), 1.0);
        EXPECT_DOUBLE_EQ(x.m23(), s);
        EXPECT_DOUBLE_EQ(x.m32(), -s);
    }
}

TEST(GeoConversions, EnuAxesPointEastNorthUp)
{
    const Position reference(2.5, 48.8, 100.0);
    const QVector3D self = llaToEnu(reference, reference);
    EXPECT_LT(self.length(), 1.0f);

    const Position north(2.5, 48.8 + 0.01, 100.0);
    const QVector3D toNorth = llaToEnu(north, reference);
    EXPECT_NEAR(toNorth.y(), 0.01 / latDegreesPerMetre(48.8), 2.0);
    EXPECT_NEAR(toNorth.x(), 0.0, 1.0);

    const QVector3D up = llaToEnu(Position(2.5, 48.8, 600.0), reference);
    EXPECT_NEAR(up.z(), 500.0, 1.0);
    EXPECT_NEAR(up.x(), 0.0, 1.0);
}

TEST(GeoConversions, EnuRoundTripThroughLla)
{
    const Position reference(-73.8, 40.6, 20.0);
    const QVector3D enu(1500.0f, -800.0f, 35.0f);
    const Position point = enuToLla(enu, reference);
    const QVector3D back = llaToEnu(point, reference);
    EXPECT_LT((back - enu).length(), 1.0f);
    EXPECT_EQ(Position::positionAtEnu(reference, enu), point);
    EXPECT_EQ(Position::enuOffset(reference, point), back);
}

TEST(GeoConversions, SelfTestPasses)
{
    DebugCapture capture;
    selfTest();
    EXPECT_TRUE(capture.contains("Passed LLA -> XYZ -> LLA"));
    EXPECT_TRUE(capture.contains("Passed LLA -> ENU -> LLA -> ENU"));
    EXPECT_FALSE(capture.contains("Failed"));
}
