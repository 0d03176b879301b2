#include "PolygonObject.h"

#include "CircleObject.h"
#include "map/geo/GeoConversions.h"

#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QtDebug>

#include <cmath>

namespace {
constexpr qreal EditCircleRadius = 8;
constexpr qreal AddVertexCircleRadius = 3;
constexpr double SamePointDegrees = 1e-12;

bool samePoint(const QPointF& a, const QPointF& b)
{
    return std::abs(a.x() - b.x()) <= SamePointDegrees && std::abs(a.y() - b.y()) <= SamePointDegrees;
}

bool samePolygon(const QPolygonF& a, const QPolygonF& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (!samePoint(a.at(i), b.at(i)))
            return false;
    }
    return true;
}
} // namespace

PolygonObject::PolygonObject(const QPolygonF& geoPoly, const QColor& fillColor, MapGraphicsObject* parent)
    : MapGraphicsObject(false, parent), m_geoPoly(geoPoly), m_fillColor(fillColor)
{
    setFlag(MapObjectMovable, true);
    setFlag(MapObjectSelectable, false);
    setFlag(MapObjectFocusable, true);
    setPos(boundsCentre());
}

PolygonObject::~PolygonObject()
{
    dropHandles();
}

QRectF PolygonObject::boundingRect() const
{
    const QRectF bounds = m_geoPoly.boundingRect();
    const Position centre(boundsCentre(), 0.0);
    // Metres east and north of the centre; y grows to the north.
    const QVector3D southWest = GeoConversions::llaToEnu(Position(bounds.left(), bounds.top(), 0.0), centre);
    const QVector3D northEast =
        GeoConversions::llaToEnu(Position(bounds.right(), bounds.bottom(), 0.0), centre);
    return QRectF(southWest.x(), southWest.y(), northEast.x() - southWest.x(), northEast.y() - southWest.y());
}

bool PolygonObject::contains(const QPointF& geoPos) const
{
    return m_geoPoly.containsPoint(geoPos, Qt::OddEvenFill);
}

void PolygonObject::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const Position centre(boundsCentre(), 0.0);
    QPolygonF enuPoly;
    for (const QPointF& geo : qAsConst(m_geoPoly)) {
        const QVector3D enu = GeoConversions::llaToEnu(Position(geo, 0.0), centre);
        enuPoly << QPointF(enu.x(), enu.y());
    }
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(m_fillColor);
    painter->drawPolygon(enuPoly, Qt::OddEvenFill);

    if (m_editCircles.isEmpty() && !m_geoPoly.isEmpty()) {
        for (int i = 0; i < m_geoPoly.size(); ++i) {
            m_editCircles.append(makeEditCircle(corner(i)));
            m_addVertexCircles.append(makeAddVertexCircle(edgeMiddle(i)));
        }
    }
}

void PolygonObject::setPos(const QPointF& newPos)
{
    if (samePoint(newPos, boundsCentre())) {
        MapGraphicsObject::setPos(newPos);
        return;
    }
    const QPointF delta = newPos - pos();
    if (m_editCircles.isEmpty()) {
        // No handles yet (never painted): the corners move themselves.
        m_geoPoly.translate(delta);
    } else {
        // Each handle moves its corner (handleEditCirclePosChanged).
        for (MapGraphicsObject* circle : qAsConst(m_editCircles))
            circle->setPos(circle->pos() + delta);
        placeAddVertexCircles();
    }
    MapGraphicsObject::setPos(newPos);
}

void PolygonObject::setGeoPoly(const QPolygonF& newPoly)
{
    if (samePolygon(newPoly, m_geoPoly))
        return;
    m_geoPoly = newPoly;
    // The next painting makes handles for the new corners.
    dropHandles();
    setPos(boundsCentre());
    emit polygonChanged(newPoly);
}

void PolygonObject::setFillColor(const QColor& color)
{
    if (color == m_fillColor)
        return;
    m_fillColor = color;
    emit redrawRequested();
}

void PolygonObject::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    if (contains(event->scenePos()))
        MapGraphicsObject::mousePressEvent(event);
    else
        event->ignore();
}

void PolygonObject::keyReleaseEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Delete)) {
        deleteLater();
        event->accept();
    } else {
        event->ignore();
    }
}

