#pragma once

#include "MapGraphicsObject.h"

#include <QColor>
#include <QList>
#include <QPolygonF>

// A filled polygon of geographic corners (longitude, latitude) that the user
// edits with the mouse: a handle on every corner to drag it (Delete removes
// the corner) and a small handle on every edge to click for a new corner. The
// handles are map objects of their own, made by the first painting and
// announced with newObjectGenerated so the scene shows them. The object sits
// at the centre of the corners' bounding rectangle; moving it moves the corners.
class PolygonObject : public MapGraphicsObject
{
    Q_OBJECT

public:
    explicit PolygonObject(const QPolygonF& geoPoly, const QColor& fillColor = QColor(200, 200, 200, 200),
                           MapGraphicsObject* parent = nullptr);
    ~PolygonObject() override;

    QRectF boundingRect() const override;
    // Inside the corners, by the odd-even rule.
    bool contains(const QPointF& geoPos) const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget = nullptr) override;
    void setPos(const QPointF& newPos) override;

    QPolygonF geoPoly() const { return m_geoPoly; }
    virtual void setGeoPoly(const QPolygonF& newPoly);
    void setFillColor(const QColor& color);

signals:
    void polygonChanged(const QPolygonF& poly);

protected:
    // Taken only inside the polygon itself, not in the rest of its rectangle.
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    // Delete removes the whole polygon (later).
    void keyReleaseEvent(QKeyEvent* event) override;

private slots:
    void handleEditCirclePosChanged();
    void handleAddVertexCircleSelected();
    void handleEditCircleDestroyed();

private:
    QPointF corner(int index) const;
    QPointF edgeMiddle(int index) const;
    QPointF boundsCentre() const;
    // A new handle, connected and announced.
    MapGraphicsObject* makeEditCircle(const QPointF& position);
    MapGraphicsObject* makeAddVertexCircle(const QPointF& position);
    void placeAddVertexCircles();
    void dropHandles();

    QPolygonF m_geoPoly;
    QColor m_fillColor;
    QList<MapGraphicsObject*> m_editCircles;
    QList<MapGraphicsObject*> m_addVertexCircles;
};
