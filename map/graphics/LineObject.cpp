#include "LineObject.h"

#include "map/geo/GeoConversions.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr qreal MaxThickness = 5.0;
// Half the smallest extent, in metres.
constexpr qreal SmallestHalfExtent = 5.0;

qreal clampThickness(qreal thickness)
{
    return std::clamp(thickness, 0.0, MaxThickness);
}
} // namespace

LineObject::LineObject(const Position& endA, const Position& endB, qreal thickness, MapGraphicsObject* parent)
    : MapGraphicsObject(false, parent), m_a(endA), m_b(endB), m_thickness(clampThickness(thickness))
{
    updatePositionFromEndPoints();
}

QRectF LineObject::boundingRect() const
{
    const double meanLatitude = (m_a.latitude() + m_b.latitude()) * 0.5;
    const double halfWidth =
        std::abs(m_a.longitude() - m_b.longitude()) / GeoConversions::lonDegreesPerMetre(meanLatitude);
    const double halfHeight =
        std::abs(m_a.latitude() - m_b.latitude()) / GeoConversions::latDegreesPerMetre(meanLatitude);
    const double w = std::max(halfWidth, SmallestHalfExtent);
    const double h = std::max(halfHeight, SmallestHalfExtent);
    return QRectF(-w, -h, 2 * w, 2 * h);
}

void LineObject::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const double meanLatitude = (m_a.latitude() + m_b.latitude()) * 0.5;
    const double lonPerMetre = GeoConversions::lonDegreesPerMetre(meanLatitude);
    const double latPerMetre = GeoConversions::latDegreesPerMetre(meanLatitude);
    const QPointF centre = pos();
    painter->setRenderHint(QPainter::Antialiasing, true);
    QPen pen = painter->pen();
    pen.setWidthF(m_thickness);
    painter->setPen(pen);
    painter->drawLine(
        QPointF((m_a.longitude() - centre.x()) / lonPerMetre, (m_a.latitude() - centre.y()) / latPerMetre),
        QPointF((m_b.longitude() - centre.x()) / lonPerMetre, (m_b.latitude() - centre.y()) / latPerMetre));
}

void LineObject::setThickness(qreal thickness)
{
    m_thickness = clampThickness(thickness);
    emit redrawRequested();
}

void LineObject::setEndPointA(const Position& pos)
{
    m_a = pos;
    updatePositionFromEndPoints();
    emit redrawRequested();
}

void LineObject::setEndPointB(const Position& pos)
{
    m_b = pos;
    updatePositionFromEndPoints();
    emit redrawRequested();
}

void LineObject::setEndPoints(const Position& a, const Position& b)
{
    m_a = a;
    m_b = b;
    updatePositionFromEndPoints();
    emit redrawRequested();
}

void LineObject::updatePositionFromEndPoints()
{
    setPos(QPointF((m_a.longitude() + m_b.longitude()) * 0.5, (m_a.latitude() + m_b.latitude()) * 0.5));
}
