#include "ui/polar/qwtpolar/qwt_polar_magnifier.h"

#include "ui/polar/qwtpolar/qwt_polar_canvas.h"
#include "ui/polar/qwtpolar/qwt_polar_plot.h"

#include <QKeyEvent>
#include <cmath>

QwtPolarMagnifier::QwtPolarMagnifier(QwtPolarCanvas* canvas) : QwtMagnifier(canvas) {}

void QwtPolarMagnifier::rescale(double factor)
{
    auto* canvas = qobject_cast<QwtPolarCanvas*>(parentWidget());
    if (canvas == nullptr || !(factor > 0) || !std::isfinite(factor))
        return;
    QwtPolarPlot* plot = canvas->plot();
    plot->zoom(plot->zoomPos(), plot->zoomFactor() * factor);
}

void QwtPolarMagnifier::widgetKeyPressEvent(QKeyEvent* event)
{
    auto* canvas = qobject_cast<QwtPolarCanvas*>(parentWidget());
    if (canvas != nullptr && event->key() == Qt::Key_Home && event->modifiers() == Qt::NoModifier) {
        canvas->plot()->unzoom();
        return;
    }
    QwtMagnifier::widgetKeyPressEvent(event);
}
