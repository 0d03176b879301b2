#pragma once

#include <QObject>
#include <QSet>

class MapGraphicsObject;

// The set of map objects one map shows. It owns none of them: an object leaves
// the scene when it is removed or destroyed, and a scene that goes leaves its
// objects alive (announcing objectRemoved for each).
class MapGraphicsScene : public QObject
{
    Q_OBJECT

public:
    explicit MapGraphicsScene(QObject* parent = nullptr);
    ~MapGraphicsScene() override;

    // Adds a non-null object (without checking whether it is already there).
    void addObject(MapGraphicsObject* object);
    // Takes the object out when present; objectRemoved is emitted in every case.
    void removeObject(MapGraphicsObject* object);

signals:
    void objectAdded(MapGraphicsObject* object);
    void objectRemoved(MapGraphicsObject* object);

private slots:
    void handleNewObjectGenerated(MapGraphicsObject* newObject);
    // The object is half destroyed: only its address is used.
    void handleObjectDestroyed(QObject* object);

private:
    QSet<MapGraphicsObject*> m_objects;
};
