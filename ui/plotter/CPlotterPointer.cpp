// CPlotter pointer and wheel interaction: hover targets, clicks that tune, drags
// of the passband edges, the demodulator line and the scales, and wheel zoom and steps.
#include "ui/plotter/CPlotter.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {
constexpr int TagBandBottom = 44; // tags sit on three levels above this row
constexpr int WheelNotch = 120;
constexpr double MinDbRange = 1.0;
constexpr double MaxDbRange = 2000.0;
constexpr int MinSpan = 10000;

Qt::CursorShape shapeFor(CursorState state)
{
    switch (state) {
    case CursorLowCut:
        return Qt::SizeBDiagCursor;
    case CursorDemod:
        return Qt::SizeHorCursor;
    case CursorHighCut:
        return Qt::SizeFDiagCursor;
    case CursorDbScale:
    case CursorFreqScale:
        return Qt::OpenHandCursor;
    case CursorTag:
        return Qt::PointingHandCursor;
    case CursorNone:
        break;
    }
    return Qt::ArrowCursor;
}
} // namespace

void CPlotter::setCursorState(CursorState state)
{
    if (state != cursorState)
        setCursor(shapeFor(state));
    cursorState = state;
}

const TagArea* CPlotter::tagAt(const QPoint& pt) const
{
    for (const TagArea& area : tagAreas) {
        if (area.rect.contains(pt))
            return &area;
    }
    return nullptr;
}

CursorState CPlotter::hoverTarget(const QPoint& pt) const
{
    const int x = pt.x();
    const int y = pt.y();
    if (y <= TagBandBottom && tagAt(pt))
        return CursorTag;
    if (std::abs(x - demodX) < captureDelta)
        return CursorDemod;
    if (std::abs(x - highCutX) < captureDelta)
        return CursorHighCut;
    if (std::abs(x - lowCutX) < captureDelta)
        return CursorLowCut;
    if (x > 0 && x < (dbLabelWidth / 2) * 2)
        return CursorDbScale;
    if (std::abs(y - freqScaleY) < captureDelta + 5)
        return CursorFreqScale;
    return CursorNone;
}

void CPlotter::mouseMoveEvent(QMouseEvent* event)
{
    if (!running)
        return;
    const QPoint pt = event->localPos().toPoint();
    const Qt::MouseButtons buttons = event->buttons();
    const bool inOverlay = overlayImage.rect().contains(pt);

    if (buttons != Qt::NoButton) {
        // A drag goes on over the waterfall too.
        dragTo(pt, buttons);
    } else if (inOverlay) {
        setCursorState(hoverTarget(pt));
        grabOffset = 0;
    } else {
        setCursorState(CursorNone);
        grabOffset = 0;
    }

    if (!rect().contains(pt))
        setCursorState(CursorNone); // leaving the widget ends any drag
}

void CPlotter::dragTo(const QPoint& pt, Qt::MouseButtons buttons)
{
    // A locked channel does not move: the display must not show a tuning the engine refused.
    if (tuningLocked)
        return;
    const int x = pt.x();
    const int y = pt.y();
    switch (cursorState) {
    case CursorLowCut:
    case CursorHighCut:
        if (buttons & (Qt::LeftButton | Qt::RightButton))
            dragEdge(cursorState == CursorLowCut, x, buttons);
        else
            setCursorState(CursorNone);
        break;
    case CursorDemod:
        if (!(buttons & Qt::LeftButton)) {
            setCursorState(CursorNone);
        } else if (grabOffset == 0) {
            grabOffset = x - demodX;
        } else {
            demodFreq = roundToResolution(freqFromX(x - grabOffset), clickResolution);
            emit newDemodFreq(centerFreq, demodFreq - centerFreq);
            updateOverlay();
            resetPeakHold();
        }
        break;
    case CursorDbScale: {
        const int h = overlayImage.height();
        if (!(buttons & Qt::LeftButton) || h <= 0)
            break;
        setCursor(Qt::ClosedHandCursor);
        if (dragStartY >= 0) {
            const double d = std::abs(minDb - maxDb) * (dragStartY - y) / h;
            minDb -= d;
            maxDb -= d;
            updateOverlay();
            resetPeakHold();
        }
        dragStartY = y;
        break;
    }
    case CursorFreqScale: {
        const int w = overlayImage.width();
        if (!(buttons & (Qt::LeftButton | Qt::MiddleButton)) || w <= 0)
            break;
        setCursor(Qt::ClosedHandCursor);
        if (dragStartX >= 0) {
            const qint64 df = static_cast<qint64>(dragStartX - x) * span / w;
            if (buttons & Qt::MiddleButton) {
                demodFreq += df;
                centerFreq += df;
                emit newCenterFreq(centerFreq);
            } else {
                setFftCenterOffset(fftCenterOffset + df);
            }
            updateOverlay();
            resetPeakHold();
        }
        dragStartX = x;
        break;
    }
    default:
        grabOffset = 0;
        break;
    }
}

void CPlotter::dragEdge(bool lowEdge, int x, Qt::MouseButtons buttons)
{
    const int edgeX = lowEdge ? lowCutX : highCutX;
    if (grabOffset == 0) {
        grabOffset = x - edgeX; // the first move only grabs
        return;
    }
    const int edge =
        static_cast<int>(roundToResolution(freqFromX(x - grabOffset) - demodFreq, filterClickResolution));
    const bool mirror = symmetricFilter && (buttons & Qt::LeftButton);
    if (lowEdge) {
        lowCut = edge;
        if (mirror)
            highCut = -lowCut;
    } else {
        highCut = edge;
        if (mirror)
            lowCut = -highCut;
    }
    clampFilterCuts();
    emit delayedNewFilterFreq(lowCut, highCut);
    updateOverlay();
}

