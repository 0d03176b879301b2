#include "ui/polar/qwtpolar/qwt_polar_canvas.h"

#include "ui/polar/qwtpolar/qwt_polar_plot.h"

#include <QPainter>

QwtPolarCanvas::QwtPolarCanvas(QwtPolarPlot* plot) : QFrame(plot), owner(plot)
{
    setAutoFillBackground(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::WheelFocus);
}

void QwtPolarCanvas::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    owner->drawCanvas(&painter, contentsRect());
}
