#pragma once

#include <QGraphicsObject>
#include <QSharedPointer>

class MapTileSource;
class QPixmap;

// One square picture tile of the map view's scene, centred on its position
// and filled asynchronously from the tile source: " Loading..." until its tile
// arrives. It asks the source only when its tile changes (or when forced).
class MapTileGraphicsObject : public QGraphicsObject
{
    Q_OBJECT

public:
    explicit MapTileGraphicsObject(quint16 tileSize = 100);
    ~MapTileGraphicsObject() override;

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget = nullptr) override;

    quint16 tileSize() const { return m_tileSize; }
    void setTileSize(quint16 tileSize);

    // Requests the tile unless the item already has exactly this one (and force is off).
    void setTile(quint32 x, quint32 y, quint8 z, bool force = false);

    QSharedPointer<MapTileSource> tileSource() const { return m_tileSource; }
    // Takes the new source and requests the current tile from it again.
    void setTileSource(QSharedPointer<MapTileSource> source);

signals:
    void tileRequested(quint32 x, quint32 y, quint8 z);

private slots:
    void handleTileRetrieved(quint32 x, quint32 y, quint8 z);
    void handleTileInvalidation();

private:
    quint16 m_tileSize;
    QPixmap* m_picture = nullptr;
    quint32 m_tileX = 0;
    quint32 m_tileY = 0;
    quint8 m_tileZoom = 0;
    bool m_initialized = false;
    bool m_requestPending = false;
    QSharedPointer<MapTileSource> m_tileSource;
};
