// CPlotter state and operations: the frequency window, passband, dB range,
// bookmarks and the coalescing of passband changes.
#include "ui/plotter/CPlotter.h"

#include "lists/Bookmarks.h"
#include "ui/plotter/WaterfallPalette.h"

#include <QTimer>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {
constexpr float NearBookmarkDistance = 100000.0f; // metres
// Largest rate the window arithmetic accepts; far above any receiver.
constexpr double MaxSampleRate = 1e15;
} // namespace

qint64 roundToResolution(qint64 f, int resolution)
{
    if (resolution <= 0)
        return f;
    const qint64 half = resolution / 2;
    const qint64 units = f >= 0 ? (f + half) / resolution : (f - half) / resolution;
    return units * resolution;
}

CPlotter::CPlotter(QWidget* parent) : QFrame(parent)
{
    for (int i = 0; i < 256; ++i)
        waterfallColors[i] = waterfallColor(i);
    setFftPlotColor(QColor(255, 240, 240));
    setFftFill(true);

    filterTimer = new QTimer(this);
    connect(filterTimer, &QTimer::timeout, this, &CPlotter::PSLOT_dispatchNewFilterFreq,
            Qt::QueuedConnection);
    connect(this, &CPlotter::delayedNewFilterFreq, this, &CPlotter::PSLOT_newFilterDef, Qt::QueuedConnection);

    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground, true);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setAttribute(Qt::WA_PaintOnScreen, false);
    setAutoFillBackground(false);
}

void CPlotter::setCenterFreq(qint64 f)
{
    if (f == centerFreq)
        return;
    centerFreq = f;
    demodFreq = f;
    fftCenterOffset = 0;
    refreshBookmarks(false, true);
    updateOverlay();
    resetPeakHold();
}

void CPlotter::setDemodFreq(qint64 f)
{
    demodFreq = f;
    refreshBookmarks(false, true);
    redrawOverlay();
}

void CPlotter::setSampleRate(double rate)
{
    if (!(rate > 0) || !(rate <= MaxSampleRate))
        return;
    sampleRate = rate;
    refreshBookmarks(false, true);
    redrawOverlay();
}

void CPlotter::setSpan(int s)
{
    if (s > 10000 && s <= 2147483646) {
        span = s;
        setFftCenterOffset(fftCenterOffset);
    }
    redrawOverlay();
    emit newSpan(span);
}

void CPlotter::setFftCenterOffset(qint64 offset)
{
    const qint64 rate = static_cast<qint64>(sampleRate);
    if (span > rate) {
        // A window wider than the band cannot move; centred it shows all of it.
        offset = 0;
    } else {
        const qint64 limit = (rate - span) / 2;
        if (offset > limit - 1)
            offset = limit - 1;
        if (offset < 1 - limit)
            offset = 1 - limit;
    }
    fftCenterOffset = offset;
    emit newVisibleArea(offset - span / 2, offset + span / 2);
}

void CPlotter::setMaxDb(double db)
{
    setDbRange(minDb, db);
}

void CPlotter::setMinDb(double db)
{
    setDbRange(db, maxDb);
}

void CPlotter::setDbRange(double min, double max)
{
    if (!std::isfinite(min) || !std::isfinite(max))
        return;
    minDb = min;
    maxDb = max;
    updateOverlay();
    resetPeakHold();
}

void CPlotter::setFilterCutLimits(int lowMin, int lowMax, int highMin, int highMax, bool symmetric)
{
    lowCutMin = lowMin;
    lowCutMax = lowMax;
    highCutMin = highMin;
    highCutMax = highMax;
    symmetricFilter = symmetric;
    clampFilterCuts();
    updateOverlay();
}

void CPlotter::setFilterCuts(int low, int high)
{
    lowCut = low;
    highCut = high;
    clampFilterCuts();
    updateOverlay();
}

void CPlotter::setCutsUnchecked(int low, int high)
{
    lowCut = low;
    highCut = high;
    redrawOverlay();
}

void CPlotter::clampFilterCuts()
{
    lowCut = std::min(std::max(lowCut, lowCutMin), lowCutMax);
    highCut = std::min(std::max(highCut, highCutMin), highCutMax);
}

void CPlotter::refreshBookmarks(bool redrawNow, bool nearOnly)
{
    tagAreas.clear();
    visibleBookmarks = Bookmarks::instance()->bookmarksInRange(visibleStart(), visibleStop(),
                                                               nearOnly ? NearBookmarkDistance : -1.0f);
    updateOverlay();
    if (redrawNow)
        redrawOverlay();
}

void CPlotter::setNewSpectrum(const double* bins, int n)
{
    setNewSpectrum(bins, bins, n);
}

void CPlotter::setNewSpectrum(const double* trace, const double* waterfall, int n)
{
    if (!trace || !waterfall || n <= 0)
        return;
    running = true;
    binCount = n;
    drawSpectrum(trace, waterfall);
}

int CPlotter::xFromFreq(qint64 f) const
{
    const int width = overlayImage.width();
    if (span <= 0)
        return 0;
    const double x = static_cast<double>(f - visibleStart()) * width / span;
    if (!(x > 0))
        return 0;
    if (x > width)
        return width;
    return static_cast<int>(x);
}

qint64 CPlotter::freqFromX(int x) const
{
    const int width = overlayImage.width();
    if (width <= 0)
        return visibleStart();
    return static_cast<qint64>(static_cast<double>(visibleStart()) + static_cast<double>(span) * x / width);
}

QStringList CPlotter::getFrequencyLabels() const
{
    QStringList labels;
    for (int i = 0; i <= horizontalDivisions && i < 51; ++i)
        labels << frequencyLabels[i];
    return labels;
}

void CPlotter::resetHorizontalZoom()
{
    setFftCenterOffset(0);
    setSpan(static_cast<int>(std::min(sampleRate, static_cast<double>(INT_MAX))));
}

void CPlotter::moveToCenterFreq()
{
    setFftCenterOffset(0);
    updateOverlay();
    resetPeakHold();
}

void CPlotter::moveToDemodFreq()
{
    setFftCenterOffset(demodFreq - centerFreq);
    updateOverlay();
    resetPeakHold();
}

void CPlotter::setFftPlotColor(const QColor& color)
{
    traceColor = color;
    fillTopColor = color;
    fillTopColor.setAlpha(0);
    fillBottomColor = color;
    fillBottomColor.setAlpha(160);
    peakHoldColor = color;
    peakHoldColor.setAlpha(60);
    filledOverlayValid = false;
}

void CPlotter::setPeakHold(bool enabled)
{
    peakHoldEnabled = enabled;
    resetPeakHold();
}

void CPlotter::setPeakDetection(bool enabled, double c)
{
    peakDetectCoefficient = (enabled && c > 0) ? c : -1;
}

void CPlotter::updateOverlay()
{
    if (running)
        overlayPending = true;
    else
        redrawOverlay();
}

void CPlotter::PSLOT_newFilterDef(int low, int high)
{
    pendingLowCut = low;
    pendingHighCut = high;
    filterTimer->setSingleShot(true);
    filterTimer->start(FilterSettleMs);
}

void CPlotter::PSLOT_dispatchNewFilterFreq()
{
    emit newFilterFreq(pendingLowCut, pendingHighCut);
    filterTimer->stop();
    filterTimer->setSingleShot(false);
}
