#include "MapTileSource.h"

#include "core/AppPaths.h"
#include "core/QLogger.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QThread>
#include <QtDebug>

#include <algorithm>

const QString MapTileSource::CacheFolderName = QStringLiteral("MapCache");
const QString MapTileSource::ExpirationsFileName = QStringLiteral("cacheExpirations.db");

namespace {
// Tiles waiting to be collected, and tiles kept in memory.
constexpr int TempCacheTiles = 100;
constexpr int MemoryCacheTiles = 100;
// A tile without a recorded expiry is good for this long.
constexpr qint64 DefaultLifetimeDays = 300;
// Disk reads: piece size and most pieces per file.
constexpr qint64 DiskReadPiece = 20480;
constexpr int MaxDiskReads = 100000;
// A larger expiry table is no table of ours.
constexpr qint64 MaxExpirationsFileBytes = 64LL * 1024 * 1024;

void logWarning(const QString& text)
{
    QLogger::logWarning(UnfiledLogModule, text);
}
} // namespace

MapTileSource::MapTileSource() : m_clock([] { return QDateTime::currentDateTimeUtc(); })
{
    m_tempCache.setMaxCost(TempCacheTiles);
    m_memoryCache.setMaxCost(MemoryCacheTiles);
    // Queued even within one thread: a request always runs later, in the source's thread.
    connect(this, &MapTileSource::tileRequested, this, &MapTileSource::startTileRequest,
            Qt::QueuedConnection);
    connect(this, &MapTileSource::allTilesInvalidated, this, &MapTileSource::clearTempCache);
}

MapTileSource::~MapTileSource()
{
    QMutexLocker locker(&m_tempCacheLock);
    saveCacheExpirationsToDisk();
}

void MapTileSource::requestTile(quint32 x, quint32 y, quint8 z)
{
    emit tileRequested(x, y, z);
}

QImage* MapTileSource::getFinishedTile(quint32 x, quint32 y, quint8 z)
{
    QMutexLocker locker(&m_tempCacheLock);
    QImage* tile = m_tempCache.take(xyz2cacheID(x, y, z));
    if (tile == nullptr)
        logWarning("MapTileSource::getFinishedTile() called, but the tile is not present");
    return tile;
}

void MapTileSource::setClock(std::function<QDateTime()> nowUtc)
{
    m_clock = std::move(nowUtc);
}

QString MapTileSource::xyz2cacheID(quint32 x, quint32 y, quint8 z)
{
    return QString::number(x) + "," + QString::number(y) + "," + QString::number(z);
}

bool MapTileSource::cacheID2xyz(const QString& id, quint32* x, quint32* y, quint32* z)
{
    const QStringList parts = id.split(',');
    if (parts.size() != 3) {
        logWarning("MapTileSource::cacheID2xyz Bad cacheID, cannot convert");
        return false;
    }
    quint32* outputs[] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        bool isNumber = false;
        *outputs[i] = parts[i].toUInt(&isNumber);
        if (!isNumber)
            return false;
    }
    return true;
}

void MapTileSource::storeReceivedTile(quint32 x, quint32 y, quint8 z, QImage* tile, const QDateTime& expiry)
{
    if (m_cacheMode == CacheMemoryAndDisk) {
        const QString id = xyz2cacheID(x, y, z);
        toMemoryCache(id, tile, expiry);
        toDiskCache(id, tile, expiry);
    }
    publishTile(x, y, z, tile);
}

void MapTileSource::startTileRequest(quint32 x, quint32 y, quint8 z)
{
    if (m_cacheMode == CacheMemoryAndDisk) {
        const QString id = xyz2cacheID(x, y, z);
        QImage* cached = fromMemoryCache(id);
        if (cached == nullptr)
            cached = fromDiskCache(id);
        if (cached != nullptr) {
            publishTile(x, y, z, cached);
            return;
        }
    }
    fetchTile(x, y, z);
}

void MapTileSource::clearTempCache()
{
    QMutexLocker locker(&m_tempCacheLock);
    m_tempCache.clear();
}

void MapTileSource::publishTile(quint32 x, quint32 y, quint8 z, QImage* tile)
{
    if (tile == nullptr)
        return;
    {
        QMutexLocker locker(&m_tempCacheLock);
        m_tempCache.insert(xyz2cacheID(x, y, z), tile, 1);
    }
    emit tileRetrieved(x, y, z);
}

bool MapTileSource::hasExpired(const QString& id)
{
    return currentUtc() >= tileExpiration(id);
}

QImage* MapTileSource::fromMemoryCache(const QString& id)
{
    if (!m_memoryCache.contains(id))
        return nullptr;
    if (hasExpired(id)) {
        m_memoryCache.remove(id);
        return nullptr;
    }
    // A copy: the cached picture is never shared with a requester.
    return new QImage(*m_memoryCache.object(id));
}

