#include "ui/polar/qwtpolar/qwt_polar_grid.h"

#include "ui/polar/qwtpolar/qwt_polar_plot.h"

#include <QPainter>
#include <QPalette>
#include <cmath>
#include <qwt_round_scale_draw.h>
#include <qwt_scale_div.h>
#include <qwt_scale_draw.h>
#include <qwt_scale_map.h>

namespace {
constexpr double RadToDeg = 180.0 / M_PI;

QPointF polarPoint(const QPointF& pole, double radius, double angle)
{
    return pole + QPointF(radius * std::cos(angle), -radius * std::sin(angle));
}

QPalette axisPalette(const QPen& pen)
{
    QPalette palette;
    palette.setColor(QPalette::WindowText, pen.color());
    palette.setColor(QPalette::Text, pen.color());
    return palette;
}
} // namespace

QwtPolarGrid::QwtPolarGrid()
    : azimuthDraw(std::make_unique<QwtRoundScaleDraw>()), radialDraw(std::make_unique<QwtScaleDraw>())
{
    setPen(QPen(Qt::black));
    axes[QwtPolar::AxisAzimuth].visible = true;
    axes[QwtPolar::AxisRight].visible = true;
    setZ(10);
}

QwtPolarGrid::~QwtPolarGrid() = default;

void QwtPolarGrid::setPen(const QPen& pen)
{
    for (GridData& grid : grids) {
        grid.majorPen = pen;
        grid.minorPen = pen;
    }
    for (AxisData& axis : axes)
        axis.pen = pen;
    itemChanged();
}

void QwtPolarGrid::setMinorGridPen(const QPen& pen)
{
    for (GridData& grid : grids)
        grid.minorPen = pen;
    itemChanged();
}

void QwtPolarGrid::setAxisPen(int axisId, const QPen& pen)
{
    if (axisId < 0 || axisId >= QwtPolar::AxesCount)
        return;
    axes[axisId].pen = pen;
    itemChanged();
}

void QwtPolarGrid::showGrid(int scaleId, bool show)
{
    if (scaleId < 0 || scaleId >= QwtPolar::ScaleCount)
        return;
    grids[scaleId].major = show;
    itemChanged();
}

void QwtPolarGrid::showMinorGrid(int scaleId, bool show)
{
    if (scaleId < 0 || scaleId >= QwtPolar::ScaleCount)
        return;
    grids[scaleId].minor = show;
    itemChanged();
}

void QwtPolarGrid::showAxis(int axisId, bool show)
{
    if (axisId < 0 || axisId >= QwtPolar::AxesCount)
        return;
    axes[axisId].visible = show;
    itemChanged();
}

bool QwtPolarGrid::isAxisVisible(int axisId) const
{
    return axisId >= 0 && axisId < QwtPolar::AxesCount && axes[axisId].visible;
}

void QwtPolarGrid::setAzimuthScaleDraw(QwtRoundScaleDraw* scaleDraw)
{
    if (scaleDraw == nullptr)
        return;
    azimuthDraw.reset(scaleDraw);
    itemChanged();
}

void QwtPolarGrid::draw(QPainter* painter, const QwtScaleMap& azimuthMap, const QwtScaleMap& radialMap,
                        const QPointF& pole, double radius, const QRectF&) const
{
    if (plot() == nullptr)
        return;
    painter->setRenderHint(QPainter::Antialiasing, true);
    drawCircles(painter, *plot()->scaleDiv(QwtPolar::ScaleRadius), radialMap, pole, radius);
    drawRays(painter, *plot()->scaleDiv(QwtPolar::ScaleAzimuth), azimuthMap, pole, radius);
    if (axes[QwtPolar::AxisAzimuth].visible)
        drawAzimuthAxis(painter, azimuthMap, pole, radius);
    for (int axisId : {QwtPolar::AxisLeft, QwtPolar::AxisRight, QwtPolar::AxisTop, QwtPolar::AxisBottom})
        if (axes[axisId].visible)
            drawRadialAxis(painter, axisId, pole, radius);
}

