#pragma once

#include <QGraphicsScene>
#include <QHash>
#include <QList>
#include <QPointer>

class MapGraphicsObject;
class MapGraphicsScene;
class PrivateQGraphicsInfoSource;
class PrivateQGraphicsObject;

// The Qt graphics scene that mirrors one map scene: a proxy item for every map
// object added after it was made, deleted as the object goes. Selecting items
// keeps only the newly selected ones selected.
class PrivateQGraphicsScene : public QGraphicsScene
{
    Q_OBJECT
    // The view drives the zoom handling.
    friend class MapGraphicsView;

public:
    PrivateQGraphicsScene(MapGraphicsScene* mapScene, PrivateQGraphicsInfoSource* infoSource,
                          QObject* parent = nullptr);

    void setMapGraphicsScene(MapGraphicsScene* mapScene);

private slots:
    void handleMGObjectAdded(MapGraphicsObject* object);
    void handleMGObjectRemoved(MapGraphicsObject* object);
    void handleZoomLevelChanged();
    void handleSelectionChanged();

private:
    QPointer<MapGraphicsScene> m_mapScene;
    PrivateQGraphicsInfoSource* m_infoSource;
    QHash<MapGraphicsObject*, PrivateQGraphicsObject*> m_proxies;
    QList<QGraphicsItem*> m_lastSelection;
};
