#include "TerrainProfile.h"

#include "map/geo/SGGeodesy.h"
#include "map/terrain/TerrainPass.h"

#include <algorithm>

TerrainProfile TerrainProfile::compute(SRTMReader& reader, const Position& station, double azimuthDeg,
                                       double rangeM)
{
    TerrainProfile profile;
    profile.rangeM = rangeM;
    if (!(rangeM > StepM))
        return profile;
    const int capacity = int(rangeM / StepM);
    profile.distancesKm.reserve(capacity);
    profile.heights.reserve(capacity);
    TerrainPass pass(reader);
    // Whole steps, so that the distances do not drift by repeated addition.
    for (int step = 1; step * StepM < rangeM && profile.heights.size() < capacity; ++step) {
        const double d = step * StepM;
        const Position p = SGGeodesy::direct(station, azimuthDeg, d);
        const double h = pass.heightAt(p.latitude(), p.longitude());
        profile.distancesKm.append(d / 1000.0);
        profile.heights.append(h);
        profile.low = std::min(profile.low, h);
        profile.high = std::max(profile.high, h);
    }
    return profile;
}
