#pragma once

#include "ui/polar/qwtpolar/qwt_polar.h"

#include <QBrush>
#include <QFrame>
#include <QList>
#include <qwt_point_polar.h>
#include <qwt_scale_div.h>
#include <qwt_scale_map.h>

class QwtPolarCanvas;
class QwtPolarItem;

// A polar plot: a square plot area centred in its canvas, an azimuth scale mapped
// counter-clockwise over [origin, origin + 2 pi] and a radial scale from the pole
// to the rim. Attached items are drawn in z order and deleted with the plot.
class QwtPolarPlot : public QFrame
{
    Q_OBJECT

public:
    explicit QwtPolarPlot(QWidget* parent = nullptr);
    ~QwtPolarPlot() override;

    void setAutoReplot(bool on) { autoReplotOn = on; }
    bool autoReplot() const { return autoReplotOn; }
    void replot();

    void setPlotBackground(const QBrush& brush);
    const QBrush& plotBackground() const { return background; }

    // Radians, counter-clockwise from the x axis: where the azimuth scale starts.
    void setAzimuthOrigin(double origin);
    double azimuthOrigin() const { return origin; }

    // A step of 0 lets the scale engine choose.
    void setScale(int scaleId, double min, double max, double step = 0);
    void setScaleMaxMinor(int scaleId, int maxMinor);
    void setScaleMaxMajor(int scaleId, int maxMajor);
    const QwtScaleDiv* scaleDiv(int scaleId) const;
    // The scale's map for the canvas as it is now.
    QwtScaleMap scaleMap(int scaleId) const;

    QwtPolarCanvas* canvas() const { return plotCanvas; }

    // A zoom factor below 1 magnifies around zoomPos, which then sits at the centre;
    // 1 or more is no zoom.
    void zoom(const QwtPointPolar& zoomPos, double zoomFactor);
    void unzoom();
    QwtPointPolar zoomPos() const { return zoomCentre; }
    double zoomFactor() const { return zoomFactorValue; }

    // The plot circle's bounding square in canvas coordinates, zoom applied.
    QRectF plotRect() const;
    QPointF transform(const QwtPointPolar& pos) const;
    QwtPointPolar invTransform(const QPointF& canvasPos) const;

    // Paints the plot area and the items; called by the canvas.
    void drawCanvas(QPainter* painter, const QRectF& canvasRect) const;

private:
    friend class QwtPolarItem;
    void attachItem(QwtPolarItem* item, bool on);
    void updateScale(int scaleId);
    // The plot circle without zoom.
    QRectF unzoomedRect() const;
    QwtScaleMap mapFor(int scaleId, const QRectF& rect) const;

    struct ScaleData
    {
        double min = 0;
        double max = 1000;
        double step = 0;
        int maxMajor = 8;
        int maxMinor = 5;
        QwtScaleDiv div;
    };

    bool autoReplotOn = false;
    QBrush background{Qt::white};
    double origin = 0;
    ScaleData scales[QwtPolar::ScaleCount];
    QwtPolarCanvas* plotCanvas = nullptr;
    QList<QwtPolarItem*> items; // in increasing z
    QwtPointPolar zoomCentre;
    double zoomFactorValue = 1.0;
};
