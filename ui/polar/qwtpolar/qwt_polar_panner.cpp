#include "ui/polar/qwtpolar/qwt_polar_panner.h"

#include "ui/polar/qwtpolar/qwt_polar_canvas.h"
#include "ui/polar/qwtpolar/qwt_polar_plot.h"

QwtPolarPanner::QwtPolarPanner(QwtPolarCanvas* canvas) : QwtPanner(canvas)
{
    connect(this, &QwtPanner::panned, this, &QwtPolarPanner::movePlot);
}

void QwtPolarPanner::movePlot(int dx, int dy)
{
    auto* canvas = qobject_cast<QwtPolarCanvas*>(parentWidget());
    if (canvas == nullptr || (dx == 0 && dy == 0))
        return;
    QwtPolarPlot* plot = canvas->plot();
    if (plot->zoomFactor() >= 1.0)
        return; // an unzoomed plot shows everything already
    const QPointF centre = plot->transform(plot->zoomPos());
    plot->zoom(plot->invTransform(centre - QPointF(dx, dy)), plot->zoomFactor());
}
