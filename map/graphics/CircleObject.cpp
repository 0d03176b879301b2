#include "CircleObject.h"

#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

namespace {
constexpr qreal SmallestRadius = 0.01;
} // namespace

CircleObject::CircleObject(qreal radius, bool sizeIsZoomInvariant, QColor fillColor,
                           MapGraphicsObject* parent)
    : MapGraphicsObject(sizeIsZoomInvariant, parent), m_radius(std::max(SmallestRadius, radius)),
      m_fillColor(fillColor)
{
    setFlag(MapObjectSelectable, true);
    setFlag(MapObjectMovable, true);
    setFlag(MapObjectFocusable, true);
}

QRectF CircleObject::boundingRect() const
{
    return QRectF(-m_radius, -m_radius, 2 * m_radius, 2 * m_radius);
}

void CircleObject::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(m_fillColor);
    painter->drawEllipse(boundingRect());
}

void CircleObject::setRadius(qreal radius)
{
    m_radius = radius;
    emit redrawRequested();
}

void CircleObject::keyReleaseEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Delete)) {
        deleteLater();
        event->accept();
    } else {
        event->ignore();
    }
}
