#pragma once

#include <QGraphicsObject>
#include <QPointer>

class MapGraphicsObject;
class PrivateQGraphicsInfoSource;
class QGraphicsSceneMouseEvent;

// The graphics item of one map object: follows the object's properties,
// converts between geographic and scene positions through the view's tile
// source, paints the object flipped (north up) and, for an object sized in
// metres, scaled to the zoom, and hands input events on to the object with the
// pointer's longitude and latitude as their scene position.
class PrivateQGraphicsObject : public QGraphicsObject
{
    Q_OBJECT

public:
    PrivateQGraphicsObject(MapGraphicsObject* object, PrivateQGraphicsInfoSource* infoSource,
                           QGraphicsItem* parent = nullptr);

    QRectF boundingRect() const override;
    bool contains(const QPointF& point) const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget = nullptr) override;

    void setMapGraphicsObject(MapGraphicsObject* object);
    // Selects the item, then gives the map object the item's resulting state.
    void setSelected(bool selected);

public slots:
    void handleZoomLevelChanged();

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void wheelEvent(QGraphicsSceneWheelEvent* event) override;

private slots:
    void handleEnabledChanged();
    void handleOpacityChanged();
    void handleParentChanged();
    void handlePosChanged();
    void handleRotationChanged();
    void handleVisibleChanged();
    void handleZValueChanged();
    void handleMGSelectedChanged();
    void handleMGToolTipChanged(const QString& toolTip);
    void handleMGFlagsChanged();
    void updateAllFromMG();
    void handleRedrawRequested();
    void handleKeyFocusRequested();

private:
    // Hands a scene event to the object's handler with the pointer's longitude
    // and latitude as its scene position, puts the position back, and runs the
    // item's own handling when the object left the event unaccepted. Without a
    // tile source nothing can be converted: only the item's own handling runs.
    template <typename Event, typename ItemHandler>
    void forward(Event* event, void (MapGraphicsObject::*objectHandler)(Event*), ItemHandler itemHandler);

    QPointer<MapGraphicsObject> m_object;
    PrivateQGraphicsInfoSource* m_infoSource;
};
