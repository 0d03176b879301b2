#include "ui/polar/qwtpolar/qwt_polar_picker.h"

#include "ui/polar/qwtpolar/qwt_polar_canvas.h"
#include "ui/polar/qwtpolar/qwt_polar_plot.h"

QwtPolarPicker::QwtPolarPicker(QwtPolarCanvas* canvas) : QwtPicker(canvas) {}

QwtPolarPlot* QwtPolarPicker::plot() const
{
    auto* canvas = qobject_cast<const QwtPolarCanvas*>(parentWidget());
    return canvas != nullptr ? canvas->plot() : nullptr;
}

QwtPointPolar QwtPolarPicker::invTransform(const QPoint& pos) const
{
    const QwtPolarPlot* owner = plot();
    return owner != nullptr ? owner->invTransform(pos) : QwtPointPolar();
}

QwtText QwtPolarPicker::trackerText(const QPoint& pos) const
{
    return trackerTextPolar(invTransform(pos));
}

QwtText QwtPolarPicker::trackerTextPolar(const QwtPointPolar& pos) const
{
    return QwtText(QString::number(pos.radius(), 'f', 4) + QStringLiteral(", ") +
                   QString::number(pos.azimuth(), 'f', 4));
}
