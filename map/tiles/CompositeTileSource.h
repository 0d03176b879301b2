#pragma once

#include "MapTileSource.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QRecursiveMutex>
#include <QSharedPointer>

class QThread;

// A tile source that stacks other sources as layers, each with an opacity and
// an enabled flag, and answers a request with one picture painted from the
// layers' tiles (index 0 on top). Each layer lives in a thread of its own, so a
// slow network layer never delays a locally drawn one.
//
// A tile is assembled once every layer has answered it. A layer that fails a
// tile (offline) leaves it out of the picture, so the other layers still show;
// when every layer fails, the composite fails the tile too. A layer tile lost
// before it was collected is asked for again. Tiles still waiting for a layer
// are bounded: beyond MaxPendingTiles the oldest are dropped.
//
// Every operation takes the composite's lock and emits its signals while
// holding it. The add operations must run in the thread the new layer lives in.
class CompositeTileSource : public MapTileSource
{
    Q_OBJECT

public:
    static constexpr int MaxPendingTiles = 256;

    CompositeTileSource();
    ~CompositeTileSource() override;

    // Those of layer 0; see the source for the values without layers.
    QPointF geoToScene(const QPointF& lonLat, quint8 zoom) const override;
    QPointF sceneToGeo(const QPointF& scenePixels, quint8 zoom) const override;
    quint64 tileCountOnZoomLevel(quint8 zoom) const override;
    quint16 tileSize() const override;
    // The range every layer covers.
    quint8 minZoomLevel(const QPointF& lonLat) const override;
    quint8 maxZoomLevel(const QPointF& lonLat) const override;
    QString name() const override;
    QString tileFileExtension() const override;

    void addSourceTop(QSharedPointer<MapTileSource> source, qreal opacity = 1.0);
    void addSourceBottom(QSharedPointer<MapTileSource> source, qreal opacity = 1.0);
    void moveSource(int from, int to);
    void removeSource(int index);

    int numSources() const;
    QSharedPointer<MapTileSource> getSource(int index) const;
    qreal getOpacity(int index) const;
    // Held to [0, 1]; not a number counts as 0.
    void setOpacity(int index, qreal opacity);
    bool getEnabledFlag(int index) const;
    void setEnabledFlag(int index, bool enabled);

signals:
    void sourcesChanged();
    void sourceAdded(int index);
    void sourceRemoved(int index);
    void sourcesReordered();

protected:
    void fetchTile(quint32 x, quint32 y, quint8 z) override;

private slots:
    void handleTileRetrieved(quint32 x, quint32 y, quint8 z);
    void handleTileFailed(quint32 x, quint32 y, quint8 z);
    void clearPendingTiles();

private:
    struct Layer
    {
        QSharedPointer<MapTileSource> source;
        qreal opacity;
        bool enabled;
        QThread* thread;
    };
    // Layer index to the layer's tile; null for a layer that failed the tile.
    using LayerTiles = QMap<int, QImage*>;

    void addSource(int index, QSharedPointer<MapTileSource> source, qreal opacity);
    // Index of the layer that sent the current signal; -1 (with a warning) for none.
    int senderLayer(const char* slot);
    // Stores a layer's answer; assembles the tile once every layer answered.
    void collect(quint32 x, quint32 y, quint8 z, int layer, QImage* tile);
    void assemble(quint32 x, quint32 y, quint8 z, LayerTiles* tiles);
    void dropPendingTile(const QString& id);

    mutable QRecursiveMutex m_sourcesLock;
    QList<Layer> m_layers;
    QHash<QString, LayerTiles*> m_pendingTiles;
    // Cache IDs of m_pendingTiles, oldest first.
    QList<QString> m_pendingOrder;
};
