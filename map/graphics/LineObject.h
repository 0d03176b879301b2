#pragma once

#include "MapGraphicsObject.h"
#include "map/geo/Position.h"

// A line between two geographic points, its thickness (0 to 5) in metres. The
// object sits at the midpoint of its end points.
class LineObject : public MapGraphicsObject
{
    Q_OBJECT

public:
    LineObject(const Position& endA, const Position& endB, qreal thickness = 0.0,
               MapGraphicsObject* parent = nullptr);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget = nullptr) override;

    qreal thickness() const { return m_thickness; }
    void setThickness(qreal thickness);

public slots:
    void setEndPointA(const Position& pos);
    void setEndPointB(const Position& pos);
    void setEndPoints(const Position& a, const Position& b);

private slots:
    void updatePositionFromEndPoints();

private:
    Position m_a;
    Position m_b;
    qreal m_thickness;
};
