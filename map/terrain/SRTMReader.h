#pragma once

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// Height of the ground at a point, from SRTM3 tiles in one folder. Every tile
// read whole stays in memory for the life of the reader. Not thread-safe: one
// reader serves one thread.
class SRTMReader
{
public:
    // Reads from the terrain folder of GeoTools as it is now.
    SRTMReader();
    explicit SRTMReader(const QString& demPath);

    SRTMReader(const SRTMReader&) = delete;
    SRTMReader& operator=(const SRTMReader&) = delete;

    // The point that the next reads are about.
    void setPoint(double latitude, double longitude);
    // Name of the current point's tile.
    QString tileName() const;
    // Name of the tile holding a point given longitude first.
    QString tileName(float longitude, float latitude) const;

    // Height of the current point from the tiles in memory. A tile not yet in
    // memory is loaded at once (in the caller's thread); -1.0 when it cannot
    // be loaded (missing file, not an SRTM3 tile) or the point is not finite.
    // A tile that was missing is looked for again on every read, so that one
    // added while the program runs is found: readers of many points go through
    // a TerrainPass, which looks for each tile once per pass.
    double getHeight();

    // Reads one tile into memory, once; only a file of exactly the SRTM3 size is
    // kept. A tile that failed before is tried again.
    void loadTile(const QString& folder, const QString& name);
    // Loads the 25 tiles whose south-west corners lie within two degrees of a point.
    void loadTilesAround(double longitude, double latitude);

    // Height of the current point read from the tile file itself, without
    // loading the tile; 0 (and an error line in the log) when it cannot be read.
    double readHeight();

    // Releases every tile held in memory.
    void clearTiles();

    QString demPath() const { return m_demPath; }
    bool hasTile(const QString& name) const { return m_tiles.contains(name); }
    // Tiles whose last load failed: missing files and files of the wrong size.
    QStringList missingTileNames() const { return m_missingTiles.values(); }

private:
    // Byte offset of the current point's sample inside its tile.
    qint64 currentOffset() const;
    double heightFromTile(const QByteArray& tile, qint64 offset) const;

    double m_latitude = 0.0;
    double m_longitude = 0.0;
    double m_latitudeFraction = 0.0;
    double m_longitudeFraction = 0.0;
    QString m_lastTileName;
    QFile m_tileFile; // open on m_lastTileName for readHeight
    QMap<QString, QByteArray> m_tiles;
    QSet<QString> m_missingTiles;
    QString m_demPath;
};
