#pragma once

#include "map/tiles/MapTileSource.h"
#include "WaitFor.h"

#include <QColor>
#include <QDateTime>
#include <QMutex>
#include <QVector>

#include <atomic>

// A tile source for tests: web Mercator tiles of 256 pixels, made at once in
// one plain colour (or failed, or never answered), every request recorded.
// Safe to drive and to read from any thread.
class FakeTileSource : public MapTileSource
{
    Q_OBJECT

public:
    // Hold keeps the requests until releaseHeld().
    enum Answer { Deliver, Fail, Never, Hold };
    struct Tile
    {
        quint32 x, y;
        quint8 z;
        bool operator==(const Tile& o) const { return x == o.x && y == o.y && z == o.z; }
    };

    explicit FakeTileSource(const QColor& color = Qt::red, Answer answer = Deliver, CacheMode mode = CacheOff,
                            const QString& name = "Fake Tiles", quint8 maxZoom = 18);

    QPointF geoToScene(const QPointF& lonLat, quint8 zoom) const override;
    QPointF sceneToGeo(const QPointF& scenePixels, quint8 zoom) const override;
    quint64 tileCountOnZoomLevel(quint8 zoom) const override;
    quint16 tileSize() const override { return 256; }
    quint8 minZoomLevel(const QPointF&) const override { return m_minZoom; }
    quint8 maxZoomLevel(const QPointF&) const override { return m_maxZoom; }
    QString name() const override { return m_name; }
    QString tileFileExtension() const override { return QStringLiteral("png"); }

    void setZoomRange(quint8 minimum, quint8 maximum)
    {
        m_minZoom = minimum;
        m_maxZoom = maximum;
    }
    void setColor(const QColor& color);
    void setAnswer(Answer answer) { m_answer = answer; }
    // Expiry handed with the next tiles (null: none known).
    void setExpiry(const QDateTime& expiry);

    // Hands a tile to the base class as fetchTile would (call in the source's thread).
    void deliver(quint32 x, quint32 y, quint8 z, QImage* tile, const QDateTime& expiry)
    {
        storeReceivedTile(x, y, z, tile, expiry);
    }

    // Delivers every held request in the source's thread, and returns when
    // they are all delivered; callable from any thread.
    void releaseHeld();

    QVector<Tile> requests() const;
    int requestCount() const;
    int requestCount(quint32 x, quint32 y, quint8 z) const;

protected:
    void fetchTile(quint32 x, quint32 y, quint8 z) override;

private:
    mutable QMutex m_mutex;
    QColor m_color;
    QDateTime m_expiry;
    QVector<Tile> m_requests;
    QVector<Tile> m_held;
    std::atomic<Answer> m_answer;
    QString m_name;
    std::atomic<quint8> m_minZoom{0};
    std::atomic<quint8> m_maxZoom;
};

// Requests a tile and collects it once announced, serving the calling thread's
// events meanwhile; the source may live in any thread. A null image when the
// tile is not announced within timeoutMs.
QImage collectTile(MapTileSource& source, quint32 x, quint32 y, quint8 z, int timeoutMs = kWaitBoundMs);

// Bytes of a picture in one colour, in a format Qt writes ("PNG", "JPEG", "BMP").
QByteArray encodedTile(const QColor& color, const char* format, int size = 256);
QByteArray pngTile(const QColor& color, int size = 256);
QByteArray jpegTile(const QColor& color, int size = 256);
