#include "map/geo/GeoTools.h"

#include "app/core/QLogger.h"
#include "map/terrain/TerrainGrid.h"

GeoTools& GeoTools::instance()
{
    static GeoTools tools;
    return tools;
}

GeoTools::GeoTools() : QObject(nullptr) {}

GeoTools::~GeoTools()
{
    delete m_terrainGrid.load();
}

void GeoTools::setStationLocation(double longitude, double latitude)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stationPosition = Position(longitude, latitude, 0.0);
    }
    QLogger::logTrace(LogModule, "GeoTools::setStationLocation(" + QString::number(longitude, 'g', 6) + "," +
                                     QString::number(latitude, 'g', 6) + ")");
    // The grid reads the station through this object, so it follows later moves.
    std::call_once(m_gridCreated, [this] {
        m_terrainGrid = new TerrainGrid([this] { return getStationPosition(); }, TerrainRangeM);
    });
    emit SIG_StationLocationChanged(latitude, longitude);
}

Position GeoTools::getStationPosition() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stationPosition;
}

void GeoTools::setDemPath(const QString& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_demPath = path;
}

QString GeoTools::getDemPath() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_demPath;
}

TerrainGrid* GeoTools::terrainGrid() const
{
    return m_terrainGrid.load();
}
