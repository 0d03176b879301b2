#include "scripting/JFigure.h"

#include <QDebug>
#include <QPen>
#include <QVector>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>

#include <cmath>

JFigure::JFigure(QWidget* parent) : QwtPlot(parent)
{
    setAutoFillBackground(true);
    setCanvasBackground(QBrush(Qt::darkBlue));
    setAxisScale(QwtPlot::xBottom, 0, 1);
    setAxisScale(QwtPlot::yLeft, 0, 1);
    auto* grid = new QwtPlotGrid();
    grid->enableXMin(true);
    grid->enableYMin(true);
    grid->attach(this);
    setAutoReplot(true);
}

void JFigure::plot(const double* vals, int count)
{
    qDebug() << "JFigure::plot param length=" << count;
    const QColor color = curveColors[nextColor];
    nextColor = (nextColor + 1) % 3;
    setAutoReplot(false);

    auto* curve = new QwtPlotCurve(QString());
    curve->setRenderHint(QwtPlotItem::RenderAntialiased);
    curve->setPen(QPen(color, 1, Qt::SolidLine));
    curve->setZ(90);
    curve->setYAxis(QwtPlot::yLeft);

    QVector<double> x(count);
    QVector<double> y(count);
    // The left axis spans the finite values only: a NaN or an infinity from a
    // script would make a scale Qwt cannot divide.
    double minimum = 0;
    double maximum = 0;
    bool any = false;
    for (int i = 0; i < count; ++i) {
        x[i] = i;
        y[i] = vals[i];
        if (!std::isfinite(vals[i]))
            continue;
        minimum = any ? std::min(minimum, vals[i]) : vals[i];
        maximum = any ? std::max(maximum, vals[i]) : vals[i];
        any = true;
    }
    curve->setSamples(x, y);
    curve->attach(this);

    setAutoReplot(true);
    setAxisScale(QwtPlot::xBottom, 0, count);
    setAxisScale(QwtPlot::yLeft, minimum, maximum);
    replot();
    qDebug() << "JFigure::plot" << minimum << maximum << count;
}
