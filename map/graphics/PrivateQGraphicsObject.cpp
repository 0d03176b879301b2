#include "PrivateQGraphicsObject.h"

#include "MapGraphicsObject.h"
#include "PrivateQGraphicsInfoSource.h"
#include "map/geo/GeoConversions.h"
#include "map/tiles/MapTileSource.h"

#include <QGraphicsSceneEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QtDebug>

namespace {
constexpr qreal ProxyZValue = 5.0;
const QRectF NoRect(-1, -1, 2, 2);
} // namespace

PrivateQGraphicsObject::PrivateQGraphicsObject(MapGraphicsObject* object,
                                               PrivateQGraphicsInfoSource* infoSource, QGraphicsItem* parent)
    : QGraphicsObject(parent), m_infoSource(infoSource)
{
    setMapGraphicsObject(object);
    setZValue(ProxyZValue);
    setFlag(ItemSendsGeometryChanges, true);
}

QRectF PrivateQGraphicsObject::boundingRect() const
{
    if (m_object.isNull()) {
        qWarning() << "Warning:" << this << "could not get bounding rect as MapGraphicsObject is null";
        return NoRect;
    }
    const QRectF extent = m_object->boundingRect();
    if (m_object->sizeIsZoomInvariant())
        return extent;

    // Metres east and north around the object, to scene pixels at the zoom.
    const Position centre(m_object->pos(), 0.0);
    const double leftLongitude = GeoConversions::enuToLla(extent.x(), 0, 0, centre).longitude();
    const double edgeLatitude = GeoConversions::enuToLla(0, extent.y(), 0, centre).latitude();
    const QSharedPointer<MapTileSource> source = m_infoSource->tileSource();
    if (source.isNull()) {
        qWarning() << this << "can't do bounding box conversion, null tile source.";
        return NoRect;
    }
    const quint8 zoom = m_infoSource->zoomLevel();
    const QPointF a = source->geoToScene(QPointF(leftLongitude, edgeLatitude), zoom);
    const QPointF b = source->geoToScene(QPointF(leftLongitude + 2 * (centre.longitude() - leftLongitude),
                                                 edgeLatitude + 2 * (edgeLatitude - centre.latitude())),
                                         zoom);
    const qreal width = b.x() - a.x();
    const qreal height = b.y() - a.y();
    return QRectF(-width / 2, -height / 2, width, height);
}

bool PrivateQGraphicsObject::contains(const QPointF& point) const
{
    if (m_object.isNull())
        return false;
    const QSharedPointer<MapTileSource> source = m_infoSource->tileSource();
    if (source.isNull()) {
        qWarning() << this << "can't do bounding box conversion, null tile source.";
        return false;
    }
    return m_object->contains(source->sceneToGeo(mapToScene(point), m_infoSource->zoomLevel()));
}

void PrivateQGraphicsObject::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    if (m_object.isNull()) {
        qWarning() << this << "could not paint as our MapGraphicsObject is null";
        return;
    }
    painter->save();
    // The object's y axis points north, up the screen.
    painter->scale(1.0, -1.0);
    bool paintable = true;
    if (!m_object->sizeIsZoomInvariant()) {
        const QRectF itemRect = boundingRect();
        const QRectF objectRect = m_object->boundingRect();
        // An object without extent has nothing to scale into the scene.
        paintable = objectRect.width() != 0.0 && objectRect.height() != 0.0;
        if (paintable)
            painter->scale(itemRect.width() / objectRect.width(), itemRect.height() / objectRect.height());
    }
    if (paintable)
        m_object->paint(painter, option, widget);
    painter->restore();
    if (isSelected())
        painter->drawRect(boundingRect());
}

