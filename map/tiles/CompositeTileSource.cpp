#include "CompositeTileSource.h"

#include "TileThreads.h"

#include <QMutexLocker>
#include <QPainter>
#include <QThread>
#include <QtDebug>

#include <algorithm>
#include <cmath>

namespace {
constexpr quint16 EmptyTileSize = 256;
constexpr quint8 EmptyMaxZoom = 50;
constexpr int LayerThreadJoinMs = 10000;
const char* const LayerThreadName = "CompositeTileSource::sourceThread";
} // namespace

CompositeTileSource::CompositeTileSource()
{
    setCacheMode(CacheOff);
}

CompositeTileSource::~CompositeTileSource()
{
    QMutexLocker locker(&m_sourcesLock);
    qDebug() << this << "destructing";
    clearPendingTiles();
    QList<QThread*> threads;
    for (const Layer& layer : qAsConst(m_layers))
        threads.append(layer.thread);
    // Each layer goes in its own thread, which then ends.
    m_layers.clear();
    for (QThread* thread : qAsConst(threads)) {
        if (thread != QThread::currentThread())
            TileThreads::join(thread, LayerThreadJoinMs);
    }
}

QPointF CompositeTileSource::geoToScene(const QPointF& lonLat, quint8 zoom) const
{
    QMutexLocker locker(&m_sourcesLock);
    if (m_layers.isEmpty()) {
        qWarning() << "Composite tile source is empty --- results undefined";
        return QPointF(0, 0);
    }
    return m_layers.first().source->geoToScene(lonLat, zoom);
}

QPointF CompositeTileSource::sceneToGeo(const QPointF& scenePixels, quint8 zoom) const
{
    QMutexLocker locker(&m_sourcesLock);
    if (m_layers.isEmpty()) {
        qWarning() << "Composite tile source is empty --- results undefined";
        return QPointF(0, 0);
    }
    return m_layers.first().source->sceneToGeo(scenePixels, zoom);
}

quint64 CompositeTileSource::tileCountOnZoomLevel(quint8 zoom) const
{
    QMutexLocker locker(&m_sourcesLock);
    return m_layers.isEmpty() ? 1 : m_layers.first().source->tileCountOnZoomLevel(zoom);
}

quint16 CompositeTileSource::tileSize() const
{
    QMutexLocker locker(&m_sourcesLock);
    return m_layers.isEmpty() ? EmptyTileSize : m_layers.first().source->tileSize();
}

quint8 CompositeTileSource::minZoomLevel(const QPointF& lonLat) const
{
    QMutexLocker locker(&m_sourcesLock);
    quint8 level = 0;
    for (const Layer& layer : m_layers)
        level = std::max(level, layer.source->minZoomLevel(lonLat));
    return level;
}

quint8 CompositeTileSource::maxZoomLevel(const QPointF& lonLat) const
{
    QMutexLocker locker(&m_sourcesLock);
    quint8 level = EmptyMaxZoom;
    for (const Layer& layer : m_layers)
        level = std::min(level, layer.source->maxZoomLevel(lonLat));
    return level;
}

QString CompositeTileSource::name() const
{
    return QStringLiteral("Composite Tile Source");
}

QString CompositeTileSource::tileFileExtension() const
{
    return QStringLiteral("jpg");
}

void CompositeTileSource::addSourceTop(QSharedPointer<MapTileSource> source, qreal opacity)
{
    QMutexLocker locker(&m_sourcesLock);
    addSource(0, source, opacity);
}

void CompositeTileSource::addSourceBottom(QSharedPointer<MapTileSource> source, qreal opacity)
{
    QMutexLocker locker(&m_sourcesLock);
    addSource(m_layers.size(), source, opacity);
}

void CompositeTileSource::addSource(int index, QSharedPointer<MapTileSource> source, qreal opacity)
{
    if (source.isNull())
        return;
    QThread* thread = TileThreads::host(source.data(), LayerThreadName);
    m_layers.insert(index, Layer{source, opacity, true, thread});
    connect(source.data(), &MapTileSource::tileRetrieved, this, &CompositeTileSource::handleTileRetrieved);
    connect(source.data(), &MapTileSource::tileFailed, this, &CompositeTileSource::handleTileFailed);
    emit sourceAdded(index);
    emit sourcesChanged();
    emit allTilesInvalidated();
}

