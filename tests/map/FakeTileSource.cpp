#include "FakeTileSource.h"

#include "WaitFor.h"
#include "map/tiles/WebMercator.h"

#include <QBuffer>
#include <QThread>

#include <memory>

FakeTileSource::FakeTileSource(const QColor& color, Answer answer, CacheMode mode, const QString& name,
                               quint8 maxZoom)
    : m_color(color), m_answer(answer), m_name(name), m_maxZoom(maxZoom)
{
    setCacheMode(mode);
}

QPointF FakeTileSource::geoToScene(const QPointF& lonLat, quint8 zoom) const
{
    return WebMercator::geoToScene(lonLat, zoom, 256);
}

QPointF FakeTileSource::sceneToGeo(const QPointF& scenePixels, quint8 zoom) const
{
    return WebMercator::sceneToGeo(scenePixels, zoom, 256);
}

quint64 FakeTileSource::tileCountOnZoomLevel(quint8 zoom) const
{
    return WebMercator::tileCountOnZoomLevel(zoom);
}

void FakeTileSource::setColor(const QColor& color)
{
    QMutexLocker locker(&m_mutex);
    m_color = color;
}

void FakeTileSource::setExpiry(const QDateTime& expiry)
{
    QMutexLocker locker(&m_mutex);
    m_expiry = expiry;
}

QVector<FakeTileSource::Tile> FakeTileSource::requests() const
{
    // A copy of its own: a list shared with the one the source's thread appends
    // to would be handed between the threads by Qt's reference count alone.
    QMutexLocker locker(&m_mutex);
    return QVector<Tile>(m_requests.cbegin(), m_requests.cend());
}

int FakeTileSource::requestCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_requests.size();
}

int FakeTileSource::requestCount(quint32 x, quint32 y, quint8 z) const
{
    QMutexLocker locker(&m_mutex);
    return int(std::count(m_requests.cbegin(), m_requests.cend(), Tile{x, y, z}));
}

void FakeTileSource::fetchTile(quint32 x, quint32 y, quint8 z)
{
    QColor color;
    QDateTime expiry;
    {
        QMutexLocker locker(&m_mutex);
        m_requests.append(Tile{x, y, z});
        color = m_color;
        expiry = m_expiry;
    }
    switch (m_answer.load()) {
    case Deliver: {
        QImage* tile = new QImage(256, 256, QImage::Format_ARGB32_Premultiplied);
        tile->fill(color);
        storeReceivedTile(x, y, z, tile, expiry);
        break;
    }
    case Fail:
        emit tileFailed(x, y, z);
        break;
    case Never:
        break;
    case Hold: {
        QMutexLocker locker(&m_mutex);
        m_held.append(Tile{x, y, z});
        break;
    }
    }
}

void FakeTileSource::releaseHeld()
{
    // Returns once every held tile is delivered.
    const Qt::ConnectionType type =
        thread() == QThread::currentThread() ? Qt::DirectConnection : Qt::BlockingQueuedConnection;
    QMetaObject::invokeMethod(
        this,
        [this] {
            QVector<Tile> held;
            QColor color;
            {
                QMutexLocker locker(&m_mutex);
                held.swap(m_held);
                color = m_color;
            }
            for (const Tile& t : held) {
                QImage* tile = new QImage(256, 256, QImage::Format_ARGB32_Premultiplied);
                tile->fill(color);
                storeReceivedTile(t.x, t.y, t.z, tile, QDateTime());
            }
        },
        type);
}

QImage collectTile(MapTileSource& source, quint32 x, quint32 y, quint8 z, int timeoutMs)
{
    // Heard in this thread (queued when the source lives in another one).
    QObject receiver;
    bool announced = false;
    QObject::connect(
        &source, &MapTileSource::tileRetrieved, &receiver,
        [&](quint32 tx, quint32 ty, quint8 tz) { announced = announced || (tx == x && ty == y && tz == z); });
    source.requestTile(x, y, z);
    if (!waitFor([&] { return announced; }, timeoutMs))
        return QImage();
    std::unique_ptr<QImage> tile(source.getFinishedTile(x, y, z));
    return tile ? *tile : QImage();
}

QByteArray encodedTile(const QColor& color, const char* format, int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray pngTile(const QColor& color, int size)
{
    return encodedTile(color, "PNG", size);
}

QByteArray jpegTile(const QColor& color, int size)
{
    return encodedTile(color, "JPEG", size);
}
