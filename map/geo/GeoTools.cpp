#include "map/geo/GeoTools.h"

#include "core/QLogger.h"
#include "map/geo/PoiLoader.h"
#include "map/geo/PointOfInterest.h"
#include "map/terrain/TerrainGrid.h"

#include <QDebug>
#include <QStandardItemModel>
#include <memory>

GeoTools& GeoTools::instance()
{
    static GeoTools tools;
    return tools;
}

GeoTools::GeoTools() : QObject(nullptr) {}

GeoTools::~GeoTools()
{
    delete m_terrainGrid.load();
    qDeleteAll(m_pointsOfInterest);
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

namespace {
// Columns of a point-of-interest file.
enum PoiColumn { KeyColumn = 0, NameColumn = 2, ClassColumn = 5, LongitudeColumn = 6, LatitudeColumn = 7 };
constexpr float SmallestPoiClass = 2000.0f;
} // namespace

void GeoTools::loadPointsOfInterest(QString fileName)
{
    PoiLoader loader;
    std::unique_ptr<QStandardItemModel> model(loader.model);
    loader.load(fileName);
    const Position station = getStationPosition();
    for (int r = 1; r < model->rowCount(); ++r) {
        // A short line (a blank one, a last empty line) lacks the columns read below.
        if (model->item(r, LatitudeColumn) == nullptr)
            continue;
        const QString key = model->item(r, KeyColumn)->text();
        if (model->item(r, ClassColumn)->text().toFloat() < SmallestPoiClass)
            continue;
        auto point = std::make_unique<PointOfInterest>();
        point->id = key.toInt();
        point->latitude = model->item(r, LatitudeColumn)->text().toDouble();
        point->longitude = model->item(r, LongitudeColumn)->text().toDouble();
        point->name = model->item(r, NameColumn)->text();
        if (point->distanceFrom(station) > MaxPointOfInterestDistanceM)
            continue;
        PointOfInterest*& slot = m_pointsOfInterest[key];
        delete slot;
        slot = point.release();
    }
}

void GeoTools::prunePointsOfInterest(double maxDistanceM)
{
    qDebug() << "before squeeze :" << m_pointsOfInterest.size();
    const Position station = getStationPosition();
    for (auto it = m_pointsOfInterest.begin(); it != m_pointsOfInterest.end();) {
        if (it.value()->distanceFrom(station) > maxDistanceM) {
            delete it.value();
            it = m_pointsOfInterest.erase(it);
        } else {
            ++it;
        }
    }
    m_pointsOfInterest.squeeze();
}
