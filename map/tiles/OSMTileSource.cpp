#include "OSMTileSource.h"

#include "TileNetworkManager.h"
#include "WebMercator.h"
#include "core/ProgramSettings.h"
#include "core/QLogger.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QtDebug>


const QString OSMTileSource::SettingsGroup = QStringLiteral("Map");
const QString OSMTileSource::TileServerKey = QStringLiteral("tile_server");
const QString OSMTileSource::MapQuestTileServerKey = QStringLiteral("mapquest_tile_server");
const QString OSMTileSource::DefaultTileServer = QStringLiteral("https://tile.openstreetmap.org");
const QString OSMTileSource::DefaultMapQuestTileServer = QStringLiteral("http://otile1.mqcdn.com");

namespace {
constexpr quint16 TileSize = 256;
constexpr quint8 MaxZoom = 18;
constexpr int MaxRedirects = 8;
// Failures remembered for logging once; beyond this the memory starts over.
constexpr int MaxFailuresRemembered = 4096;
const char* const TimedOutProperty = "tileTransferTimedOut";

void logWarning(const QString& text)
{
    QLogger::logWarning(UnfiledLogModule, text);
}

// The base address from the settings: scheme and host of an HTTP(S) server,
// without a trailing slash. A value that is no such address gives the default.
QUrl readServerAddress(int tileType)
{
    const bool osm = tileType == OSMTileSource::OSMTiles;
    const QString key = osm ? OSMTileSource::TileServerKey : OSMTileSource::MapQuestTileServerKey;
    const QString fallback =
        osm ? OSMTileSource::DefaultTileServer : OSMTileSource::DefaultMapQuestTileServer;
    QString refused;
    const QUrl address = ProgramSettings::serverAddress(OSMTileSource::SettingsGroup, key, fallback, &refused);
    if (!refused.isEmpty())
        logWarning(" OSMTileSource: the tile server \"" + refused + "\" is no HTTP address, using " + fallback);
    return address;
}
} // namespace

OSMTileSource::OSMTileSource(int tileType) : m_tileType(tileType), m_server(readServerAddress(tileType))
{
    setCacheMode(CacheMemoryAndDisk);
}

OSMTileSource::~OSMTileSource()
{
    qDebug() << this << name() << "Destructing";
}

QPointF OSMTileSource::geoToScene(const QPointF& lonLat, quint8 zoom) const
{
    return WebMercator::geoToScene(lonLat, zoom, TileSize);
}

QPointF OSMTileSource::sceneToGeo(const QPointF& scenePixels, quint8 zoom) const
{
    return WebMercator::sceneToGeo(scenePixels, zoom, TileSize);
}

quint64 OSMTileSource::tileCountOnZoomLevel(quint8 zoom) const
{
    return WebMercator::tileCountOnZoomLevel(zoom);
}

quint16 OSMTileSource::tileSize() const
{
    return TileSize;
}

quint8 OSMTileSource::minZoomLevel(const QPointF&) const
{
    return 0;
}

quint8 OSMTileSource::maxZoomLevel(const QPointF&) const
{
    return MaxZoom;
}

QString OSMTileSource::name() const
{
    switch (m_tileType) {
    case OSMTiles:
        return QStringLiteral("OpenStreetMap Tiles");
    case MapQuestOSMTiles:
        return QStringLiteral("MapQuestOSM Tiles");
    case MapQuestAerialTiles:
        return QStringLiteral("MapQuest Aerial Tiles");
    default:
        return QStringLiteral("Unknown Tiles");
    }
}

QString OSMTileSource::tileFileExtension() const
{
    return m_tileType == OSMTiles || m_tileType == MapQuestOSMTiles ? QStringLiteral("png")
                                                                    : QStringLiteral("jpg");
}

