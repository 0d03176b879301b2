#pragma once

#include "map/geo/Position.h"

#include <QMetaType>
#include <QVector>

class SRTMReader;

// The ground heights along a line from the station in the antenna's direction,
// one point every 200 m, from 200 m up to (not including) the profile's length.
struct TerrainProfile
{
    static constexpr double StepM = 200.0;

    double rangeM = 0.0;
    QVector<double> distancesKm;
    // -1.0 where the terrain tile is missing.
    QVector<double> heights;
    // Lowest and highest height (4810 and 0 for a profile without points).
    double low = 4810.0;
    double high = 0.0;

    // Reads the heights with the reader, looking for each tile at most once
    // (the tiles read stay loaded for the next profile).
    static TerrainProfile compute(SRTMReader& reader, const Position& station, double azimuthDeg, double rangeM);
};

Q_DECLARE_METATYPE(TerrainProfile)
