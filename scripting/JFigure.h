#pragma once

#include <QColor>
#include <qwt_plot.h>

// The plot of a figure window. Every plot adds a curve, in yellow, red, green
// and again yellow; the axes follow the last curve.
class JFigure : public QwtPlot
{
    Q_OBJECT
public:
    explicit JFigure(QWidget* parent = nullptr);

    // Draws vals[0 .. count-1] against 0 .. count-1 (the curve keeps a copy).
    void plot(const double* vals, int count);

private:
    const QColor curveColors[3] = {QColor(Qt::yellow), QColor(Qt::red), QColor(Qt::green)};
    int nextColor = 0;
};
