// Course and distance between positions, on top of the geodesic solvers.
#include "map/geo/SGGeodesy.h"

#include <QDebug>
#include <limits>

namespace SGGeodesy {

namespace {
constexpr double kNauticalMilesPerMetre = 0.0005399568034557235;
}

Position direct(const Position& start, double courseDeg, double distanceM)
{
    Position end;
    double backCourse = 0.0;
    direct(start, courseDeg, distanceM, end, backCourse);
    return end;
}

bool direct(const Position& start, double courseDeg, double distanceM, Position& end, double& backCourseDeg)
{
    double latitude = 0.0;
    double longitude = 0.0;
    _geo_direct_wgs_84(start.latitude(), start.longitude(), courseDeg, distanceM, latitude, longitude,
                       backCourseDeg);
    end = Position(longitude, latitude, 0.0);
    return true;
}

bool inverse(const Position& from, const Position& to, double& course1, double& course2, double& distanceM)
{
    return geoInverseWgs84(from.latitude(), from.longitude(), to.latitude(), to.longitude(), course1, course2,
                           distanceM) == 0;
}

double courseDeg(const Position& from, const Position& to)
{
    double course1 = 0.0, course2 = 0.0, distance = 0.0;
    if (!inverse(from, to, course1, course2, distance)) {
        qDebug() << "SGGeodesy::courseDeg, unable to compute course";
        return std::numeric_limits<double>::quiet_NaN();
    }
    return course1;
}

double distanceM(const Position& a, const Position& b)
{
    double course1 = 0.0, course2 = 0.0, distance = 0.0;
    if (!inverse(a, b, course1, course2, distance)) {
        qDebug() << "SGGeodesy::distanceM, unable to compute distance";
        return std::numeric_limits<double>::quiet_NaN();
    }
    return distance;
}

double distanceNauticalMiles(const Position& a, const Position& b)
{
    return distanceM(a, b) * kNauticalMilesPerMetre;
}

} // namespace SGGeodesy
