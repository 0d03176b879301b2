#pragma once

#include "map/geo/Position.h"

#include <QString>

// A named place drawn on the terrain picture.
struct PointOfInterest
{
    int id = 0;
    double latitude = 0.0;  // degrees
    double longitude = 0.0; // degrees
    QString name;

    // The place at altitude 0.
    Position position() const { return Position(longitude, latitude, 0.0); }
    // Geodesic distance in metres.
    double distanceFrom(const Position& from) const;
};