void PrivateQGraphicsObject::setMapGraphicsObject(MapGraphicsObject* object)
{
    m_object = object;
    if (object == nullptr)
        return;
    connect(object, &MapGraphicsObject::enabledChanged, this, &PrivateQGraphicsObject::handleEnabledChanged);
    connect(object, &MapGraphicsObject::opacityChanged, this, &PrivateQGraphicsObject::handleOpacityChanged);
    connect(object, &MapGraphicsObject::parentChanged, this, &PrivateQGraphicsObject::handleParentChanged);
    connect(object, &MapGraphicsObject::posChanged, this, &PrivateQGraphicsObject::handlePosChanged);
    connect(object, &MapGraphicsObject::rotationChanged, this,
            &PrivateQGraphicsObject::handleRotationChanged);
    connect(object, &MapGraphicsObject::visibleChanged, this, &PrivateQGraphicsObject::handleVisibleChanged);
    connect(object, &MapGraphicsObject::zValueChanged, this, &PrivateQGraphicsObject::handleZValueChanged);
    connect(object, &MapGraphicsObject::selectedChanged, this,
            &PrivateQGraphicsObject::handleMGSelectedChanged);
    connect(object, &MapGraphicsObject::toolTipChanged, this,
            &PrivateQGraphicsObject::handleMGToolTipChanged);
    connect(object, &MapGraphicsObject::flagsChanged, this, &PrivateQGraphicsObject::handleMGFlagsChanged);
    connect(object, &MapGraphicsObject::keyFocusRequested, this,
            &PrivateQGraphicsObject::handleKeyFocusRequested);
    connect(object, &MapGraphicsObject::redrawRequested, this,
            &PrivateQGraphicsObject::handleRedrawRequested);
    updateAllFromMG();
    connect(object, &QObject::destroyed, this, &QObject::deleteLater);
}

void PrivateQGraphicsObject::setSelected(bool selected)
{
    QGraphicsObject::setSelected(selected);
    if (!m_object.isNull())
        m_object->setSelected(isSelected());
}

void PrivateQGraphicsObject::handleZoomLevelChanged()
{
    // A metre-sized object changes its pixel size with the zoom.
    prepareGeometryChange();
    handlePosChanged();
}

template <typename Event, typename ItemHandler>
void PrivateQGraphicsObject::forward(Event* event, void (MapGraphicsObject::*objectHandler)(Event*),
                                     ItemHandler itemHandler)
{
    if (m_object.isNull())
        return;
    const QSharedPointer<MapTileSource> source = m_infoSource->tileSource();
    if (!source.isNull()) {
        const QPointF scenePos = event->scenePos();
        event->setScenePos(source->sceneToGeo(scenePos, m_infoSource->zoomLevel()));
        (m_object.data()->*objectHandler)(event);
        event->setScenePos(scenePos);
        if (event->isAccepted())
            return;
    }
    itemHandler(event);
}

void PrivateQGraphicsObject::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    forward(event, &MapGraphicsObject::contextMenuEvent,
            [this](QGraphicsSceneContextMenuEvent* e) { QGraphicsObject::contextMenuEvent(e); });
}

QVariant PrivateQGraphicsObject::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (m_object.isNull())
        return value;
    if (change == ItemPositionChange) {
        // Moved with the mouse: the object follows in geographic terms.
        const QSharedPointer<MapTileSource> source = m_infoSource->tileSource();
        if (!source.isNull()) {
            const QPointF geo = source->sceneToGeo(value.toPointF(), m_infoSource->zoomLevel());
            setFlag(ItemSendsGeometryChanges, false);
            m_object->setPos(geo);
            setFlag(ItemSendsGeometryChanges, true);
        }
    }
    return m_object->itemChange(int(change), value);
}

void PrivateQGraphicsObject::keyPressEvent(QKeyEvent* event)
{
    if (m_object.isNull())
        return;
    m_object->keyPressEvent(event);
    if (!event->isAccepted())
        QGraphicsObject::keyPressEvent(event);
}

void PrivateQGraphicsObject::keyReleaseEvent(QKeyEvent* event)
{
    if (m_object.isNull())
        return;
    m_object->keyReleaseEvent(event);
    if (!event->isAccepted())
        QGraphicsObject::keyReleaseEvent(event);
}

