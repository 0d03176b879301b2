#include "PrivateQGraphicsScene.h"

#include "MapGraphicsObject.h"
#include "MapGraphicsScene.h"
#include "PrivateQGraphicsObject.h"

#include <QSet>
#include <QtDebug>

PrivateQGraphicsScene::PrivateQGraphicsScene(MapGraphicsScene* mapScene,
                                             PrivateQGraphicsInfoSource* infoSource, QObject* parent)
    : QGraphicsScene(parent), m_infoSource(infoSource)
{
    setMapGraphicsScene(mapScene);
    connect(this, &QGraphicsScene::selectionChanged, this, &PrivateQGraphicsScene::handleSelectionChanged);
}

void PrivateQGraphicsScene::setMapGraphicsScene(MapGraphicsScene* mapScene)
{
    m_mapScene = mapScene;
    if (mapScene == nullptr) {
        qWarning() << this << "got a null MapGraphicsScene";
        return;
    }
    connect(mapScene, &MapGraphicsScene::objectAdded, this, &PrivateQGraphicsScene::handleMGObjectAdded);
    connect(mapScene, &MapGraphicsScene::objectRemoved, this, &PrivateQGraphicsScene::handleMGObjectRemoved);
}

void PrivateQGraphicsScene::handleMGObjectAdded(MapGraphicsObject* object)
{
    PrivateQGraphicsObject* proxy = new PrivateQGraphicsObject(object, m_infoSource);
    addItem(proxy);
    m_proxies.insert(object, proxy);
}

void PrivateQGraphicsScene::handleMGObjectRemoved(MapGraphicsObject* object)
{
    PrivateQGraphicsObject* proxy = m_proxies.take(object);
    if (proxy == nullptr) {
        qWarning() << "There is no QGraphicsObject in the scene for" << static_cast<const void*>(object);
        return;
    }
    m_lastSelection.removeAll(proxy);
    delete proxy;
}

void PrivateQGraphicsScene::handleZoomLevelChanged()
{
    for (PrivateQGraphicsObject* proxy : qAsConst(m_proxies))
        proxy->handleZoomLevelChanged();
}

void PrivateQGraphicsScene::handleSelectionChanged()
{
    const QList<QGraphicsItem*> selected = selectedItems();
    const QSet<QGraphicsItem*> nowSelected(selected.cbegin(), selected.cend());
    const QSet<QGraphicsItem*> before(m_lastSelection.cbegin(), m_lastSelection.cend());
    QList<QGraphicsItem*> kept;
    // Only the items newly added to the selection stay selected.
    for (PrivateQGraphicsObject* proxy : qAsConst(m_proxies)) {
        if (nowSelected.contains(proxy) && !before.contains(proxy)) {
            proxy->setSelected(true);
            kept.append(proxy);
        } else {
            proxy->setSelected(false);
        }
    }
    if (kept != m_lastSelection)
        m_lastSelection = kept;
}
