#include "map/geo/GeoConversions.h"

#include "map/geo/SGGeodesy.h"

#include <QDebug>
#include <cmath>

namespace GeoConversions {

namespace {

constexpr double kSemiMajorAxis = 6378137.0;
constexpr double kEccentricitySquared = 0.0066943799901413165;
constexpr double kOneMinusEccentricitySquared = 0.9933056200098587;
constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr double kRadiansToDegrees = 57.29577951308232;
constexpr double kHalfEquatorialCircumference = 20037508.342789244;

// Far from the ellipsoid the Newton iteration of xyzToLla need not converge;
// near the surface it takes a few steps.
constexpr int kMaxNewtonSteps = 50;

// The rotation from XYZ differences to ENU at a reference latitude and longitude.
QTransform enuRotation(double refLatitude, double refLongitude)
{
    return rotationAboutAxis(90.0 - refLatitude, 1) * rotationAboutAxis(refLongitude + 90.0, 3);
}

QVector3D apply(const QTransform& m, double x, double y, double z)
{
    return QVector3D(float(m.m11() * x + m.m12() * y + m.m13() * z),
                     float(m.m21() * x + m.m22() * y + m.m23() * z),
                     float(m.m31() * x + m.m32() * y + m.m33() * z));
}

} // namespace

QVector3D llaToXyz(double latitude, double longitude, double altitude)
{
    if (latitude < -90.0 || latitude > 90.0 || longitude < -180.0 || longitude > 180.0) {
        qDebug() << "Lat/Lon out of range" << latitude << longitude;
        return QVector3D(0.0f, 0.0f, 0.0f);
    }
    const double phi = latitude * kDegreesToRadians;
    const double lambda = longitude * kDegreesToRadians;
    const double sinPhi = std::sin(phi);
    const double n = kSemiMajorAxis / std::sqrt(1.0 - kEccentricitySquared * sinPhi * sinPhi);
    return QVector3D(float((n + altitude) * std::cos(phi) * std::cos(lambda)),
                     float((n + altitude) * std::cos(phi) * std::sin(lambda)),
                     float((n * kOneMinusEccentricitySquared + altitude) * sinPhi));
}

QVector3D llaToXyz(const Position& position)
{
    return llaToXyz(position.latitude(), position.longitude(), position.altitude());
}

Position xyzToLla(double x, double y, double z)
{
    double longitude = 0.0;
    if (x == 0.0 && y == 0.0) {
        if (z == 0.0) {
            qDebug() << "Error: XYZ at center of the earth";
            return Position(0.0, 0.0, 0.0);
        }
    } else {
        longitude = std::atan2(y, x) * kRadiansToDegrees;
    }

    const double p = std::sqrt(x * x + y * y);
    double phi = std::atan2(z, p);
    double h = std::sqrt(z * z + p * p) - kSemiMajorAxis;
    for (int step = 0; step < kMaxNewtonSteps; ++step) {
        const double s = std::sin(phi);
        const double c = std::cos(phi);
        const double r = 1.0 - kEccentricitySquared * s * s;
        const double n = kSemiMajorAxis / std::sqrt(r);
        const double dn = n * kEccentricitySquared * s * c / r;
        const double ep = c * (n + h) - p;
        const double ez = s * (n * kOneMinusEccentricitySquared + h) - z;
        const double fPhi = c * dn - (n + h) * s;
        const double gPhi = kOneMinusEccentricitySquared * (dn * s + n * c);
        const double det = s * fPhi - c * gPhi;
        h -= (fPhi * ez - gPhi * ep) / det;
        phi -= (s * ep - c * ez) / det;
        if (std::fabs(ep) <= 1e-6 && std::fabs(ez) <= 1e-6)
            return Position(longitude, phi * kRadiansToDegrees, h);
    }
    // No convergence (a point far from the ellipsoid): the closed form always answers.
    const Position closed = SGGeodesy::cartesianToGeodetic(SGGeodesy::CartesianPoint{x, y, z});
    return Position(longitude, closed.latitude(), closed.altitude());
}

Position xyzToLla(const QVector3D& xyz)
{
    return xyzToLla(xyz.x(), xyz.y(), xyz.z());
}

double latDegreesPerMetre(double latitude)
{
    const double phi = latitude * kDegreesToRadians;
    return 1.0 / (111132.954 - 559.822 * std::cos(2.0 * phi) + 1.175 * std::cos(4.0 * phi));
}

double lonDegreesPerMetre(double latitude)
{
    const double phi = latitude * kDegreesToRadians;
    const double sinPhi = std::sin(phi);
    return 1.0 / (kHalfEquatorialCircumference * std::cos(phi) /
                  (180.0 * std::sqrt(1.0 - kEccentricitySquared * sinPhi * sinPhi)));
}

QTransform rotationAboutAxis(double angle, int axis)
{
    const double c = std::cos(angle * kDegreesToRadians);
    const double s = std::sin(angle * kDegreesToRadians);
    switch (axis) {
    case 2:
        return QTransform(c, 0.0, -s, 0.0, 1.0, 0.0, s, 0.0, c);
    case 3:
        return QTransform(c, s, 0.0, -s, c, 0.0, 0.0, 0.0, 1.0);
    default:
        return QTransform(1.0, 0.0, 0.0, 0.0, c, s, 0.0, -s, c);
    }
}

QVector3D xyzToEnu(double x, double y, double z, double refLatitude, double refLongitude, double refAltitude)
{
    const QVector3D reference = llaToXyz(refLatitude, refLongitude, refAltitude);
    return apply(enuRotation(refLatitude, refLongitude), x - reference.x(), y - reference.y(),
                 z - reference.z());
}

QVector3D xyzToEnu(double x, double y, double z, const Position& reference)
{
    return xyzToEnu(x, y, z, reference.latitude(), reference.longitude(), reference.altitude());
}

QVector3D xyzToEnu(const QVector3D& xyz, double refLatitude, double refLongitude, double refAltitude)
{
    return xyzToEnu(xyz.x(), xyz.y(), xyz.z(), refLatitude, refLongitude, refAltitude);
}

QVector3D xyzToEnu(const QVector3D& xyz, const Position& reference)
{
    return xyzToEnu(xyz.x(), xyz.y(), xyz.z(), reference);
}

QVector3D llaToEnu(double latitude, double longitude, double altitude, double refLatitude,
                   double refLongitude, double refAltitude)
{
    return xyzToEnu(llaToXyz(latitude, longitude, altitude), refLatitude, refLongitude, refAltitude);
}

QVector3D llaToEnu(double latitude, double longitude, double altitude, const Position& reference)
{
    return llaToEnu(latitude, longitude, altitude, reference.latitude(), reference.longitude(),
                    reference.altitude());
}

QVector3D llaToEnu(const Position& position, double refLatitude, double refLongitude, double refAltitude)
{
    return llaToEnu(position.latitude(), position.longitude(), position.altitude(), refLatitude, refLongitude,
                    refAltitude);
}

QVector3D llaToEnu(const Position& position, const Position& reference)
{
    return llaToEnu(position, reference.latitude(), reference.longitude(), reference.altitude());
}

QVector3D enuToXyz(double east, double north, double up, double refLatitude, double refLongitude,
                   double refAltitude)
{
    bool invertible = false;
    const QTransform inverse = enuRotation(refLatitude, refLongitude).inverted(&invertible);
    if (!invertible) {
        qDebug() << "Failed to invert rotation matrix --- did you enter a bad lat,lon,or alt?";
        return QVector3D(float(east), float(north), float(up));
    }
    const QVector3D reference = llaToXyz(refLatitude, refLongitude, refAltitude);
    return apply(inverse, east, north, up) + reference;
}

QVector3D enuToXyz(double east, double north, double up, const Position& reference)
{
    return enuToXyz(east, north, up, reference.latitude(), reference.longitude(), reference.altitude());
}

QVector3D enuToXyz(const QVector3D& enu, double refLatitude, double refLongitude, double refAltitude)
{
    return enuToXyz(enu.x(), enu.y(), enu.z(), refLatitude, refLongitude, refAltitude);
}

QVector3D enuToXyz(const QVector3D& enu, const Position& reference)
{
    return enuToXyz(enu.x(), enu.y(), enu.z(), reference);
}

Position enuToLla(double east, double north, double up, double refLatitude, double refLongitude,
                  double refAltitude)
{
    return xyzToLla(enuToXyz(east, north, up, refLatitude, refLongitude, refAltitude));
}

Position enuToLla(double east, double north, double up, const Position& reference)
{
    return enuToLla(east, north, up, reference.latitude(), reference.longitude(), reference.altitude());
}

Position enuToLla(const QVector3D& enu, double refLatitude, double refLongitude, double refAltitude)
{
    return enuToLla(enu.x(), enu.y(), enu.z(), refLatitude, refLongitude, refAltitude);
}

Position enuToLla(const QVector3D& enu, const Position& reference)
{
    return enuToLla(enu.x(), enu.y(), enu.z(), reference);
}

void selfTest()
{
    // A point in the Alps, 1423 m up.
    const Position point(6.8652, 45.8326, 1423.0);

    const Position back = xyzToLla(llaToXyz(point));
    const bool llaPassed = std::fabs(back.latitude() - point.latitude()) <= 0.001 &&
                           std::fabs(back.longitude() - point.longitude()) <= 0.001 &&
                           std::fabs(back.altitude() - point.altitude()) <= 1.0;
    qDebug() << (llaPassed ? "Passed LLA -> XYZ -> LLA" : "Failed LLA -> XYZ -> LLA");

    const QVector3D enu(5.0f, 5.0f, 0.0f);
    const QVector3D enuBack = llaToEnu(enuToLla(enu, point), point);
    const bool enuPassed = (enuBack - enu).length() <= 0.3f;
    qDebug() << (enuPassed ? "Passed LLA -> ENU -> LLA -> ENU" : "Failed LLA -> ENU -> LLA -> ENU");

    qDebug() << latDegreesPerMetre(15.0);
    qDebug() << lonDegreesPerMetre(15.0);
}

} // namespace GeoConversions
