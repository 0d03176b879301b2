#include "ui/polar/qwtpolar/qwt_polar_plot.h"

#include "ui/polar/qwtpolar/qwt_polar_canvas.h"
#include "ui/polar/qwtpolar/qwt_polar_item.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <qwt_scale_engine.h>

namespace {
constexpr double TwoPi = 2 * M_PI;
constexpr int LabelMargin = 36; // pixels around the plot circle for the azimuth labels
} // namespace

QwtPolarPlot::QwtPolarPlot(QWidget* parent) : QFrame(parent)
{
    plotCanvas = new QwtPolarCanvas(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plotCanvas);
    setScale(QwtPolar::ScaleAzimuth, 0, TwoPi);
    setScale(QwtPolar::ScaleRadius, 0, 1000);
}

QwtPolarPlot::~QwtPolarPlot()
{
    // The items belong to the plot; each one detaches itself as it goes.
    while (!items.isEmpty())
        delete items.first();
}

void QwtPolarPlot::replot()
{
    plotCanvas->update();
}

void QwtPolarPlot::setPlotBackground(const QBrush& brush)
{
    background = brush;
    if (autoReplotOn)
        replot();
}

void QwtPolarPlot::setAzimuthOrigin(double newOrigin)
{
    origin = std::fmod(newOrigin, TwoPi);
    if (autoReplotOn)
        replot();
}

void QwtPolarPlot::setScale(int scaleId, double min, double max, double step)
{
    if (scaleId < 0 || scaleId >= QwtPolar::ScaleCount)
        return;
    scales[scaleId].min = min;
    scales[scaleId].max = max;
    scales[scaleId].step = step;
    updateScale(scaleId);
}

void QwtPolarPlot::setScaleMaxMinor(int scaleId, int maxMinor)
{
    if (scaleId < 0 || scaleId >= QwtPolar::ScaleCount)
        return;
    scales[scaleId].maxMinor = std::clamp(maxMinor, 0, 100);
    updateScale(scaleId);
}

void QwtPolarPlot::setScaleMaxMajor(int scaleId, int maxMajor)
{
    if (scaleId < 0 || scaleId >= QwtPolar::ScaleCount)
        return;
    scales[scaleId].maxMajor = std::clamp(maxMajor, 1, 10000);
    updateScale(scaleId);
}

void QwtPolarPlot::updateScale(int scaleId)
{
    ScaleData& scale = scales[scaleId];
    QwtLinearScaleEngine engine;
    scale.div = engine.divideScale(scale.min, scale.max, scale.maxMajor, scale.maxMinor, scale.step);
    if (autoReplotOn)
        replot();
}

const QwtScaleDiv* QwtPolarPlot::scaleDiv(int scaleId) const
{
    if (scaleId < 0 || scaleId >= QwtPolar::ScaleCount)
        return nullptr;
    return &scales[scaleId].div;
}

QwtScaleMap QwtPolarPlot::scaleMap(int scaleId) const
{
    return mapFor(scaleId, plotRect());
}

QwtScaleMap QwtPolarPlot::mapFor(int scaleId, const QRectF& rect) const
{
    QwtScaleMap map;
    if (scaleId == QwtPolar::ScaleAzimuth) {
        const QwtScaleDiv& div = scales[QwtPolar::ScaleAzimuth].div;
        map.setScaleInterval(div.lowerBound(), div.upperBound());
        map.setPaintInterval(origin, origin + TwoPi);
    } else {
        const QwtScaleDiv& div = scales[QwtPolar::ScaleRadius].div;
        map.setScaleInterval(div.lowerBound(), div.upperBound());
        map.setPaintInterval(0, rect.width() / 2);
    }
    return map;
}

void QwtPolarPlot::zoom(const QwtPointPolar& pos, double factor)
{
    factor = std::fabs(factor);
    if (!(factor < 1.0) || factor == 0) {
        unzoom();
        return;
    }
    zoomCentre = pos;
    zoomFactorValue = factor;
    replot();
}

void QwtPolarPlot::unzoom()
{
    zoomCentre = QwtPointPolar();
    zoomFactorValue = 1.0;
    replot();
}

QRectF QwtPolarPlot::unzoomedRect() const
{
    const QRectF area = plotCanvas->contentsRect();
    const double radius = std::max(0.0, std::min(area.width(), area.height()) / 2 - LabelMargin);
    return QRectF(area.center().x() - radius, area.center().y() - radius, 2 * radius, 2 * radius);
}

QRectF QwtPolarPlot::plotRect() const
{
    const QRectF plain = unzoomedRect();
    if (zoomFactorValue >= 1.0)
        return plain;
    const double radius = plain.width() / 2 / zoomFactorValue;
    QRectF zoomed(0, 0, 2 * radius, 2 * radius);
    // The zoom position comes to the centre of the plain plot circle.
    const QwtScaleMap azimuthMap = mapFor(QwtPolar::ScaleAzimuth, zoomed);
    const QwtScaleMap radialMap = mapFor(QwtPolar::ScaleRadius, zoomed);
    const double a = azimuthMap.transform(zoomCentre.azimuth());
    const double r = radialMap.transform(zoomCentre.radius());
    const QPointF pole = plain.center() - QPointF(r * std::cos(a), -r * std::sin(a));
    zoomed.moveCenter(pole);
    return zoomed;
}

QPointF QwtPolarPlot::transform(const QwtPointPolar& pos) const
{
    const QRectF rect = plotRect();
    const double a = mapFor(QwtPolar::ScaleAzimuth, rect).transform(pos.azimuth());
    const double r = mapFor(QwtPolar::ScaleRadius, rect).transform(pos.radius());
    return rect.center() + QPointF(r * std::cos(a), -r * std::sin(a));
}

QwtPointPolar QwtPolarPlot::invTransform(const QPointF& canvasPos) const
{
    const QRectF rect = plotRect();
    const QwtScaleMap azimuthMap = mapFor(QwtPolar::ScaleAzimuth, rect);
    const QPointF d = canvasPos - rect.center();
    double a = std::atan2(-d.y(), d.x());
    // Into the azimuth paint interval [origin, origin + 2 pi).
    const double low = std::min(azimuthMap.p1(), azimuthMap.p2());
    a = low + std::fmod(std::fmod(a - low, TwoPi) + TwoPi, TwoPi);
    const double radius = mapFor(QwtPolar::ScaleRadius, rect).invTransform(std::hypot(d.x(), d.y()));
    return QwtPointPolar(azimuthMap.invTransform(a), radius);
}

void QwtPolarPlot::drawCanvas(QPainter* painter, const QRectF& canvasRect) const
{
    const QRectF rect = plotRect();
    if (rect.width() <= 0)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    QPainterPath circle;
    circle.addEllipse(rect);
    painter->fillPath(circle, background);
    painter->restore();

    const QwtScaleMap azimuthMap = mapFor(QwtPolar::ScaleAzimuth, rect);
    const QwtScaleMap radialMap = mapFor(QwtPolar::ScaleRadius, rect);
    for (const QwtPolarItem* item : items) {
        painter->save();
        item->draw(painter, azimuthMap, radialMap, rect.center(), rect.width() / 2, canvasRect);
        painter->restore();
    }
}

void QwtPolarPlot::attachItem(QwtPolarItem* item, bool on)
{
    items.removeAll(item);
    if (on) {
        auto at = std::upper_bound(items.begin(), items.end(), item->z(),
                                   [](double z, const QwtPolarItem* other) { return z < other->z(); });
        items.insert(at, item);
    }
    if (autoReplotOn)
        replot();
}