void QwtPolarGrid::drawCircles(QPainter* painter, const QwtScaleDiv& div, const QwtScaleMap& radialMap,
                               const QPointF& pole, double radius) const
{
    const GridData& grid = grids[QwtPolar::ScaleRadius];
    auto circles = [&](QwtScaleDiv::TickType type, const QPen& pen) {
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        for (double value : div.ticks(type)) {
            const double r = radialMap.transform(value);
            if (r > 0 && r <= radius + 0.5)
                painter->drawEllipse(pole, r, r);
        }
    };
    if (grid.minor) {
        circles(QwtScaleDiv::MinorTick, grid.minorPen);
        circles(QwtScaleDiv::MediumTick, grid.minorPen);
    }
    if (grid.major)
        circles(QwtScaleDiv::MajorTick, grid.majorPen);
}

void QwtPolarGrid::drawRays(QPainter* painter, const QwtScaleDiv& div, const QwtScaleMap& azimuthMap,
                            const QPointF& pole, double radius) const
{
    const GridData& grid = grids[QwtPolar::ScaleAzimuth];
    auto rays = [&](QwtScaleDiv::TickType type, const QPen& pen) {
        painter->setPen(pen);
        for (double value : div.ticks(type))
            painter->drawLine(pole, polarPoint(pole, radius, azimuthMap.transform(value)));
    };
    if (grid.minor) {
        rays(QwtScaleDiv::MinorTick, grid.minorPen);
        rays(QwtScaleDiv::MediumTick, grid.minorPen);
    }
    if (grid.major)
        rays(QwtScaleDiv::MajorTick, grid.majorPen);
}

void QwtPolarGrid::drawAzimuthAxis(QPainter* painter, const QwtScaleMap& azimuthMap, const QPointF& pole,
                                   double radius) const
{
    const QPen& pen = axes[QwtPolar::AxisAzimuth].pen;
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawEllipse(pole, radius, radius);

    // The round scale counts degrees clockwise from 12 o'clock; the map gives radians
    // counter-clockwise from 3 o'clock.
    azimuthDraw->setScaleDiv(*plot()->scaleDiv(QwtPolar::ScaleAzimuth));
    azimuthDraw->setRadius(radius);
    azimuthDraw->moveCenter(pole);
    azimuthDraw->setAngleRange(90.0 - azimuthMap.p1() * RadToDeg, 90.0 - azimuthMap.p2() * RadToDeg);
    azimuthDraw->enableComponent(QwtAbstractScaleDraw::Backbone, false);
    azimuthDraw->draw(painter, axisPalette(pen));
}

void QwtPolarGrid::drawRadialAxis(QPainter* painter, int axisId, const QPointF& pole, double radius) const
{
    // A horizontal scale runs left to right from where it is moved to, a vertical one
    // bottom to top: the left and bottom axes invert the radial scale so that every
    // axis reads 0 at the pole.
    const QwtScaleDiv& div = *plot()->scaleDiv(QwtPolar::ScaleRadius);
    const bool horizontal = axisId == QwtPolar::AxisLeft || axisId == QwtPolar::AxisRight;
    const bool inverted = axisId == QwtPolar::AxisLeft || axisId == QwtPolar::AxisBottom;
    radialDraw->setAlignment(horizontal ? QwtScaleDraw::BottomScale : QwtScaleDraw::LeftScale);
    radialDraw->setScaleDiv(inverted ? div.inverted() : div);
    if (axisId == QwtPolar::AxisLeft)
        radialDraw->move(pole.x() - radius, pole.y());
    else if (axisId == QwtPolar::AxisTop)
        radialDraw->move(pole.x(), pole.y() - radius);
    else
        radialDraw->move(pole);
    radialDraw->setLength(radius);
    const QPen& pen = axes[axisId].pen;
    painter->setPen(pen);
    radialDraw->draw(painter, axisPalette(pen));
}
