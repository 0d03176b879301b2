#include "TerrainProfileJob.h"

#include "map/terrain/SRTMReader.h"

TerrainProfileJob::TerrainProfileJob() = default;

TerrainProfileJob::~TerrainProfileJob() = default;

void TerrainProfileJob::compute(quint64 request, const Position& station, double azimuthDeg, double rangeM,
                                const QString& demPath)
{
    if (request != m_latestRequest.load())
        return;
    if (!m_reader || m_reader->demPath() != demPath)
        m_reader = std::make_unique<SRTMReader>(demPath);
    emit profileReady(TerrainProfile::compute(*m_reader, station, azimuthDeg, rangeM));
}