void PrivateQGraphicsObject::mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event)
{
    forward(event, &MapGraphicsObject::mouseDoubleClickEvent,
            [this](QGraphicsSceneMouseEvent* e) { QGraphicsObject::mouseDoubleClickEvent(e); });
}

void PrivateQGraphicsObject::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    forward(event, &MapGraphicsObject::mouseMoveEvent,
            [this](QGraphicsSceneMouseEvent* e) { QGraphicsObject::mouseMoveEvent(e); });
}

void PrivateQGraphicsObject::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    forward(event, &MapGraphicsObject::mousePressEvent,
            [this](QGraphicsSceneMouseEvent* e) { QGraphicsObject::mousePressEvent(e); });
}

void PrivateQGraphicsObject::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    forward(event, &MapGraphicsObject::mouseReleaseEvent,
            [this](QGraphicsSceneMouseEvent* e) { QGraphicsObject::mouseReleaseEvent(e); });
}

void PrivateQGraphicsObject::wheelEvent(QGraphicsSceneWheelEvent* event)
{
    forward(event, &MapGraphicsObject::wheelEvent,
            [this](QGraphicsSceneWheelEvent* e) { QGraphicsObject::wheelEvent(e); });
}

void PrivateQGraphicsObject::handleEnabledChanged()
{
    setEnabled(m_object->enabled());
}

void PrivateQGraphicsObject::handleOpacityChanged()
{
    setOpacity(m_object->opacity());
}

void PrivateQGraphicsObject::handleParentChanged() {}

void PrivateQGraphicsObject::handlePosChanged()
{
    const QSharedPointer<MapTileSource> source = m_infoSource->tileSource();
    if (source.isNull() || m_object.isNull())
        return;
    // Not back through itemChange: the object already has this position.
    setFlag(ItemSendsGeometryChanges, false);
    setPos(source->geoToScene(m_object->pos(), m_infoSource->zoomLevel()));
    setFlag(ItemSendsGeometryChanges, true);
}

void PrivateQGraphicsObject::handleRotationChanged()
{
    setRotation(m_object->rotation());
}

void PrivateQGraphicsObject::handleVisibleChanged()
{
    setVisible(m_object->isVisible());
}

void PrivateQGraphicsObject::handleZValueChanged()
{
    setZValue(m_object->zValue());
}

void PrivateQGraphicsObject::handleMGSelectedChanged()
{
    if (m_object->isSelected() == isSelected())
        return;
    setSelected(m_object->isSelected());
    // An item that cannot be selected leaves its object unselected too.
    m_object->m_selected = isSelected();
    update();
}

void PrivateQGraphicsObject::handleMGToolTipChanged(const QString& toolTip)
{
    setToolTip(toolTip);
}

void PrivateQGraphicsObject::handleMGFlagsChanged()
{
    const int flags = m_object->flags();
    setFlag(ItemIsMovable, flags & MapGraphicsObject::MapObjectMovable);
    setFlag(ItemIsSelectable, flags & MapGraphicsObject::MapObjectSelectable);
    setFlag(ItemIsFocusable, flags & MapGraphicsObject::MapObjectFocusable);
}

void PrivateQGraphicsObject::updateAllFromMG()
{
    if (m_object.isNull())
        return;
    handleEnabledChanged();
    handleOpacityChanged();
    handlePosChanged();
    handleRotationChanged();
    handleVisibleChanged();
    handleZValueChanged();
    handleMGSelectedChanged();
    handleMGFlagsChanged();
    handleMGToolTipChanged(m_object->toolTip());
}

void PrivateQGraphicsObject::handleRedrawRequested()
{
    // The drawing may have changed its extent as well.
    prepareGeometryChange();
    update();
}

void PrivateQGraphicsObject::handleKeyFocusRequested()
{
    setFocus(Qt::OtherFocusReason);
}