void CPlotter::mousePressEvent(QMouseEvent* event)
{
    if (!running || tuningLocked)
        return;
    const QPoint pt = event->localPos().toPoint();
    switch (cursorState) {
    case CursorDbScale:
        dragStartY = pt.y();
        break;
    case CursorFreqScale:
        dragStartX = pt.x();
        break;
    case CursorTag:
        if (const TagArea* tag = tagAt(pt)) {
            demodFreq = tag->frequency;
            emit newDemodFreq(centerFreq, demodFreq - centerFreq);
            if (tag->scheduleKey > 0)
                emit WHATSONRequest(tag->scheduleKey);
        }
        break;
    case CursorNone:
        pressOnEmptyPlace(pt, event->buttons());
        break;
    default:
        break; // an edge or the line: the next move grabs it
    }
}

void CPlotter::pressOnEmptyPlace(const QPoint& pt, Qt::MouseButtons buttons)
{
    const int x = pt.x();
    if (std::abs(x - demodX) < captureDelta) {
        setCursorState(CursorDemod);
        grabOffset = x - demodX;
    } else if (std::abs(x - lowCutX) < captureDelta) {
        setCursorState(CursorLowCut);
        grabOffset = x - lowCutX;
    } else if (std::abs(x - highCutX) < captureDelta) {
        setCursorState(CursorHighCut);
        grabOffset = x - highCutX;
    } else if (buttons == Qt::LeftButton) {
        const int peak = peakDetectCoefficient > 0 ? findNearestPeak(x, pt.y()) : -1;
        demodFreq =
            peak >= 0 ? freqFromX(peak) : roundToResolution(freqFromX(x), clickResolution) - clickOffset;
        emit newDemodFreq(centerFreq, demodFreq - centerFreq);
        setCursorState(CursorDemod);
        grabOffset = 1; // already grabbed: holding the button drags the line on
        redrawOverlay();
    } else if (buttons == Qt::MiddleButton) {
        const qint64 f = roundToResolution(freqFromX(x), clickResolution);
        centerFreq = f;
        demodFreq = f;
        emit newCenterFreq(f);
        emit newDemodFreq(f, 0);
    }
}

void CPlotter::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pt = event->localPos().toPoint();
    if (!overlayImage.rect().contains(pt)) {
        setCursorState(CursorNone);
        grabOffset = 0;
    } else if (cursorState == CursorDbScale) {
        setCursor(Qt::OpenHandCursor);
        dragStartY = -1;
    } else if (cursorState == CursorFreqScale) {
        setCursor(Qt::OpenHandCursor);
        dragStartX = -1;
    }
}

void CPlotter::wheelEvent(QWheelEvent* event)
{
    // Fine wheels and touchpads send fractions of a notch: they add up.
    wheelRemainder += event->angleDelta().y();
    const int notches = wheelRemainder / WheelNotch;
    wheelRemainder -= notches * WheelNotch;

    if (notches != 0) {
        const QPoint pt = event->position().toPoint();
        const double factor = notches > 0 ? 0.9 : 1.1;
        if (cursorState == CursorDbScale)
            zoomDbScale(pt.y(), factor);
        else if (cursorState == CursorFreqScale)
            zoomFreqScale(pt.x(), factor);
        else
            stepWithWheel(notches, event->modifiers());
    }
    updateOverlay();
}

void CPlotter::zoomDbScale(int y, double factor)
{
    const int h = overlayImage.height();
    if (h <= 0)
        return;
    const float range = static_cast<float>(maxDb - minDb);
    const double levelAtPointer = maxDb - static_cast<double>(y) * range / h;
    const double newRange = std::clamp(range * factor, MinDbRange, MaxDbRange);
    maxDb = static_cast<double>(y) / h * newRange + levelAtPointer;
    minDb = maxDb - newRange;
    resetPeakHold();
}

void CPlotter::zoomFreqScale(int x, double factor)
{
    const int w = overlayImage.width();
    if (w <= 0)
        return;
    const double zoomedSpan = std::min(std::max(span * factor, 10.0), sampleRate);
    // Keep the frequency under the pointer where it is.
    const double underPointer = static_cast<double>(freqFromX(x));
    const double right = underPointer + (1.0 - static_cast<double>(x) / w) * zoomedSpan;
    const double centre = right - zoomedSpan / 2;
    setFftCenterOffset(static_cast<qint64>(centre) - centerFreq);
    const qint64 accepted = static_cast<qint64>(zoomedSpan);
    if (accepted > MinSpan && accepted <= 2147483646) {
        span = static_cast<int>(accepted);
        setFftCenterOffset(fftCenterOffset);
    }
    redrawOverlay();
    emit newSpan(span);
    resetPeakHold();
}

void CPlotter::stepWithWheel(int notches, Qt::KeyboardModifiers modifiers)
{
    const int steps = notches * clickResolution;
    if (modifiers & (Qt::ControlModifier | Qt::ShiftModifier)) {
        if (tuningLocked)
            return;
        if (modifiers & Qt::ControlModifier) {
            lowCut -= steps; // away from the operator widens the passband
            highCut += steps;
        } else {
            lowCut += steps; // shifts the passband
            highCut += steps;
        }
        clampFilterCuts();
        emit delayedNewFilterFreq(lowCut, highCut);
    } else if (!tuningLocked) {
        demodFreq = roundToResolution(demodFreq + steps, clickResolution);
        emit newDemodFreq(centerFreq, demodFreq - centerFreq);
    }
}
