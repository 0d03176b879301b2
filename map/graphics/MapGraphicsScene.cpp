#include "MapGraphicsScene.h"

#include "MapGraphicsObject.h"

MapGraphicsScene::MapGraphicsScene(QObject* parent) : QObject(parent) {}

MapGraphicsScene::~MapGraphicsScene()
{
    const QSet<MapGraphicsObject*> objects = m_objects;
    for (MapGraphicsObject* object : objects)
        removeObject(object);
}

void MapGraphicsScene::addObject(MapGraphicsObject* object)
{
    if (object == nullptr)
        return;
    connect(object, &MapGraphicsObject::newObjectGenerated, this,
            &MapGraphicsScene::handleNewObjectGenerated);
    connect(object, &QObject::destroyed, this, &MapGraphicsScene::handleObjectDestroyed);
    m_objects.insert(object);
    emit objectAdded(object);
}

void MapGraphicsScene::removeObject(MapGraphicsObject* object)
{
    m_objects.remove(object);
    emit objectRemoved(object);
}

void MapGraphicsScene::handleNewObjectGenerated(MapGraphicsObject* newObject)
{
    addObject(newObject);
}

void MapGraphicsScene::handleObjectDestroyed(QObject* object)
{
    // Only the address is used: the object is half destroyed, so no cast that
    // reads its dynamic type. QObject is MapGraphicsObject's one base, at offset 0.
    removeObject(reinterpret_cast<MapGraphicsObject*>(object));
}
