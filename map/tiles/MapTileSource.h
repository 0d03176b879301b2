#pragma once

#include "TileBytes.h"

#include <QCache>
#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QPointF>
#include <QSharedPointer>
#include <QString>

#include <functional>

// The supplier of the square picture tiles the map view lays out, addressed by
// column x, row y and zoom z. A request never blocks: it is queued into the
// thread the source lives in, answered from the memory or disk cache or made by
// the concrete source (fetchTile), and announced with tileRetrieved; the
// requester then takes the tile with getFinishedTile.
//
// Threads: a source is moved into a worker thread of its own; the request path,
// the caches and the expiry table are used only there. The finished-tile cache
// is shared with requesters under its lock. The eight geometry and naming
// operations are called directly from other threads and must not depend on the
// source's thread. Hold a source through makeTileSource(), so that its last
// reference, wherever it goes, deletes it in its own thread.
//
// Disk cache: <application folder>/MapCache/<name>/<z>/<x>/<y>.<extension>, and
// the expiry table "cacheExpirations.db" in the folder of tile x = 0, z = 0.
class MapTileSource : public QObject
{
    Q_OBJECT

public:
    enum CacheMode { CacheOff = 0, CacheMemoryAndDisk = 1 };

    MapTileSource();
    ~MapTileSource() override;

    virtual QPointF geoToScene(const QPointF& lonLat, quint8 zoom) const = 0;
    virtual QPointF sceneToGeo(const QPointF& scenePixels, quint8 zoom) const = 0;
    virtual quint64 tileCountOnZoomLevel(quint8 zoom) const = 0;
    virtual quint16 tileSize() const = 0;
    virtual quint8 minZoomLevel(const QPointF& lonLat) const = 0;
    virtual quint8 maxZoomLevel(const QPointF& lonLat) const = 0;
    // Also the name of the source's disk cache folder.
    virtual QString name() const = 0;
    // Extension of the cached tile files, without a dot.
    virtual QString tileFileExtension() const = 0;

    // Queues a request; callable from any thread.
    void requestTile(quint32 x, quint32 y, quint8 z);
    // Takes a finished tile out of the source (the caller owns it); null, with
    // a warning, when it is not there. Callable from any thread.
    QImage* getFinishedTile(quint32 x, quint32 y, quint8 z);

    CacheMode cacheMode() const { return m_cacheMode; }
    void setCacheMode(CacheMode mode) { m_cacheMode = mode; }

    // The clock that tile expiry is measured against (UTC); set before the
    // source is moved into its thread. Tests set their own.
    void setClock(std::function<QDateTime()> nowUtc);

    static QString xyz2cacheID(quint32 x, quint32 y, quint8 z);
    static bool cacheID2xyz(const QString& id, quint32* x, quint32* y, quint32* z);

    // Folder name of the disk cache, under the application folder.
    static const QString CacheFolderName;
    // File name of the expiry table.
    static const QString ExpirationsFileName;

signals:
    // A tile waits in the finished-tile cache; every listener gets every tile.
    void tileRetrieved(quint32 x, quint32 y, quint8 z);
    void tileRequested(quint32 x, quint32 y, quint8 z);
    // Every tile shown so far is stale and must be requested again.
    void allTilesInvalidated();
    // A request ended without a tile (server unreachable, error, bad data); the
    // tile can be requested again.
    void tileFailed(quint32 x, quint32 y, quint8 z);

protected:
    // Makes the tile and delivers it with storeReceivedTile, now or later.
    virtual void fetchTile(quint32 x, quint32 y, quint8 z) = 0;
    // The one way to deliver a tile; takes ownership. A null expiry: none known.
    void storeReceivedTile(quint32 x, quint32 y, quint8 z, QImage* tile, const QDateTime& expiry);
    QDateTime currentUtc() const { return m_clock(); }

private slots:
    void startTileRequest(quint32 x, quint32 y, quint8 z);
    void clearTempCache();

private:
    void publishTile(quint32 x, quint32 y, quint8 z, QImage* tile);

    QImage* fromMemoryCache(const QString& id);
    QImage* fromDiskCache(const QString& id);
    void toMemoryCache(const QString& id, const QImage* tile, const QDateTime& expiry);
    void toDiskCache(const QString& id, const QImage* tile, const QDateTime& expiry);
    bool hasExpired(const QString& id);

    void loadCacheExpirationsFromDisk();
    void saveCacheExpirationsToDisk();
    QDateTime tileExpiration(const QString& id);
    void setTileExpiration(const QString& id, const QDateTime& expiry);

    QDir getDiskCacheDirectory(quint32 x, quint32 y, quint8 z) const;
    QString diskCacheFilePath(quint32 x, quint32 y, quint8 z) const;

    bool m_cacheExpirationsLoaded = false;
    QString m_cacheExpirationsFile;
    CacheMode m_cacheMode = CacheMemoryAndDisk;
    QCache<QString, QImage> m_tempCache;
    QMutex m_tempCacheLock;
    QCache<QString, QImage> m_memoryCache;
    TileBytes::ExpiryTable m_cacheExpirations;
    std::function<QDateTime()> m_clock;
};

// Deletes a tile source in the thread it lives in: at once when that is the
// calling thread or when the thread no longer runs, otherwise from its event loop.
void deleteTileSource(MapTileSource* source);

// A new tile source held by a shared pointer whose last release deletes it in its own thread.
template <typename Source, typename... Args> QSharedPointer<Source> makeTileSource(Args&&... args)
{
    return QSharedPointer<Source>(new Source(std::forward<Args>(args)...), &deleteTileSource);
}