void CompositeTileSource::moveSource(int from, int to)
{
    QMutexLocker locker(&m_sourcesLock);
    if (from < 0 || to < 0 || from >= m_layers.size() || to >= m_layers.size())
        return;
    m_layers.move(from, to);
    emit sourcesReordered();
    emit sourcesChanged();
    emit allTilesInvalidated();
}

void CompositeTileSource::removeSource(int index)
{
    QMutexLocker locker(&m_sourcesLock);
    if (index < 0 || index >= m_layers.size())
        return;
    const Layer removed = m_layers.takeAt(index);
    disconnect(removed.source.data(), nullptr, this, nullptr);
    // The layer may live on elsewhere; its thread ends with it.
    TileThreads::releaseWhenFinished(removed.thread);
    clearPendingTiles();
    emit sourceRemoved(index);
    emit sourcesChanged();
    emit allTilesInvalidated();
}

int CompositeTileSource::numSources() const
{
    QMutexLocker locker(&m_sourcesLock);
    return m_layers.size();
}

QSharedPointer<MapTileSource> CompositeTileSource::getSource(int index) const
{
    QMutexLocker locker(&m_sourcesLock);
    if (index < 0 || index >= m_layers.size())
        return QSharedPointer<MapTileSource>();
    return m_layers.at(index).source;
}

qreal CompositeTileSource::getOpacity(int index) const
{
    QMutexLocker locker(&m_sourcesLock);
    if (index < 0 || index >= m_layers.size())
        return 0.0;
    return m_layers.at(index).opacity;
}

void CompositeTileSource::setOpacity(int index, qreal opacity)
{
    // "Not above 0" also catches NaN.
    opacity = !(opacity > 0.0) ? 0.0 : std::min(opacity, 1.0);
    QMutexLocker locker(&m_sourcesLock);
    if (index < 0 || index >= m_layers.size() || m_layers.at(index).opacity == opacity)
        return;
    m_layers[index].opacity = opacity;
    emit sourcesChanged();
    emit allTilesInvalidated();
}

bool CompositeTileSource::getEnabledFlag(int index) const
{
    QMutexLocker locker(&m_sourcesLock);
    if (index < 0 || index >= m_layers.size())
        return false;
    return m_layers.at(index).enabled;
}

void CompositeTileSource::setEnabledFlag(int index, bool enabled)
{
    QMutexLocker locker(&m_sourcesLock);
    if (index < 0 || index >= m_layers.size() || m_layers.at(index).enabled == enabled)
        return;
    m_layers[index].enabled = enabled;
    emit sourcesChanged();
    emit allTilesInvalidated();
}

void CompositeTileSource::fetchTile(quint32 x, quint32 y, quint8 z)
{
    QMutexLocker locker(&m_sourcesLock);
    if (m_layers.isEmpty()) {
        QImage* tile = new QImage(EmptyTileSize, EmptyTileSize, QImage::Format_ARGB32_Premultiplied);
        tile->fill(Qt::white);
        QPainter painter(tile);
        painter.drawText(tile->rect(), Qt::AlignCenter, QStringLiteral("Composite Source Empty"));
        painter.end();
        storeReceivedTile(x, y, z, tile, QDateTime());
        return;
    }
    const QString id = xyz2cacheID(x, y, z);
    LayerTiles* tiles = m_pendingTiles.value(id);
    if (tiles == nullptr) {
        m_pendingTiles.insert(id, new LayerTiles());
        m_pendingOrder.append(id);
        while (m_pendingOrder.size() > MaxPendingTiles)
            dropPendingTile(m_pendingOrder.first());
    } else {
        // Asked again before it was complete: the assembly starts over.
        qDeleteAll(*tiles);
        tiles->clear();
    }
    for (const Layer& layer : qAsConst(m_layers))
        layer.source->requestTile(x, y, z);
}

