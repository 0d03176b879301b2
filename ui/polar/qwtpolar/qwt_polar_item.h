#pragma once

#include <QPointF>
#include <QRectF>

class QPainter;
class QwtPolarPlot;
class QwtScaleMap;

// Something drawn on a polar plot. The plot owns the items attached to it and
// draws them in increasing z order.
class QwtPolarItem
{
public:
    QwtPolarItem() = default;
    virtual ~QwtPolarItem();
    QwtPolarItem(const QwtPolarItem&) = delete;
    QwtPolarItem& operator=(const QwtPolarItem&) = delete;

    void attach(QwtPolarPlot* plot);
    void detach();
    QwtPolarPlot* plot() const { return attachedTo; }

    void setZ(double z);
    double z() const { return zValue; }

    // azimuthMap: scale value to radians (counter-clockwise from the x axis);
    // radialMap: scale value to pixels from the pole.
    virtual void draw(QPainter* painter, const QwtScaleMap& azimuthMap, const QwtScaleMap& radialMap,
                      const QPointF& pole, double radius, const QRectF& canvasRect) const = 0;

protected:
    // Replots the plot when it replots automatically.
    void itemChanged();

private:
    QwtPolarPlot* attachedTo = nullptr;
    double zValue = 0;
};
