#pragma once

#include <QPointF>
#include <QVector2D>
#include <QVector3D>

class QDataStream;
class QDebug;

// A point on the Earth: longitude and latitude in degrees (east and north
// positive), altitude in metres above the ellipsoid. Longitude comes first in
// every constructor and in the serialised form. Nothing checks the ranges.
class Position
{
public:
    Position() = default;
    Position(double longitude, double latitude, double altitude = 0.0)
        : m_longitude(longitude), m_latitude(latitude), m_altitude(altitude)
    {
    }
    // x is the longitude, y the latitude.
    Position(const QPointF& lonLat, double altitude)
        : m_longitude(lonLat.x()), m_latitude(lonLat.y()), m_altitude(altitude)
    {
    }

    double longitude() const { return m_longitude; }
    double latitude() const { return m_latitude; }
    double altitude() const { return m_altitude; }
    void setLongitude(double longitude) { m_longitude = longitude; }
    void setLatitude(double latitude) { m_latitude = latitude; }
    void setAltitude(double altitude) { m_altitude = altitude; }

    QPointF lonLat() const { return QPointF(m_longitude, m_latitude); }

    // Equal when longitude and latitude differ by at most 1e-12 degree and the
    // altitudes are exactly the same.
    bool operator==(const Position& other) const;
    bool operator!=(const Position& other) const { return !(*this == other); }

    // Flat estimates: a small neighbourhood treated as a plane in metres,
    // x east and y north, scaled at the mean latitude of the two points.
    QVector2D flatOffsetTo(const Position& other) const;
    double flatDistanceEstimate(const Position& other) const;
    double flatTaxicabEstimate(const Position& other) const;
    // atan2(north, east): 0 towards east, counter-clockwise positive.
    double flatAngleTo(const Position& other) const;
    // The point offset.x metres east and offset.y metres north, scaled at this
    // position's own latitude; its altitude is 0.
    Position flatOffsetToPosition(const QPointF& offsetMetres) const;

    // East-north-up metres of position around reference, and back.
    static QVector3D enuOffset(const Position& reference, const Position& position);
    static Position positionAtEnu(const Position& reference, const QVector3D& enu);

private:
    double m_longitude = 0.0;
    double m_latitude = 0.0;
    double m_altitude = 0.0;
};

// "(lon,lat)" with 10 significant digits; the altitude is not shown.
QDebug operator<<(QDebug debug, const Position& position);
// Three doubles: longitude, latitude, altitude.
QDataStream& operator<<(QDataStream& stream, const Position& position);
QDataStream& operator>>(QDataStream& stream, Position& position);
// longitude + latitude + altitude truncated towards zero.
uint qHash(const Position& position, uint seed = 0);
