#include "DataPlot.h"

#include "RollingHistory.h"

#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_scale_div.h>

#include <algorithm>
#include <cmath>

namespace {

QwtPlotCurve* makeCurve(QwtPlot* plot, double z)
{
    auto* curve = new QwtPlotCurve();
    curve->setRenderHint(QwtPlotItem::RenderAntialiased);
    curve->setPen(QPen(Qt::yellow));
    curve->setYAxis(QwtPlot::yLeft);
    curve->setZ(z);
    curve->attach(plot);
    return curve;
}

} // namespace

DataPlot::DataPlot(QWidget* parent, bool withGrid) : QwtPlot(parent)
{
    setAutoFillBackground(true);
    setAxisScale(QwtPlot::xBottom, 0, 1000);
    if (withGrid) {
        auto* grid = new QwtPlotGrid();
        grid->enableXMin(true);
        grid->attach(this);
    }
    setAxisMaxMajor(QwtPlot::xBottom, 6);
    setAxisMaxMinor(QwtPlot::xBottom, 10);
    setCanvasBackground(QColor(Qt::darkBlue));

    m_posCurve = makeCurve(this, 90);
    m_negCurve = makeCurve(this, 91);
    m_mainCurve = makeCurve(this, 92);
    for (int i = 0; i < Length; ++i)
        m_x[i] = i;
    setAxisScale(QwtPlot::xBottom, 0, Length);
    m_mainCurve->setRawSamples(m_x, m_y, Length);
    m_posCurve->setRawSamples(m_x, m_y, Length);
    m_negCurve->setRawSamples(m_x, m_mirror, Length);
    m_posCurve->hide();
    m_negCurve->hide();
    setAutoReplot(true);
}

void DataPlot::setMode(int mode)
{
    const bool wasAuto = autoReplot();
    setAutoReplot(false);
    m_mode = mode;
    switch (mode) {
    case 0:
    case 2:
        m_posCurve->hide();
        m_negCurve->hide();
        m_mainCurve->show();
        break;
    case 1:
        m_posCurve->setStyle(QwtPlotCurve::Sticks);
        m_negCurve->setStyle(QwtPlotCurve::Sticks);
        m_posCurve->show();
        m_negCurve->show();
        m_mainCurve->hide();
        break;
    case 3:
        std::fill(m_y, m_y + Length, -100.0);
        m_resetHistory = true;
        m_posCurve->hide();
        m_negCurve->hide();
        m_mainCurve->show();
        break;
    default:
        break;
    }
    setAutoReplot(wasAuto);
    replot();
}

void DataPlot::SLOT_newData()
{
    if (m_data != nullptr)
        updateData(m_data, Length);
}

void DataPlot::updateData(const Complex* samples, int n)
{
    n = std::min(n, int(Length));
    if (n <= 0)
        return;
    setAxisScale(QwtPlot::xBottom, 0, Length);
    switch (m_mode) {
    case 0:
        showInPhase(samples, n);
        break;
    case 1:
        showEnvelope(samples, n);
        break;
    case 2:
        showPhase(samples, n);
        break;
    case 3:
        showLevel(samples, n);
        break;
    default:
        return;
    }
    replot();
}

void DataPlot::showInPhase(const Complex* samples, int n)
{
    double minimum = samples[0].real();
    double maximum = minimum;
    for (int i = 0; i < n; ++i) {
        m_y[i] = samples[i].real();
        m_mirror[i] = 0;
        minimum = std::min(minimum, m_y[i]);
        maximum = std::max(maximum, m_y[i]);
    }
    if (m_autoScale) {
        const double last = samples[n - 1].real();
        m_low = std::min({0.1 * minimum + 0.9 * m_low, -1e-4, last});
        m_high = std::max({0.1 * maximum + 0.9 * m_high, 1e-4, last});
        setAxisScale(QwtPlot::yLeft, m_low, m_high);
    }
    m_mainCurve->setRawSamples(m_x, m_y, Length);
}

void DataPlot::showEnvelope(const Complex* samples, int n)
{
    double maximum = 0;
    for (int i = 0; i < n; ++i) {
        m_y[i] = std::abs(samples[i]);
        m_mirror[i] = -m_y[i];
        maximum = std::max(maximum, m_y[i]);
    }
    if (m_autoScale) {
        m_low = std::min(0.9 * m_low - 0.1 * maximum, -1e-4);
        m_high = std::max({0.1 * maximum + 0.9 * m_high, 1e-4, m_y[n - 1]});
        setAxisScale(QwtPlot::yLeft, m_low, m_high);
    }
    m_posCurve->setRawSamples(m_x, m_y, Length);
    m_negCurve->setRawSamples(m_x, m_mirror, Length);
}

void DataPlot::showPhase(const Complex* samples, int n)
{
    // The argument of the sample: a sample on the positive real axis is at 0 degrees.
    setAxisScale(QwtPlot::yLeft, -180, 180);
    for (int i = 0; i < n; ++i) {
        m_y[i] = std::atan2(samples[i].imag(), samples[i].real()) * 180.0 / M_PI;
        m_mirror[i] = 0;
    }
    m_mainCurve->setRawSamples(m_x, m_y, Length);
}

void DataPlot::showLevel(const Complex* samples, int n)
{
    double power = 0;
    for (int i = 0; i < n; ++i)
        power += std::norm(samples[i]);
    power /= n;
    double level = 20.0 * std::log10(std::sqrt(power));
    if (!std::isfinite(level) || level < FloorDb)
        level = FloorDb;
    if (m_resetHistory) {
        std::fill(m_y, m_y + Length, level);
        m_resetHistory = false;
    }
    double minimum = 200;
    double maximum = -200;
    rollLeft(m_y, Length, minimum, maximum);
    m_y[Length - 1] = level;
    setAxisScale(QwtPlot::yLeft, minimum, maximum);
    m_mainCurve->setRawSamples(m_x, m_y, Length);
}
