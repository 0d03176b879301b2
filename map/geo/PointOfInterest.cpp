#include "map/geo/PointOfInterest.h"

#include "map/geo/SGGeodesy.h"

double PointOfInterest::distanceFrom(const Position& from) const
{
    return SGGeodesy::distanceM(from, position());
}