void OSMTileSource::fetchTile(quint32 x, quint32 y, quint8 z)
{
    TileNetworkManager* network = TileNetworkManager::instance();
    QString path;
    if (m_tileType == OSMTiles)
        path = QStringLiteral("/%1/%2/%3.png");
    else if (m_tileType == MapQuestOSMTiles)
        path = QStringLiteral("/tiles/1.0.0/osm/%1/%2/%3.jpg");
    else
        path = QStringLiteral("/tiles/1.0.0/sat/%1/%2/%3.jpg");

    const QString id = xyz2cacheID(x, y, z);
    if (m_pendingRequests.contains(id))
        return;
    m_pendingRequests.insert(id);

    QNetworkRequest request(QUrl(m_server.toString() + path.arg(z).arg(x).arg(y), QUrl::TolerantMode));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaxRedirects);
    QNetworkReply* reply = network->get(request);
    m_pendingReplies.insert(reply, id);
    connect(reply, &QNetworkReply::finished, this, &OSMTileSource::handleNetworkRequestFinished);

    // Bounds of the transfer: its whole duration and its size. Both timers and
    // connections go with the reply.
    QTimer::singleShot(m_transferTimeoutMs, reply, [reply] {
        reply->setProperty(TimedOutProperty, true);
        reply->abort();
    });
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > TileBytes::MaxTileBytes)
            reply->abort();
    });
}

void OSMTileSource::handleNetworkRequestFinished()
{
    QNetworkReply* reply = qobject_cast<QNetworkReply*>(sender());
    if (reply == nullptr) {
        logWarning(" OSMTileSource::handleNetworkRequestFinished() QNetworkReply cast failure");
        return;
    }
    reply->deleteLater();
    const auto pending = m_pendingReplies.find(reply);
    if (pending == m_pendingReplies.end()) {
        logWarning(" OSMTileSource::handleNetworkRequestFinished() Unknown QNetworkReply");
        return;
    }
    const QString id = pending.value();
    m_pendingReplies.erase(pending);
    m_pendingRequests.remove(id);

    quint32 x = 0, y = 0, z = 0;
    if (!cacheID2xyz(id, &x, &y, &z)) {
        logWarning(" OSMTileSource::handleNetworkRequestFinished() Failed to convert cacheID" + id +
                   "back to xyz");
        return;
    }
    const bool timedOut = reply->property(TimedOutProperty).toBool();
    const QString reason =
        timedOut ? QString("time-out after %1 ms").arg(m_transferTimeoutMs) : reply->errorString();
    const TileServerReachability::Change change = m_reachability.noteReply(reply->error(), timedOut);
    if (change == TileServerReachability::Lost)
        logWarning(" OSMTileSource::handleNetworkRequestFinished() Network Error: " + reason + " (tile " + id +
                   "); the tile server " + m_server.toString() +
                   " does not answer; no more failures are logged until it is back");
    else if (change == TileServerReachability::Regained)
        logWarning(" OSMTileSource::handleNetworkRequestFinished() the tile server " + m_server.toString() +
                   " answers again");
    if (reply->error() != QNetworkReply::NoError) {
        if (m_reachability.isReachable())
            logFailureOnce(id, " OSMTileSource::handleNetworkRequestFinished() Network Error: " + reason);
        emit tileFailed(x, y, quint8(z));
        return;
    }
    const QImage image = TileBytes::decodeImage(reply->readAll());
    if (image.isNull()) {
        logFailureOnce(
            id, " OSMTileSource::handleNetworkRequestFinished() Failed to make QImage from network bytes");
        emit tileFailed(x, y, quint8(z));
        return;
    }
    m_failuresLogged.remove(id);
    const QDateTime expiry =
        TileBytes::expiryFromCacheControl(reply->rawHeader("Cache-Control"), currentUtc());
    storeReceivedTile(x, y, quint8(z), new QImage(image), expiry);
}

void OSMTileSource::logFailureOnce(const QString& id, const QString& text)
{
    // A server that answers with an error for a tile: one line per tile, not one per request.
    if (m_failuresLogged.contains(id))
        return;
    if (m_failuresLogged.size() >= MaxFailuresRemembered)
        m_failuresLogged.clear();
    m_failuresLogged.insert(id);
    logWarning(text + " (tile " + id + ")");
}