void PolygonObject::handleEditCirclePosChanged()
{
    MapGraphicsObject* circle = qobject_cast<MapGraphicsObject*>(sender());
    if (circle == nullptr)
        return;
    const int index = m_editCircles.indexOf(circle);
    if (index < 0)
        return;
    m_geoPoly[index] = circle->pos();
    setPos(boundsCentre());
    placeAddVertexCircles();
    emit polygonChanged(m_geoPoly);
}

void PolygonObject::handleAddVertexCircleSelected()
{
    MapGraphicsObject* circle = qobject_cast<MapGraphicsObject*>(sender());
    if (circle == nullptr || !circle->isSelected())
        return;
    circle->setSelected(false);
    const QPointF position = circle->pos();
    const int index = m_addVertexCircles.indexOf(circle);
    if (index < 0)
        return;
    // The new corner lies on an edge: the polygon's position stays.
    m_geoPoly.insert(index + 1, position);
    MapGraphicsObject* editCircle = makeEditCircle(position);
    m_editCircles.insert(index + 1, editCircle);
    editCircle->setSelected(true);
    m_addVertexCircles.insert(index + 1, makeAddVertexCircle((corner(index + 1) + corner(index)) / 2.0));
    placeAddVertexCircles();
    emit polygonChanged(m_geoPoly);
}

void PolygonObject::handleEditCircleDestroyed()
{
    QObject* dying = sender();
    if (dying == nullptr) {
        qWarning() << "Can't process desyroyed edit circle. Sender is null";
        return;
    }
    // Compared by address: the circle is half destroyed.
    int index = -1;
    for (int i = 0; i < m_editCircles.size(); ++i) {
        if (static_cast<QObject*>(m_editCircles.at(i)) == dying)
            index = i;
    }
    if (index < 0) {
        qWarning() << "Can't process destroyed edit circle. Not contained in edit circle list";
        return;
    }
    m_geoPoly.remove(index);
    m_editCircles.removeAt(index);
    m_addVertexCircles.takeAt(index)->deleteLater();
    placeAddVertexCircles();
    emit redrawRequested();
    setPos(boundsCentre());
}

QPointF PolygonObject::corner(int index) const
{
    return m_geoPoly.at(index % m_geoPoly.size());
}

QPointF PolygonObject::edgeMiddle(int index) const
{
    return (corner(index) + corner(index + 1)) / 2.0;
}

QPointF PolygonObject::boundsCentre() const
{
    return m_geoPoly.boundingRect().center();
}

MapGraphicsObject* PolygonObject::makeEditCircle(const QPointF& position)
{
    CircleObject* circle = new CircleObject(EditCircleRadius, true, QColor(0, 0, 0, 0));
    circle->setPos(position);
    connect(circle, &MapGraphicsObject::posChanged, this, &PolygonObject::handleEditCirclePosChanged);
    connect(circle, &QObject::destroyed, this, &PolygonObject::handleEditCircleDestroyed);
    emit newObjectGenerated(circle);
    return circle;
}

MapGraphicsObject* PolygonObject::makeAddVertexCircle(const QPointF& position)
{
    CircleObject* circle = new CircleObject(AddVertexCircleRadius, true, QColor(100, 100, 100, 255));
    circle->setFlag(MapObjectMovable, false);
    circle->setToolTip("Single-click (don't drag!) to add vertex.");
    circle->setPos(position);
    connect(circle, &MapGraphicsObject::selectedChanged, this, &PolygonObject::handleAddVertexCircleSelected);
    emit newObjectGenerated(circle);
    return circle;
}

void PolygonObject::placeAddVertexCircles()
{
    for (int i = 0; i < m_addVertexCircles.size(); ++i)
        m_addVertexCircles.at(i)->setPos(edgeMiddle(i));
}

void PolygonObject::dropHandles()
{
    for (MapGraphicsObject* circle : qAsConst(m_editCircles)) {
        disconnect(circle, &MapGraphicsObject::posChanged, this, &PolygonObject::handleEditCirclePosChanged);
        disconnect(circle, &QObject::destroyed, this, &PolygonObject::handleEditCircleDestroyed);
        circle->deleteLater();
    }
    for (MapGraphicsObject* circle : qAsConst(m_addVertexCircles)) {
        disconnect(circle, &MapGraphicsObject::selectedChanged, this,
                   &PolygonObject::handleAddVertexCircleSelected);
        circle->deleteLater();
    }
    m_editCircles.clear();
    m_addVertexCircles.clear();
}
