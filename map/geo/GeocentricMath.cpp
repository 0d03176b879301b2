// Conversions between geodetic, Cartesian and geocentric coordinates, and the
// spherical course, distance, advance and radial-intersection routines.
#include "map/geo/SGGeodesy.h"
#include "map/geo/Wgs84.h"

#include <QDebug>
#include <algorithm>
#include <cmath>
#include <limits>

namespace SGGeodesy {

namespace {

using namespace Wgs84;

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2.0 * kPi;
constexpr double kTiny = std::numeric_limits<double>::min();
constexpr double kRadiansPerMetreOfArc = 1.570670673141045e-7;
constexpr double kNauticalMilesPerRadian = 3437.746770784939;
constexpr double kMetresPerNauticalMile = 1852.0;
// The radials' degrees become radians with a single-precision factor.
constexpr double kRadialDegreesToRadians = 0.01745329238474369;

// An angle brought into (-pi, pi]; the boundary gives pi.
double wrappedLongitude(double radians)
{
    if (radians > -kPi && radians <= kPi)
        return radians;
    double wrapped = std::fmod(radians + kPi, kTwoPi);
    if (wrapped < 0.0)
        wrapped += kTwoPi;
    wrapped -= kPi;
    return wrapped <= -kPi ? kPi : wrapped;
}

// An angle brought into [0, 2 pi); a value outside (0, 2 pi) counts as 0.
double wrappedTurn(double radians)
{
    const double wrapped = radians - kTwoPi * std::floor(radians / kTwoPi);
    return (wrapped > 0.0 && wrapped < kTwoPi) ? wrapped : 0.0;
}

} // namespace

Position cartesianToGeodetic(const CartesianPoint& point)
{
    const double x = point.x, y = point.y, z = point.z;
    const double xxPlusYy = x * x + y * y;
    if (xxPlusYy + z * z < 25.0)
        return Position(0.0, 0.0, -kSemiMajorAxis);

    const double sqrtXxPlusYy = std::sqrt(xxPlusYy);
    const double p = xxPlusYy * kInverseSemiMajorAxisSquared;
    const double q = z * z * kOneMinusEccentricitySquared * kInverseSemiMajorAxisSquared;
    const double r = (p + q - kEccentricityFourth) / 6.0;
    double s = kEccentricityFourth * p * q / (4.0 * r * r * r);
    if (-2.0 <= s && s <= 0.0)
        s = 0.0;
    const double t = std::cbrt(1.0 + s + std::sqrt(s * (2.0 + s)));
    const double u = r * (1.0 + t + 1.0 / t);
    const double v = std::sqrt(u * u + kEccentricityFourth * q);
    const double w = kEccentricitySquared * (u + v - q) / (2.0 * v);
    const double k = std::sqrt(u + v + w * w) - w;
    const double d = k * sqrtXxPlusYy / (k + kEccentricitySquared);
    const double longitude = 2.0 * std::atan2(y, x + sqrtXxPlusYy) * kRadiansToDegrees;
    const double sqrtDdPlusZz = std::sqrt(d * d + z * z);
    const double latitude = 2.0 * std::atan2(z, d + sqrtDdPlusZz) * kRadiansToDegrees;
    const double altitude = (k + kEccentricitySquared - 1.0) * sqrtDdPlusZz / k;
    return Position(longitude, latitude, altitude);
}

CartesianPoint geodeticToCartesian(const Position& position)
{
    const double lambda = position.longitude() * kDegreesToRadians;
    const double phi = position.latitude() * kDegreesToRadians;
    const double h = position.altitude();
    const double sinPhi = std::sin(phi);
    const double n = kSemiMajorAxis / std::sqrt(1.0 - kEccentricitySquared * sinPhi * sinPhi);
    const double cosPhi = std::cos(phi);
    return CartesianPoint{(h + n) * cosPhi * std::cos(lambda), (h + n) * cosPhi * std::sin(lambda),
                          (h + n - kEccentricitySquared * n) * sinPhi};
}

double seaLevelRadius(const Position& position)
{
    const double sinPhi = std::sin(position.latitude() * kDegreesToRadians);
    const double sinSquared = sinPhi * sinPhi;
    return kSemiMajorAxis *
           std::sqrt((1.0 + (kEccentricityFourth - 2.0 * kEccentricitySquared) * sinSquared) /
                     (1.0 - kEccentricitySquared * sinSquared));
}

GeocentricPoint cartesianToGeocentric(const CartesianPoint& point)
{
    const double x = point.x, y = point.y, z = point.z;
    const double horizontal = std::sqrt(x * x + y * y);
    GeocentricPoint result;
    result.longitude = (std::fabs(x) < kTiny && std::fabs(y) < kTiny) ? 0.0 : std::atan2(y, x);
    result.latitude = (horizontal < kTiny && std::fabs(z) < kTiny) ? 0.0 : std::atan2(z, horizontal);
    result.radius = std::sqrt(x * x + y * y + z * z);
    return result;
}

CartesianPoint geocentricToCartesian(const GeocentricPoint& point)
{
    const double cosLat = std::cos(point.latitude);
    return CartesianPoint{point.radius * cosLat * std::cos(point.longitude),
                          point.radius * cosLat * std::sin(point.longitude),
                          point.radius * std::sin(point.latitude)};
}

GeocentricPoint advanceGeocentric(const GeocentricPoint& from, double courseRad, double distanceM)
{
    const double d = distanceM * kRadiansPerMetreOfArc;
    const double sinLat =
        std::sin(from.latitude) * std::cos(d) + std::cos(from.latitude) * std::sin(d) * std::cos(courseRad);
    GeocentricPoint result;
    result.latitude = sinLat > 1.0 ? kPi / 2.0 : (sinLat < -1.0 ? -kPi / 2.0 : std::asin(sinLat));
    result.radius = from.radius;
    const double cosLat = std::cos(result.latitude);
    if (cosLat <= kTiny) {
        result.longitude = from.longitude;
        return result;
    }
    const double arg = std::clamp(std::sin(courseRad) * std::sin(d) / cosLat, -1.0, 1.0);
    result.longitude = wrappedLongitude(from.longitude + std::asin(arg));
    return result;
}

double geocentricCourse(const GeocentricPoint& from, const GeocentricPoint& to)
{
    const double dLon = from.longitude - to.longitude;
    const double y = std::sin(dLon) * std::cos(to.latitude);
    const double x = std::cos(from.latitude) * std::sin(to.latitude) -
                     std::sin(from.latitude) * std::cos(to.latitude) * std::cos(dLon);
    const double h = (std::fabs(y) <= kTiny && std::fabs(x) <= kTiny) ? 0.0 : std::atan2(y, x);
    // Clockwise in [0, 2 pi): due north is 0.
    return h > 0.0 ? kTwoPi - h : -h;
}

double geocentricAngle(const GeocentricPoint& from, const GeocentricPoint& to)
{
    const double sinHalfLat = std::sin((from.latitude - to.latitude) / 2.0);
    const double sinHalfLon = std::sin((from.longitude - to.longitude) / 2.0);
    const double sum =
        sinHalfLat * sinHalfLat + std::cos(from.latitude) * std::cos(to.latitude) * sinHalfLon * sinHalfLon;
    if (!(sum > 0.0))
        return 0.0;
    return 2.0 * std::asin(std::min(1.0, std::sqrt(sum)));
}

double geocentricDistanceM(const GeocentricPoint& from, const GeocentricPoint& to)
{
    return geocentricAngle(from, to) * kNauticalMilesPerRadian * kMetresPerNauticalMile;
}

bool radialIntersection(const GeocentricPoint& a, double radialA, const GeocentricPoint& b, double radialB,
                        GeocentricPoint& result)
{
    const double d12 = geocentricAngle(a, b);
    const double c12 = geocentricCourse(a, b);
    const double c21 = geocentricCourse(b, a);
    const double crs13 = radialA * kRadialDegreesToRadians;
    const double crs23 = radialB * kRadialDegreesToRadians;
    const double angle1 = wrappedTurn(crs13 - c12);
    const double angle2 = wrappedTurn(c21 - crs23);

    const double sin1 = std::sin(angle1), sin2 = std::sin(angle2);
    if (sin1 == 0.0 && sin2 == 0.0) {
        qDebug() << "SGGeodesy::radialIntersection: infinity of intersections";
        return false;
    }
    if (sin1 * sin2 < 0.0) {
        qDebug() << "SGGeodesy::radialIntersection: intersection ambiguous";
        return false;
    }

    const double cos1 = std::cos(angle1), cos2 = std::cos(angle2);
    const double angle3 = std::acos(sin1 * sin2 * std::cos(d12) - cos1 * cos2);
    const double d13 = std::atan2(std::sin(d12) * sin1 * sin2, cos2 + cos1 * std::cos(angle3));
    const double lat3 = std::asin(std::sin(a.latitude) * std::cos(d13) +
                                  std::cos(a.latitude) * std::sin(d13) * std::cos(crs13));
    const double dLon = std::atan2(std::sin(crs13) * std::sin(d13) * std::cos(a.latitude),
                                   std::cos(d13) - std::sin(a.latitude) * std::sin(lat3));
    result.latitude = lat3;
    result.longitude = wrappedLongitude(a.longitude + dLon);
    result.radius = a.radius;
    return true;
}

bool radialIntersection(const Position& a, double radialA, const Position& b, double radialB,
                        Position& result)
{
    const GeocentricPoint geocentricA = cartesianToGeocentric(geodeticToCartesian(a));
    const GeocentricPoint geocentricB = cartesianToGeocentric(geodeticToCartesian(b));
    GeocentricPoint intersection;
    if (!radialIntersection(geocentricA, radialA, geocentricB, radialB, intersection))
        return false;
    result = cartesianToGeodetic(geocentricToCartesian(intersection));
    return true;
}

} // namespace SGGeodesy
