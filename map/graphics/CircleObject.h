#pragma once

#include "MapGraphicsObject.h"

#include <QColor>

// A filled circle on the map, in metres or, zoom-invariant, in pixels.
// Selectable, movable and focusable; the Delete key deletes it (later).
class CircleObject : public MapGraphicsObject
{
    Q_OBJECT

public:
    // The radius is at least 0.01.
    explicit CircleObject(qreal radius, bool sizeIsZoomInvariant = true,
                          QColor fillColor = QColor(0, 0, 0, 0), MapGraphicsObject* parent = nullptr);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget = nullptr) override;

    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    qreal m_radius;
    QColor m_fillColor;
};
