#pragma once

#include "map/geo/Position.h"

#include <QTransform>
#include <QVector3D>

// Conversions on the WGS-84 ellipsoid between geodetic coordinates (LLA),
// Earth-centred Earth-fixed Cartesian coordinates (XYZ, metres, single
// precision) and local east-north-up coordinates around a reference (ENU).
// Numeric forms take the latitude first; every form of one operation computes
// the same thing. Failures write a debug line and return a defined value.
namespace GeoConversions {

// XYZ of a geodetic point; (0, 0, 0) when latitude or longitude is out of range.
QVector3D llaToXyz(double latitude, double longitude, double altitude);
QVector3D llaToXyz(const Position& position);

// Geodetic point of an XYZ vector; (0, 0, 0) at the centre of the Earth.
Position xyzToLla(double x, double y, double z);
Position xyzToLla(const QVector3D& xyz);

// Degrees of latitude and of longitude in one metre at a latitude.
double latDegreesPerMetre(double latitude);
double lonDegreesPerMetre(double latitude);

// 3x3 rotation by angle (degrees) about axis 1 (x), 2 (y) or 3 (z); any other
// axis rotates about x.
QTransform rotationAboutAxis(double angle, int axis);

QVector3D xyzToEnu(const QVector3D& xyz, double refLatitude, double refLongitude, double refAltitude);
QVector3D xyzToEnu(const QVector3D& xyz, const Position& reference);
QVector3D xyzToEnu(double x, double y, double z, double refLatitude, double refLongitude, double refAltitude);
QVector3D xyzToEnu(double x, double y, double z, const Position& reference);

QVector3D llaToEnu(double latitude, double longitude, double altitude, double refLatitude,
                   double refLongitude, double refAltitude);
QVector3D llaToEnu(double latitude, double longitude, double altitude, const Position& reference);
QVector3D llaToEnu(const Position& position, double refLatitude, double refLongitude, double refAltitude);
QVector3D llaToEnu(const Position& position, const Position& reference);

QVector3D enuToXyz(const QVector3D& enu, double refLatitude, double refLongitude, double refAltitude);
QVector3D enuToXyz(const QVector3D& enu, const Position& reference);
QVector3D enuToXyz(double east, double north, double up, double refLatitude, double refLongitude,
                   double refAltitude);
QVector3D enuToXyz(double east, double north, double up, const Position& reference);

Position enuToLla(const QVector3D& enu, double refLatitude, double refLongitude, double refAltitude);
Position enuToLla(const QVector3D& enu, const Position& reference);
Position enuToLla(double east, double north, double up, double refLatitude, double refLongitude,
                  double refAltitude);
Position enuToLla(double east, double north, double up, const Position& reference);

// Round trips through the conversions; prints "Passed ..." or "Failed ..." lines
// and two degrees-per-metre factors on the debug output.
void selfTest();

} // namespace GeoConversions
