#pragma once

#include "map/geo/Position.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <atomic>
#include <mutex>

class TerrainGrid;
struct PointOfInterest;

// The process-wide station location and terrain service: the station position,
// the folder of the SRTM terrain tiles and the terrain grid around the station.
// The station may be set from any thread (a remote receiver moves it from its
// stream thread) while others read it: the position and the folder are guarded.
class GeoTools : public QObject
{
    Q_OBJECT
public:
    // Half the side of the station's terrain grid.
    static constexpr double TerrainRangeM = 60000.0;

    // The one instance, built on first use and destroyed at process exit.
    static GeoTools& instance();

    ~GeoTools() override;

    // Stores the station (longitude first), writes a trace line, builds the
    // terrain grid on the first call of the process (without reading its
    // tiles: its first user loads them on its own thread), then emits
    // SIG_StationLocationChanged on the calling thread, even when nothing moved.
    void setStationLocation(double longitude, double latitude);
    // The station as last set (altitude 0); all zero until set.
    Position getStationPosition() const;

    // Folder of the ".hgt" tiles; a terrain reader copies it when it is made.
    void setDemPath(const QString& path);
    QString getDemPath() const;

    // The grid around the first station position; none before the first
    // setStationLocation. It follows later station moves but loads no tiles for them.
    TerrainGrid* terrainGrid() const;

    // The points-of-interest table, GUI thread only. Points are read from a
    // ';'-separated file (a header line, then: key, -, name, -, -, a class
    // number that must be at least 2000, longitude, latitude); a point more
    // than MaxPointOfInterestDistanceM from the station is not kept, and a key
    // read again replaces the earlier point.
    static constexpr double MaxPointOfInterestDistanceM = 500000.0;
    void loadPointsOfInterest(QString fileName);
    // Removes every point farther than maxDistanceM from the station.
    void prunePointsOfInterest(double maxDistanceM);
    const QHash<QString, PointOfInterest*>& pointsOfInterest() const { return m_pointsOfInterest; }

signals:
    void SIG_StationLocationChanged(double latitude, double longitude);

private:
    GeoTools();

    mutable std::mutex m_mutex; // guards the two values below
    Position m_stationPosition;
    QString m_demPath = QStringLiteral("./DEM");

    std::once_flag m_gridCreated;
    std::atomic<TerrainGrid*> m_terrainGrid{nullptr}; // owned

    QHash<QString, PointOfInterest*> m_pointsOfInterest; // owned
};
