#include "map/terrain/SRTMReader.h"

#include "core/QLogger.h"
#include "map/geo/GeoTools.h"
#include "map/terrain/SrtmTile.h"

#include <QDebug>
#include <cmath>

SRTMReader::SRTMReader() : SRTMReader(GeoTools::instance().getDemPath()) {}

SRTMReader::SRTMReader(const QString& demPath) : m_demPath(demPath) {}

void SRTMReader::setPoint(double latitude, double longitude)
{
    m_latitude = latitude;
    m_longitude = longitude;
    m_latitudeFraction = latitude - std::floor(latitude);
    m_longitudeFraction = longitude - std::floor(longitude);
}

QString SRTMReader::tileName() const
{
    return SrtmTile::name(m_latitude, m_longitude);
}

QString SRTMReader::tileName(float longitude, float latitude) const
{
    return SrtmTile::name(latitude, longitude);
}

qint64 SRTMReader::currentOffset() const
{
    return SrtmTile::sampleOffset(m_latitudeFraction, m_longitudeFraction);
}

double SRTMReader::heightFromTile(const QByteArray& tile, qint64 offset) const
{
    return SrtmTile::decode(tile.at(int(offset)), tile.at(int(offset) + 1));
}

double SRTMReader::getHeight()
{
    if (!std::isfinite(m_latitude) || !std::isfinite(m_longitude))
        return -1.0;
    const QString name = tileName();
    const qint64 offset = currentOffset();
    if (!SrtmTile::isInside(offset)) {
        qDebug() << "pos > 2884802 !!  " << offset;
        return 0.0;
    }
    auto tile = m_tiles.constFind(name);
    if (tile == m_tiles.constEnd()) {
        loadTile(m_demPath, name);
        tile = m_tiles.constFind(name);
        if (tile == m_tiles.constEnd())
            return -1.0;
    }
    return heightFromTile(*tile, offset);
}

void SRTMReader::loadTile(const QString& folder, const QString& name)
{
    if (m_tiles.contains(name))
        return;
    QFile file(SrtmTile::path(folder, name));
    if (!file.open(QIODevice::ReadOnly)) {
        // Missing tiles are common (sea, outside the downloaded area): no message.
        m_missingTiles.insert(name);
        return;
    }
    // Any other size is another format (an SRTM1 tile, a cut download) whose
    // samples would be read at the wrong places.
    if (file.size() != SrtmTile::SizeBytes) {
        if (!m_missingTiles.contains(name))
            qWarning() << "SRTMReader: " << file.fileName() << " is not an SRTM3 tile (" << file.size()
                       << " bytes)";
        m_missingTiles.insert(name);
        return;
    }
    QByteArray tile = file.read(SrtmTile::SizeBytes);
    if (tile.size() != SrtmTile::SizeBytes) {
        m_missingTiles.insert(name);
        return;
    }
    m_tiles.insert(name, tile);
    m_missingTiles.remove(name);
}

void SRTMReader::loadTilesAround(double longitude, double latitude)
{
    if (!std::isfinite(longitude) || !std::isfinite(latitude))
        return;
    const double south = std::floor(latitude);
    const double west = std::floor(longitude);
    for (int dLat = -2; dLat <= 2; ++dLat) {
        for (int dLon = -2; dLon <= 2; ++dLon)
            loadTile(m_demPath, SrtmTile::name(south + dLat, west + dLon));
    }
}

double SRTMReader::readHeight()
{
    const QString name = tileName();
    const QString path = SrtmTile::path(m_demPath, name);
    if (name != m_lastTileName) {
        m_tileFile.close();
        m_lastTileName = name;
        m_tileFile.setFileName(path);
        // A file of another size is not a tile this reader can read.
        if (m_tileFile.open(QIODevice::ReadOnly) && m_tileFile.size() != SrtmTile::SizeBytes)
            m_tileFile.close();
    }
    const qint64 offset = currentOffset();
    if (!SrtmTile::isInside(offset))
        return 0.0;
    if (!m_tileFile.isOpen()) {
        QLogger::logError(LogModule, "SRTMReader::readHeight " + path + " unable to open");
        return 0.0;
    }
    char sample[2];
    if (!m_tileFile.seek(offset) || m_tileFile.read(sample, 2) != 2)
        return 0.0;
    return SrtmTile::decode(sample[0], sample[1]);
}

void SRTMReader::clearTiles()
{
    m_tiles.clear();
}
