#include "ui/scanner/SpectrumPlot.h"

#include <QMutexLocker>
#include <QPen>
#include <qwt_picker_machine.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_marker.h>
#include <qwt_plot_picker.h>
#include <qwt_symbol.h>

namespace {
constexpr int InitialCount = 2048;
constexpr double LowestBottom = -120.0; // dB: the y axis never reaches below it
const QColor PeakColour(200, 150, 0);
const QColor ChannelLineColour(200, 10, 10);

QwtPlotMarker* channelLine(const QString& label)
{
    auto* marker = new QwtPlotMarker();
    marker->setLineStyle(QwtPlotMarker::VLine);
    marker->setLinePen(QPen(ChannelLineColour, 0, Qt::DashLine));
    marker->setLabel(QwtText(label));
    marker->setLabelOrientation(Qt::Vertical);
    marker->setLabelAlignment(Qt::AlignLeft | Qt::AlignBottom);
    marker->setXValue(0);
    return marker;
}
} // namespace

SpectrumPlot::SpectrumPlot(QWidget* parent, bool withGrid) : QwtPlot(parent)
{
    setAutoFillBackground(true);
    canvas()->setPalette(QPalette(Qt::darkBlue));
    canvas()->setAutoFillBackground(true);
    setAxisMaxMajor(QwtPlot::xBottom, 6);
    setAxisMaxMinor(QwtPlot::xBottom, 10);
    showFrequencies();
    setAxisScale(QwtPlot::yLeft, yMin, yMax);

    if (withGrid) {
        auto* grid = new QwtPlotGrid();
        grid->setMajorPen(QPen(Qt::gray, 0, Qt::DotLine));
        grid->attach(this);
    }

    levelCurve = new QwtPlotCurve(QStringLiteral("Amplitude"));
    levelCurve->setPen(QPen(Qt::yellow));
    levelCurve->setRenderHint(QwtPlotItem::RenderAntialiased, true);
    levelCurve->setZ(90);
    levelCurve->attach(this);

    maxCurve = new QwtPlotCurve(QStringLiteral("Max"));
    maxCurve->setPen(QPen(Qt::white));
    maxCurve->setRenderHint(QwtPlotItem::RenderAntialiased, true);
    maxCurve->setZ(95);
    maxCurve->attach(this);

    peakMarker = new QwtPlotMarker();
    peakMarker->setLineStyle(QwtPlotMarker::HLine);
    peakMarker->setLinePen(QPen(PeakColour, 0, Qt::DashDotLine, Qt::SquareCap, Qt::BevelJoin));
    peakMarker->setSymbol(
        new QwtSymbol(QwtSymbol::Diamond, QBrush(Qt::yellow), QPen(Qt::green), QSize(7, 7)));
    peakMarker->setLabelAlignment(Qt::AlignRight | Qt::AlignBottom);
    peakMarker->attach(this);

    markerA = channelLine(QStringLiteral("RX A"));
    markerA->attach(this);
    markerB = channelLine(QStringLiteral("RX B"));
    markerB->attach(this);

    picker = new QwtPlotPicker(QwtPlot::xBottom, QwtPlot::yLeft, QwtPicker::CrossRubberBand,
                               QwtPicker::AlwaysOn, canvas());
    picker->setStateMachine(new QwtPickerClickPointMachine());
    picker->setRubberBandPen(QColor(Qt::green));
    picker->setTrackerPen(QColor(Qt::white));
    connect(picker, QOverload<const QPointF&>::of(&QwtPlotPicker::selected), this,
            &SpectrumPlot::SLOT_selected);

    resize(InitialCount);
}

void SpectrumPlot::resize(int n)
{
    count = n;
    levels.assign(n, 0.0);
    maxHold.assign(n, HoldFloor);
    xValues.assign(n, 0.0);
}

void SpectrumPlot::setSpectrum(qint64 centreHz, const double* values, int n, double spanHz)
{
    if (values == nullptr || n <= 0)
        return;
    double peakLevel = HoldFloor;
    double peakX = 0;
    double frameMin = 200;
    {
        QMutexLocker locker(&lock);
        if (n != count)
            resize(n);
        peakX = xValues[count / 2];
        centre = double(centreHz);
        span = spanHz;
        for (int i = 0; i < n; ++i) {
            const double level = values[i];
            levels[i] = level;
            xValues[i] = (centre - span / 2 + i * span / n) / 1000000.0;
            if (level > peakLevel) {
                peakLevel = level;
                peakX = xValues[i];
            }
            frameMin = std::min(frameMin, level);
            if (level > maxHold[i])
                maxHold[i] = (6 * maxHold[i] + 4 * level) / 10;
            else if (maxHold[i] > HoldFloor)
                maxHold[i] -= 1;
        }
        frameMin = std::max(frameMin, LowestBottom);
    }

    const bool replotting = autoReplot();
    setAutoReplot(false);
    showFrequencies();
    setAutoReplot(replotting);

    if (showPeak) {
        peakMarker->setValue(peakX, peakLevel);
        QwtText label(
            QString::asprintf("%03.1fdB  %0.3fMHz", double(float(peakLevel)), double(float(peakX))));
        QFont font(QStringLiteral("Helvetica"), 10, QFont::Bold);
        label.setFont(font);
        label.setColor(PeakColour);
        peakMarker->setLabel(label);
    }

    levelCurve->setSamples(xValues.data(), levels.data(), count);
    if (showMax)
        maxCurve->setSamples(xValues.data(), maxHold.data(), count);

    if (yMin > frameMin) {
        yMin = frameMin;
        setAxisScale(QwtPlot::yLeft, yMin, yMax);
    }
    if (peakLevel > yMax) {
        yMin = float(frameMin);
        yMax = float(peakLevel);
        setAxisScale(QwtPlot::yLeft, yMin, yMax);
    }
    replot();
}

void SpectrumPlot::setYRange(float min, float max)
{
    yMin = min;
    yMax = max;
    setAxisScale(QwtPlot::yLeft, yMin, yMax);
}

void SpectrumPlot::setCenterAndSpan(double newCentre, double newSpan)
{
    if (newCentre >= 0)
        centre = newCentre;
    if (newSpan > 0)
        span = newSpan;
    showFrequencies();
}

void SpectrumPlot::showFrequencies()
{
    setAxisScale(QwtPlot::xBottom, (centre - span / 2) / 1000000.0, (centre + span / 2) / 1000000.0);
}

void SpectrumPlot::resetMaxHold()
{
    QMutexLocker locker(&lock);
    std::fill(maxHold.begin(), maxHold.end(), HoldFloor);
}

void SpectrumPlot::setShowMax(bool show)
{
    showMax = show;
    if (show)
        maxCurve->attach(this);
    else
        maxCurve->detach();
}

void SpectrumPlot::SLOT_setCurrentRXFreq(double rx_freq, int channel)
{
    (channel != 0 ? markerB : markerA)->setXValue(rx_freq);
}

void SpectrumPlot::SLOT_selected(const QPointF& pos)
{
    const qint64 freq = qint64(centre);
    emit NewDemodFreq(freq, qint64(pos.x() * 1000000.0 - centre));
}
