#pragma once

#include "ui/polar/qwtpolar/qwt_polar_item.h"

#include <memory>
#include <qwt_point_polar.h>
#include <qwt_text.h>

class QwtSymbol;

// A symbol with a label at one polar position.
class QwtPolarMarker : public QwtPolarItem
{
public:
    QwtPolarMarker();
    ~QwtPolarMarker() override;

    void setPosition(const QwtPointPolar& pos);
    QwtPointPolar position() const { return pos; }
    // Takes ownership.
    void setSymbol(const QwtSymbol* symbol);
    const QwtSymbol* symbol() const { return markerSymbol.get(); }
    void setLabel(const QwtText& label);
    QwtText label() const { return text; }
    // Where the label sits around the symbol.
    void setLabelAlignment(Qt::Alignment alignment);

    void draw(QPainter* painter, const QwtScaleMap& azimuthMap, const QwtScaleMap& radialMap,
              const QPointF& pole, double radius, const QRectF& canvasRect) const override;

private:
    QwtPointPolar pos;
    std::unique_ptr<const QwtSymbol> markerSymbol;
    QwtText text;
    Qt::Alignment alignment = Qt::AlignCenter;
};