QImage* MapTileSource::fromDiskCache(const QString& id)
{
    quint32 x = 0, y = 0, z = 0;
    if (!cacheID2xyz(id, &x, &y, &z))
        return nullptr;
    const QString path = diskCacheFilePath(x, y, quint8(z));
    QFile file(path);
    if (!file.exists())
        return nullptr;
    if (hasExpired(id)) {
        if (!file.remove())
            logWarning("MapTileSource::fromDiskCache() : Failed to remove old cache file " + path);
        return nullptr;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        logWarning("MapTileSource::fromDiskCache() : Failed to open " + QFileInfo(file).baseName());
        return nullptr;
    }
    QByteArray bytes;
    const qint64 size = std::min<qint64>(file.size(), TileBytes::MaxTileBytes + 1);
    int reads = 0;
    while (bytes.size() < size) {
        if (reads == MaxDiskReads) {
            logWarning("MapTileSource::fromDiskCache() : Reading cache file" + file.fileName() +
                       "took too long. Aborting.");
            return nullptr;
        }
        bytes += file.read(std::min(DiskReadPiece, size - bytes.size()));
        ++reads;
    }
    file.close();
    const QImage image = TileBytes::decodeImage(bytes);
    if (image.isNull()) {
        // A damaged file would otherwise block the cache for this tile for
        // good (a cached file is never overwritten): the next download replaces it.
        logWarning("MapTileSource::fromDiskCache() : Removing unreadable cache file " + path);
        file.remove();
        return nullptr;
    }
    return new QImage(image);
}

void MapTileSource::toMemoryCache(const QString& id, const QImage* tile, const QDateTime& expiry)
{
    if (tile == nullptr || m_memoryCache.contains(id))
        return;
    setTileExpiration(id, expiry);
    m_memoryCache.insert(id, new QImage(*tile), 1);
}

void MapTileSource::toDiskCache(const QString& id, const QImage* tile, const QDateTime& expiry)
{
    quint32 x = 0, y = 0, z = 0;
    if (tile == nullptr || !cacheID2xyz(id, &x, &y, &z))
        return;
    const QString path = diskCacheFilePath(x, y, quint8(z));
    if (QFile::exists(path))
        return;
    setTileExpiration(id, expiry);
    if (!tile->save(path, nullptr, 100))
        qWarning() << "Failed to put" << name() << x << y << z << "into disk cache";
}

void MapTileSource::loadCacheExpirationsFromDisk()
{
    if (m_cacheExpirationsLoaded)
        return;
    m_cacheExpirationsLoaded = true;
    m_cacheExpirationsFile = getDiskCacheDirectory(0, 0, 0).absolutePath() + "/" + ExpirationsFileName;
    QFile file(m_cacheExpirationsFile);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        logWarning("MapTileSource::loadCacheExpirationsFromDisk() Failed to open cache expiration file for "
                   "reading: " +
                   file.errorString());
        return;
    }
    if (file.size() > MaxExpirationsFileBytes ||
        !TileBytes::readExpiryTable(file.readAll(), m_cacheExpirations)) {
        // The tiles then count as fresh until their files are replaced.
        logWarning(
            "MapTileSource::loadCacheExpirationsFromDisk() Ignoring unreadable cache expiration file " +
            m_cacheExpirationsFile);
        m_cacheExpirations.clear();
    }
}

void MapTileSource::saveCacheExpirationsToDisk()
{
    if (!m_cacheExpirationsLoaded || m_cacheExpirationsFile.isEmpty())
        return;
    QFile file(m_cacheExpirationsFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        logWarning(
            "MapTileSource::saveCacheExpirationsToDisk() Failed to open cache expiration file for writing: " +
            file.errorString());
        return;
    }
    file.write(TileBytes::writeExpiryTable(m_cacheExpirations));
}

QDateTime MapTileSource::tileExpiration(const QString& id)
{
    loadCacheExpirationsFromDisk();
    const auto found = m_cacheExpirations.constFind(id);
    if (found == m_cacheExpirations.constEnd())
        return currentUtc().addDays(DefaultLifetimeDays);
    return found.value();
}

void MapTileSource::setTileExpiration(const QString& id, const QDateTime& expiry)
{
    loadCacheExpirationsFromDisk();
    m_cacheExpirations.insert(id, expiry.isNull() ? currentUtc().addDays(DefaultLifetimeDays) : expiry);
}

QDir MapTileSource::getDiskCacheDirectory(quint32 x, quint32 y, quint8 z) const
{
    Q_UNUSED(y);
    const QString path = AppPaths::applicationDir() + "/" + CacheFolderName + "/" + name() + "/" +
                         QString::number(z) + "/" + QString::number(x);
    QDir folder(path);
    if (!folder.exists() && !folder.mkpath(".")) {
        qWarning() << "Failed to create cache directory" << folder.absolutePath();
        logWarning("MapTileSource::getDiskCacheDirectory  Failed to create cache directory " +
                   folder.absolutePath());
    }
    return folder;
}

QString MapTileSource::diskCacheFilePath(quint32 x, quint32 y, quint8 z) const
{
    return getDiskCacheDirectory(x, y, z).absolutePath() + "/" + QString::number(y) + "." +
           tileFileExtension();
}

void deleteTileSource(MapTileSource* source)
{
    QThread* home = source->thread();
    if (home == nullptr || home == QThread::currentThread() || !home->isRunning())
        delete source;
    else
        source->deleteLater();
}
