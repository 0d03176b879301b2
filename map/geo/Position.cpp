#include "map/geo/Position.h"

#include "map/geo/GeoConversions.h"

#include <QDataStream>
#include <QDebug>
#include <cmath>
#include <cstdint>

bool Position::operator==(const Position& other) const
{
    return std::fabs(m_longitude - other.m_longitude) <= 1e-12 &&
           std::fabs(m_latitude - other.m_latitude) <= 1e-12 && m_altitude == other.m_altitude;
}

QVector2D Position::flatOffsetTo(const Position& other) const
{
    const double meanLatitude = (m_latitude + other.m_latitude) * 0.5;
    const double east = (other.m_longitude - m_longitude) / GeoConversions::lonDegreesPerMetre(meanLatitude);
    const double north = (other.m_latitude - m_latitude) / GeoConversions::latDegreesPerMetre(meanLatitude);
    return QVector2D(float(east), float(north));
}

double Position::flatDistanceEstimate(const Position& other) const
{
    return flatOffsetTo(other).length();
}

double Position::flatTaxicabEstimate(const Position& other) const
{
    const QVector2D offset = flatOffsetTo(other);
    return std::fabs(offset.x()) + std::fabs(offset.y());
}

double Position::flatAngleTo(const Position& other) const
{
    const QVector2D offset = flatOffsetTo(other);
    return std::atan2(offset.y(), offset.x());
}

Position Position::flatOffsetToPosition(const QPointF& offsetMetres) const
{
    return Position(m_longitude + offsetMetres.x() * GeoConversions::lonDegreesPerMetre(m_latitude),
                    m_latitude + offsetMetres.y() * GeoConversions::latDegreesPerMetre(m_latitude), 0.0);
}

QVector3D Position::enuOffset(const Position& reference, const Position& position)
{
    return GeoConversions::llaToEnu(position, reference);
}

Position Position::positionAtEnu(const Position& reference, const QVector3D& enu)
{
    return GeoConversions::enuToLla(enu, reference);
}

QDebug operator<<(QDebug debug, const Position& position)
{
    QDebugStateSaver saver(debug);
    debug.nospace().noquote() << "(" << QString::number(position.longitude(), 'g', 10) << ","
                              << QString::number(position.latitude(), 'g', 10) << ")";
    return debug;
}

QDataStream& operator<<(QDataStream& stream, const Position& position)
{
    return stream << position.longitude() << position.latitude() << position.altitude();
}

QDataStream& operator>>(QDataStream& stream, Position& position)
{
    double longitude = 0.0;
    double latitude = 0.0;
    double altitude = 0.0;
    stream >> longitude >> latitude >> altitude;
    position = Position(longitude, latitude, altitude);
    return stream;
}

uint qHash(const Position& position, uint seed)
{
    const double sum = position.longitude() + position.latitude() + position.altitude();
    // A non-finite or out-of-range sum has no integer value: hash it as 0.
    const bool representable = std::isfinite(sum) && std::fabs(sum) < 9.0e18;
    const auto truncated = representable ? static_cast<std::int64_t>(sum) : 0;
    return static_cast<uint>(truncated) ^ seed;
}
