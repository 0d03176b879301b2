// The parser's committed values in everyday units, and the great-circle
// helpers that go with them.
#include "NmeaParser.h"

#include <cmath>

namespace {

constexpr float EarthRadiusMetres = 6372795.0f;
constexpr float DegreesToRadians = float(M_PI / 180.0);

} // namespace

void NmeaParser::dateAndTime(quint32* date, quint32* time, quint32* age) const
{
    if (date)
        *date = m_fix.date;
    if (time)
        *time = m_fix.time;
    if (age)
        *age = m_fix.hasTime() ? 0 : NoAge;
}

void NmeaParser::positionDegrees(float* latitude, float* longitude, quint32* age) const
{
    const bool known = m_fix.hasPosition();
    if (latitude)
        *latitude = known ? float(m_fix.latitude / 1000000.0) : 1000.0f;
    if (longitude)
        *longitude = known ? float(m_fix.longitude / 1000000.0) : 1000.0f;
    if (age)
        *age = known ? 0 : NoAge;
}

float NmeaParser::altitudeMetres() const
{
    return m_fix.hasAltitude() ? m_fix.altitude / 100.0f : 1000000.0f;
}

float NmeaParser::courseDegrees() const
{
    return m_fix.course != NmeaFix::NoCourse ? m_fix.course / 100.0f : 1000.0f;
}

float NmeaParser::speedKnots() const
{
    return m_fix.speed != NmeaFix::NoSpeed ? m_fix.speed / 100.0f : -1.0f;
}

float NmeaParser::speedMph() const
{
    const float knots = speedKnots();
    return knots < 0 ? -1.0f : knots * 1.15077945f;
}

float NmeaParser::speedMetresPerSecond() const
{
    const float knots = speedKnots();
    return knots < 0 ? -1.0f : knots * 0.51444444f;
}

float NmeaParser::speedKmh() const
{
    const float knots = speedKnots();
    return knots < 0 ? -1.0f : knots * 1.852f;
}

float NmeaParser::greatCircleDistance(float latitude1, float longitude1, float latitude2, float longitude2)
{
    // atan2 of the chord's two components stays accurate for short and
    // antipodal distances alike, where acos of the dot product does not.
    const float delta = (longitude1 - longitude2) * DegreesToRadians;
    const float lat1 = latitude1 * DegreesToRadians;
    const float lat2 = latitude2 * DegreesToRadians;
    const float across = std::cos(lat2) * std::sin(delta);
    const float along = std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(delta);
    const float dot = std::sin(lat1) * std::sin(lat2) + std::cos(lat1) * std::cos(lat2) * std::cos(delta);
    return EarthRadiusMetres * std::atan2(std::sqrt(across * across + along * along), dot);
}

float NmeaParser::initialCourse(float latitude1, float longitude1, float latitude2, float longitude2)
{
    const float delta = (longitude2 - longitude1) * DegreesToRadians;
    const float lat1 = latitude1 * DegreesToRadians;
    const float lat2 = latitude2 * DegreesToRadians;
    float course = std::atan2(std::sin(delta) * std::cos(lat2),
                              std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(delta));
    if (course < 0)
        course += float(2 * M_PI);
    return course / DegreesToRadians;
}

const char* NmeaParser::compassPointName(float course)
{
    static const char* const names[16] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                          "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
    // Courses outside 0..360 are taken round the circle rather than used to
    // index outside the table; a course that is no number reads as north.
    if (!std::isfinite(course))
        return names[0];
    float turn = std::fmod(course, 360.0f);
    if (turn < 0)
        turn += 360.0f;
    return names[int((turn + 11.25f) / 22.5f) % 16];
}
