#include "TerrainProfileJob.h"

#include "map/terrain/SRTMReader.h"
#include "map/terrain/TerrainGrid.h"

TerrainProfileJob::TerrainProfileJob() = default;

TerrainProfileJob::~TerrainProfileJob() = default;

void TerrainProfileJob::compute(quint64 request, const Position& station, double azimuthDeg, double rangeM,
                                TerrainGrid* grid)
{
    if (request != m_latestRequest.load())
        return;
    TerrainProfile profile;
    profile.rangeM = rangeM;
    if (grid != nullptr) {
        grid->loadTiles();
        profile = TerrainProfile::compute(*grid->lockReader(), station, azimuthDeg, rangeM);
    }
    emit profileReady(profile);
}