int CompositeTileSource::senderLayer(const char* slot)
{
    MapTileSource* source = qobject_cast<MapTileSource*>(sender());
    if (source == nullptr) {
        qWarning() << this << slot << "failed MapTileSource cast";
        return -1;
    }
    for (int i = 0; i < m_layers.size(); ++i) {
        if (m_layers.at(i).source.data() == source)
            return i;
    }
    qWarning() << this << slot << "received tile from unknown source...";
    return -1;
}

void CompositeTileSource::handleTileRetrieved(quint32 x, quint32 y, quint8 z)
{
    QMutexLocker locker(&m_sourcesLock);
    const int layer = senderLayer("handleTileRetrieved");
    if (layer < 0)
        return;
    MapTileSource* source = m_layers.at(layer).source.data();
    if (!m_pendingTiles.contains(xyz2cacheID(x, y, z))) {
        // Left in the layer's finished-tile cache.
        qWarning() << this << "received unknown tile" << x << y << z << "from" << source;
        return;
    }
    QImage* tile = source->getFinishedTile(x, y, z);
    if (tile == nullptr) {
        // Pushed out of the layer's finished tiles before it was collected
        // (more tiles at once than the layer keeps): the layer makes it again.
        qWarning() << this << "received null tile" << x << y << z << "from" << source << "- asking again";
        source->requestTile(x, y, z);
        return;
    }
    collect(x, y, z, layer, tile);
}

void CompositeTileSource::handleTileFailed(quint32 x, quint32 y, quint8 z)
{
    QMutexLocker locker(&m_sourcesLock);
    const int layer = senderLayer("handleTileFailed");
    if (layer >= 0 && m_pendingTiles.contains(xyz2cacheID(x, y, z)))
        collect(x, y, z, layer, nullptr);
}

void CompositeTileSource::collect(quint32 x, quint32 y, quint8 z, int layer, QImage* tile)
{
    LayerTiles* tiles = m_pendingTiles.value(xyz2cacheID(x, y, z));
    if (tiles->contains(layer)) {
        delete tile;
        return;
    }
    tiles->insert(layer, tile);
    if (tiles->size() >= m_layers.size())
        assemble(x, y, z, tiles);
}

void CompositeTileSource::assemble(quint32 x, quint32 y, quint8 z, LayerTiles* tiles)
{
    const bool anyTile =
        std::any_of(tiles->cbegin(), tiles->cend(), [](const QImage* t) { return t != nullptr; });
    QImage* result = nullptr;
    if (anyTile) {
        const quint16 size = tileSize();
        result = new QImage(size, size, QImage::Format_ARGB32_Premultiplied);
        result->fill(Qt::transparent);
        QPainter painter(result);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        // Highest index first, so that layer 0 ends on top.
        for (int i = m_layers.size() - 1; i >= 0; --i) {
            const QImage* tile = tiles->value(i);
            if (tile == nullptr)
                continue;
            const Layer& layer = m_layers.at(i);
            painter.setOpacity(!layer.enabled ? 0.0 : m_layers.size() == 1 ? 1.0 : layer.opacity);
            painter.drawImage(0, 0, *tile);
        }
        painter.end();
    }
    dropPendingTile(xyz2cacheID(x, y, z));
    if (result != nullptr)
        storeReceivedTile(x, y, z, result, QDateTime());
    else
        emit tileFailed(x, y, z);
}

void CompositeTileSource::dropPendingTile(const QString& id)
{
    LayerTiles* tiles = m_pendingTiles.take(id);
    if (tiles != nullptr) {
        qDeleteAll(*tiles);
        delete tiles;
    }
    m_pendingOrder.removeOne(id);
}

void CompositeTileSource::clearPendingTiles()
{
    for (LayerTiles* tiles : qAsConst(m_pendingTiles)) {
        qDeleteAll(*tiles);
        delete tiles;
    }
    m_pendingTiles.clear();
    m_pendingOrder.clear();
}
