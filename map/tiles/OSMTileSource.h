#pragma once

#include "MapTileSource.h"
#include "TileServerReachability.h"

#include <QHash>
#include <QSet>
#include <QUrl>

class QNetworkReply;

// Map tiles from a web tile server, addressed by zoom, column and row in the
// URL path, kept in the memory and disk caches. The server's base address is a
// setting ("Map" group of the program settings): "tile_server" for type 0,
// "mapquest_tile_server" for the other types.
//
// One request per tile at a time; every transfer follows redirects and is
// bounded by a time-out and a size limit, so a server that hangs or floods
// never holds a tile for ever. A failed tile is signalled with tileFailed and
// can be requested again. The log gets one line when the server stops
// answering and one when it answers again; a tile the answering server fails
// is logged once.
class OSMTileSource : public MapTileSource
{
    Q_OBJECT

public:
    enum OSMTileType { OSMTiles = 0, MapQuestOSMTiles = 1, MapQuestAerialTiles = 2 };

    static const QString SettingsGroup;
    static const QString TileServerKey;
    static const QString MapQuestTileServerKey;
    static const QString DefaultTileServer;
    static const QString DefaultMapQuestTileServer;
    // Longest time one tile transfer may take, redirects included.
    static constexpr int DefaultTransferTimeoutMs = 20000;

    explicit OSMTileSource(int tileType = OSMTiles);
    ~OSMTileSource() override;

    QPointF geoToScene(const QPointF& lonLat, quint8 zoom) const override;
    QPointF sceneToGeo(const QPointF& scenePixels, quint8 zoom) const override;
    quint64 tileCountOnZoomLevel(quint8 zoom) const override;
    quint16 tileSize() const override;
    quint8 minZoomLevel(const QPointF& lonLat) const override;
    quint8 maxZoomLevel(const QPointF& lonLat) const override;
    QString name() const override;
    QString tileFileExtension() const override;

    // The base address the tiles come from (scheme and host, no trailing slash).
    QUrl serverAddress() const { return m_server; }
    // Set before the source is moved into its thread.
    void setTransferTimeout(int milliseconds) { m_transferTimeoutMs = milliseconds; }

protected:
    void fetchTile(quint32 x, quint32 y, quint8 z) override;

private slots:
    void handleNetworkRequestFinished();

private:
    void logFailureOnce(const QString& id, const QString& text);

    int m_tileType;
    QUrl m_server;
    int m_transferTimeoutMs = DefaultTransferTimeoutMs;
    QSet<QString> m_pendingRequests;
    QHash<QNetworkReply*, QString> m_pendingReplies;
    // Tiles whose failure is already in the log (bounded, see logFailureOnce).
    QSet<QString> m_failuresLogged;
    TileServerReachability m_reachability;
};
