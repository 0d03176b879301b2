#include "MapGraphicsObject.h"

#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QTimer>

namespace {
// How long after construction the setters defer their signals.
constexpr int ConstructionMs = 1;
} // namespace

MapGraphicsObject::MapGraphicsObject(bool sizeIsZoomInvariant, MapGraphicsObject* parent)
    : m_sizeIsZoomInvariant(sizeIsZoomInvariant), m_parent(parent)
{
    // Both timers have the object as context: nothing fires after its deletion.
    QTimer::singleShot(ConstructionMs, this, &MapGraphicsObject::parentChanged);
    QTimer::singleShot(ConstructionMs, this, &MapGraphicsObject::setConstructed);
}

MapGraphicsObject::~MapGraphicsObject() = default;

bool MapGraphicsObject::contains(const QPointF& geoPos) const
{
    return boundingRect().contains(geoPos);
}

void MapGraphicsObject::setEnabled(bool enabled)
{
    m_enabled = enabled;
    emitOrDefer(&MapGraphicsObject::enabledChanged);
}

void MapGraphicsObject::setOpacity(qreal opacity)
{
    m_opacity = opacity;
    emitOrDefer(&MapGraphicsObject::opacityChanged);
}

void MapGraphicsObject::setParent(MapGraphicsObject* parent)
{
    m_parent = parent;
    emitOrDefer(&MapGraphicsObject::parentChanged);
}

void MapGraphicsObject::setPos(const QPointF& lonLat)
{
    m_pos = lonLat;
    emitOrDefer(&MapGraphicsObject::posChanged);
}

void MapGraphicsObject::setLongitude(qreal longitude)
{
    setPos(QPointF(longitude, m_pos.y()));
}

void MapGraphicsObject::setLatitude(qreal latitude)
{
    setPos(QPointF(m_pos.x(), latitude));
}

void MapGraphicsObject::setRotation(qreal rotation)
{
    if (rotation == m_rotation)
        return;
    m_rotation = rotation;
    emitOrDefer(&MapGraphicsObject::rotationChanged);
}

void MapGraphicsObject::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    emitOrDefer(&MapGraphicsObject::visibleChanged);
}

void MapGraphicsObject::setZValue(qreal zValue)
{
    m_zValue = zValue;
    emitOrDefer(&MapGraphicsObject::zValueChanged);
}

void MapGraphicsObject::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    if (!m_constructed) {
        // Selection during construction is no click: no SIG_isSelected.
        emitOrDefer(&MapGraphicsObject::selectedChanged);
        return;
    }
    emit selectedChanged();
    if (selected)
        emit SIG_isSelected();
}

void MapGraphicsObject::setToolTip(const QString& toolTip)
{
    m_toolTip = toolTip;
    emit toolTipChanged(toolTip);
}

void MapGraphicsObject::setFlag(int flag, bool on)
{
    if (on)
        m_flags |= flag;
    else
        m_flags &= ~flag;
    emit flagsChanged();
}

void MapGraphicsObject::setFlags(int flags)
{
    m_flags = flags;
    emitOrDefer(&MapGraphicsObject::flagsChanged);
}

void MapGraphicsObject::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    event->ignore();
}

QVariant MapGraphicsObject::itemChange(int change, const QVariant& value)
{
    Q_UNUSED(change);
    return value;
}

void MapGraphicsObject::keyPressEvent(QKeyEvent* event)
{
    event->ignore();
}

void MapGraphicsObject::keyReleaseEvent(QKeyEvent* event)
{
    event->ignore();
}

void MapGraphicsObject::mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event)
{
    event->ignore();
}

void MapGraphicsObject::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    event->ignore();
}

void MapGraphicsObject::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    if (m_flags & (MapObjectMovable | MapObjectSelectable)) {
        event->accept();
        if (m_flags & MapObjectFocusable)
            emit keyFocusRequested();
    } else {
        event->ignore();
    }
}

void MapGraphicsObject::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    event->ignore();
}

void MapGraphicsObject::wheelEvent(QGraphicsSceneWheelEvent* event)
{
    event->ignore();
}

void MapGraphicsObject::setConstructed()
{
    m_constructed = true;
}

void MapGraphicsObject::emitOrDefer(void (MapGraphicsObject::*signal)())
{
    if (m_constructed)
        (this->*signal)();
    else
        QTimer::singleShot(ConstructionMs, this, signal);
}
