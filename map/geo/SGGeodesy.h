#pragma once

#include "map/geo/Position.h"

// Geodesy on the WGS-84 ellipsoid: the direct and inverse geodesic problems,
// course and distance between positions, and conversions between geodetic,
// Earth-centred Cartesian and geocentric coordinates with spherical routines on
// the geocentric form. No state: every function is re-entrant.
//
// Angles of the geodetic form are in degrees, azimuths and courses clockwise
// from north in [0, 360), unless a name says radians.
namespace SGGeodesy {

// Earth-centred, Earth-fixed, in metres.
struct CartesianPoint
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Longitude and latitude in radians, radius in metres.
struct GeocentricPoint
{
    double longitude = 0.0;
    double latitude = 0.0;
    double radius = 0.0;
};

// The point reached from (lat1, lon1) on azimuth1 after distanceM metres, and
// the azimuth from that point back to the start. Always returns 0.
int _geo_direct_wgs_84(double lat1, double lon1, double azimuth1, double distanceM, double& lat2,
                       double& lon2, double& backAzimuth);

// Azimuth at the start, azimuth from the end back to the start, and distance.
// Every pair of finite coordinates is solved (Vincenty's iteration, with
// GeographicLib's solution where that iteration does not converge or a pole or
// an antipode is involved) and gives 0; non-finite input gives a non-zero
// result and leaves the outputs unwritten.
int geoInverseWgs84(double lat1, double lon1, double lat2, double lon2, double& azimuth1, double& azimuth2,
                    double& distanceM);

// The end point of a geodesic (altitude 0).
Position direct(const Position& start, double courseDeg, double distanceM);
// The same, also giving the course from the end back to the start; always true.
bool direct(const Position& start, double courseDeg, double distanceM, Position& end, double& backCourseDeg);
// True when the pair was solved; the outputs are unchanged otherwise.
bool inverse(const Position& from, const Position& to, double& course1, double& course2, double& distanceM);
// Initial course from one position to another; NaN when it cannot be computed.
double courseDeg(const Position& from, const Position& to);
// Geodesic distance (altitudes not used); NaN when it cannot be computed.
double distanceM(const Position& a, const Position& b);
double distanceNauticalMiles(const Position& a, const Position& b);

Position cartesianToGeodetic(const CartesianPoint& point);
CartesianPoint geodeticToCartesian(const Position& position);
// Distance from the centre to the ellipsoid's surface at a position's latitude.
double seaLevelRadius(const Position& position);
GeocentricPoint cartesianToGeocentric(const CartesianPoint& point);
CartesianPoint geocentricToCartesian(const GeocentricPoint& point);

// Spherical routines on the geocentric form (one radian of arc = 3437.75 NM).
GeocentricPoint advanceGeocentric(const GeocentricPoint& from, double courseRad, double distanceM);
double geocentricCourse(const GeocentricPoint& from, const GeocentricPoint& to);
double geocentricAngle(const GeocentricPoint& from, const GeocentricPoint& to);
double geocentricDistanceM(const GeocentricPoint& from, const GeocentricPoint& to);

// Where the great circle leaving a on radialA (degrees) meets the one leaving b
// on radialB. False, with result untouched, when there is no single answer.
bool radialIntersection(const GeocentricPoint& a, double radialA, const GeocentricPoint& b, double radialB,
                        GeocentricPoint& result);
bool radialIntersection(const Position& a, double radialA, const Position& b, double radialB,
                        Position& result);

} // namespace SGGeodesy
