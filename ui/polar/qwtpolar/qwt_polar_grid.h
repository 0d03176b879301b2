#pragma once

#include "ui/polar/qwtpolar/qwt_polar.h"
#include "ui/polar/qwtpolar/qwt_polar_item.h"

#include <QPen>
#include <memory>

class QwtRoundScaleDraw;
class QwtScaleDraw;
class QwtScaleDiv;

// Circles and rays at the scale ticks of a polar plot, the azimuth scale around
// the rim and radial scales from the pole.
class QwtPolarGrid : public QwtPolarItem
{
public:
    QwtPolarGrid();
    ~QwtPolarGrid() override;

    // Every grid line and axis.
    void setPen(const QPen& pen);
    void setMinorGridPen(const QPen& pen);
    void setAxisPen(int axisId, const QPen& pen);
    void showGrid(int scaleId, bool show = true);
    void showMinorGrid(int scaleId, bool show = true);
    void showAxis(int axisId, bool show = true);
    bool isAxisVisible(int axisId) const;
    // Takes ownership.
    void setAzimuthScaleDraw(QwtRoundScaleDraw* scaleDraw);
    const QwtRoundScaleDraw* azimuthScaleDraw() const { return azimuthDraw.get(); }

    void draw(QPainter* painter, const QwtScaleMap& azimuthMap, const QwtScaleMap& radialMap,
              const QPointF& pole, double radius, const QRectF& canvasRect) const override;

private:
    struct GridData
    {
        bool major = true;
        bool minor = false;
        QPen majorPen;
        QPen minorPen;
    };
    struct AxisData
    {
        bool visible = false;
        QPen pen;
    };

    void drawCircles(QPainter* painter, const QwtScaleDiv& div, const QwtScaleMap& radialMap,
                     const QPointF& pole, double radius) const;
    void drawRays(QPainter* painter, const QwtScaleDiv& div, const QwtScaleMap& azimuthMap,
                  const QPointF& pole, double radius) const;
    void drawAzimuthAxis(QPainter* painter, const QwtScaleMap& azimuthMap, const QPointF& pole,
                         double radius) const;
    void drawRadialAxis(QPainter* painter, int axisId, const QPointF& pole, double radius) const;

    GridData grids[QwtPolar::ScaleCount];
    AxisData axes[QwtPolar::AxesCount];
    std::unique_ptr<QwtRoundScaleDraw> azimuthDraw;
    std::unique_ptr<QwtScaleDraw> radialDraw;
};
