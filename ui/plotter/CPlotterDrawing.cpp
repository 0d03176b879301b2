// CPlotter drawing: the overlay (grid, scales, passband, bookmark tags), the trace
// with its fill, peaks and peak hold, and the scrolling waterfall.
#include "ui/plotter/CPlotter.h"

#include <QFontMetrics>
#include <QImage>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {
const QColor GridColor(240, 240, 240, 48);
const QColor ScaleTextColor(216, 186, 161);
const QColor DemodLineColor(255, 113, 113);
const QColor CenterLineColor(120, 130, 150);
const QColor TagOutlineColor(240, 240, 240, 176);
constexpr int MaxFreqDivisions = 50;
constexpr int WaterfallLevels = 255;
constexpr double FarBin = 1e12;

// Whole decibels of a scale value; absurd values saturate instead of overflowing.
int wholeDb(double db)
{
    return static_cast<int>(std::clamp(db, -1e6, 1e6));
}
} // namespace

void CPlotter::redrawOverlay()
{
    if (overlayImage.isNull())
        return;
    const int w = overlayImage.width();
    const int h = overlayImage.height();

    QPainter painter(&overlayImage);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());

    verticalDivisions = h / vDivDelta + 1;
    horizontalDivisions = w / hDivDelta;
    if (horizontalDivisions % 2)
        ++horizontalDivisions;
    if (w / hDivDelta >= MaxFreqDivisions)
        horizontalDivisions = MaxFreqDivisions;

    QLinearGradient background(0, 0, 0, h);
    background.setColorAt(0, QColor(32, 32, 32));
    background.setColorAt(1, QColor(79, 79, 79));
    painter.setBrush(background);
    painter.drawRect(0, 0, w - 1, h - 1);

    if (filterBoxEnabled) {
        demodX = xFromFreq(demodFreq);
        lowCutX = xFromFreq(demodFreq + lowCut);
        highCutX = xFromFreq(demodFreq + highCut);
        painter.setBrush(Qt::SolidPattern);
        painter.setOpacity(0.3);
        painter.fillRect(QRect(QPoint(lowCutX, 0), QPoint(highCutX - 1, h - 1)), Qt::gray);
        painter.setOpacity(1.0);
        painter.setPen(DemodLineColor);
        painter.drawLine(demodX, 0, demodX, h);
    }

    QFont scaleFont("Arial");
    scaleFont.setPointSize(fontSize);
    scaleFont.setWeight(QFont::Normal);
    painter.setFont(scaleFont);
    const QFontMetrics metrics(scaleFont);
    const int gridBottom = h - (h / verticalDivisions) / 2;

    QPen gridPen(GridColor, 1, Qt::DotLine);
    painter.setPen(gridPen);
    for (int i = 1; i < horizontalDivisions; ++i) {
        const int x = static_cast<int>(i * static_cast<float>(w) / horizontalDivisions);
        painter.drawLine(x, 0, x, gridBottom);
    }

    drawBookmarkTags(painter, gridBottom);

    if (centerLineEnabled) {
        const int x = xFromFreq(centerFreq);
        if (x > 0 && x < w) {
            painter.setPen(CenterLineColor);
            painter.drawLine(x, 0, x, gridBottom);
        }
    }

    makeFrequencyLabels();
    painter.setPen(ScaleTextColor);
    freqScaleY = h - metrics.height() / 2;
    if (horizontalDivisions > 0) {
        const float g = static_cast<float>(w) / horizontalDivisions;
        const int top = h - h / verticalDivisions;
        for (int i = 1; i < horizontalDivisions; ++i) {
            const QRect box(static_cast<int>(i * g - g / 2), top, static_cast<int>(g), h - top);
            painter.drawText(box, Qt::AlignHCenter | Qt::AlignBottom, frequencyLabels[i]);
        }
    }

    dbStep = wholeDb(std::abs(maxDb - minDb) / verticalDivisions);
    painter.setPen(gridPen);
    const int gridLeft = 5 * metrics.horizontalAdvance("0");
    for (int i = 1; i < verticalDivisions; ++i) {
        const int y = static_cast<int>(i * static_cast<float>(h) / verticalDivisions);
        painter.drawLine(gridLeft, y, w, y);
    }

    painter.setPen(ScaleTextColor);
    painter.setFont(scaleFont);
    dbLabelWidth = metrics.horizontalAdvance("-120 ");
    for (int i = 1; i < verticalDivisions; ++i) {
        const int y = static_cast<int>(i * static_cast<float>(h) / verticalDivisions);
        const QRect box(0, y - metrics.height() / 2, dbLabelWidth, metrics.height());
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(wholeDb(maxDb) - i * dbStep));
    }
    painter.end();
    filledOverlayValid = false;

    if (!running) {
        spectrumImage = overlayImage;
        update();
    }
}

void CPlotter::drawBookmarkTags(QPainter& painter, int gridBottom)
{
    const QFontMetrics metrics(painter.font());
    const int ascent = metrics.ascent() + 1;
    const int rowHeight = ascent + 5;
    tagAreas.clear();
    int levelEnds[3] = {0, 0, 0};
    for (const BookmarkEntry& entry : visibleBookmarks) {
        const int x = xFromFreq(entry.frequency);
        const int tw = metrics.horizontalAdvance(entry.name);
        int level = 0;
        while (level < 3 && x < levelEnds[level])
            ++level;
        if (level == 3)
            level = 0; // every level is taken: the tag overlaps
        levelEnds[level] = x + tw + 4;

        const int top = level * rowHeight;
        TagArea area;
        area.rect = QRect(QPoint(x, top), QPoint(x + tw + 4, top + ascent - 1));
        area.frequency = entry.frequency;
        area.scheduleKey = entry.scheduleKey;
        tagAreas.append(area);

        QColor faint = entry.color();
        faint.setAlpha(96);
        painter.setPen(QPen(faint, 1, Qt::DashLine));
        painter.drawLine(x, top + ascent + 5, x, gridBottom);
        painter.setPen(QPen(faint, 1, Qt::SolidLine));
        painter.drawLine(x + 5, top + ascent, x + tw + 4, top + ascent);
        painter.drawLine(x + 1, top + ascent + 4, x + 4, top + ascent + 1);

        painter.setPen(QPen(TagOutlineColor, 1));
        QPolygon outline;
        outline << QPoint(0, 10) << QPoint(5, 15) << QPoint(tw + 5, 15) << QPoint(tw + 5, 0) << QPoint(5, 0)
                << QPoint(0, 5);
        painter.drawPolygon(outline.translated(x, 18 * level));

        QColor solid = entry.color();
        solid.setAlpha(255);
        painter.setPen(QPen(solid, 2));
        painter.drawText(QRect(QPoint(x + 5, top), QPoint(x + tw + 4, top + ascent - 1)), Qt::AlignCenter,
                         entry.name);
    }
}

void CPlotter::makeFrequencyLabels()
{
    if (horizontalDivisions <= 0)
        return;
    const qint64 step = span / horizontalDivisions;
    const qint64 start = visibleStart();
    int decimals = 0;
    for (int i = 0; i <= horizontalDivisions; ++i) {
        const double value = static_cast<double>(start + i * step) / freqUnits;
        const QString text = QString::number(value, 'f', freqDigits);
        const int point = text.indexOf('.');
        int used = text.size() - point - 1;
        while (used > 0 && text.at(point + used) == '0')
            --used;
        decimals = std::max(decimals, used);
        frequencyLabels[i] = text;
    }
    for (int i = 0; i <= horizontalDivisions; ++i) {
        const double value = static_cast<double>(start + i * step) / freqUnits;
        frequencyLabels[i] = QString::number(value, 'f', decimals).right(7);
    }
}

void CPlotter::computeColumnLevels(int columns, qint64 startOffset, qint64 stopOffset, const double* bins,
                                   ColumnSpan* span)
{
    const qint64 n = binCount;
    // Bin of a frequency offset; far-off offsets are held where the 64-bit arithmetic below cannot overflow.
    auto binOf = [&](qint64 offset) {
        const double bin = std::clamp(static_cast<double>(offset) * n / sampleRate, -FarBin, FarBin);
        return n / 2 + static_cast<qint64>(bin);
    };
    const qint64 s = binOf(startOffset);
    const qint64 g = s >= n ? n - 1 : s;
    qint64 t = binOf(stopOffset);
    if (t <= g)
        t = g + 1;
    const qint64 m = t - g;
    double* levels = columnLevels.data();

    if (columns < m) {
        // More bins than columns: each column shows its strongest bin. A NaN bin
        // never wins (it would be drawn at the bottom), and -infinity, where a
        // column holds only NaN, is drawn at the bottom too.
        span->first = 0;
        span->last = 0;
        const qint64 begin = std::max<qint64>(s, 0);
        const qint64 end = std::min(n, t);
        if (begin >= end)
            return;
        // Column of bin j: (j - g) * columns / m, stepped without a division per
        // bin (j >= g here, and a step moves on by one column at most).
        int column = static_cast<int>(((begin - g) * columns) / m);
        qint64 remainder = ((begin - g) * columns) % m;
        span->first = column;
        double strongest = -std::numeric_limits<double>::infinity();
        for (qint64 j = begin; j < end; ++j) {
            strongest = std::max(strongest, bins[j]);
            remainder += columns;
            if (remainder >= m && j + 1 < end) {
                levels[column] = strongest;
                strongest = -std::numeric_limits<double>::infinity();
                remainder -= m;
                ++column;
            }
        }
        levels[column] = strongest;
        span->last = column;
        return;
    }
    span->first = 0;
    span->last = columns;
    // At most as many bins as columns: bins repeat across columns. The window may
    // reach past the bins (a rate that disagrees with the bin count): hold the edge bin.
    for (int i = 0; i < columns; ++i) {
        const qint64 j = g + (i * m) / columns;
        levels[i] = bins[std::clamp<qint64>(j, 0, n - 1)];
    }
}

void CPlotter::rowsOfColumns(int height, const ColumnSpan& span, int* rows) const
{
    // The wheel keeps the range at 1 dB or more; anything narrower would divide by almost nothing.
    const double rowsPerDb = height / std::max(std::abs(maxDb - minDb), 1.0);
    const double* levels = columnLevels.data();
    for (int c = std::max(span.first, 0); c < span.last; ++c) {
        const double r = (maxDb - levels[c]) * rowsPerDb;
        rows[c] = std::isnan(r) || r >= height ? height : r > 0 ? static_cast<int>(r) : 0;
    }
}

void CPlotter::drawSpectrum(const double* trace, const double* waterfall)
{
    if (overlayPending) {
        redrawOverlay();
        overlayPending = false;
    }

    const qint64 startOffset = fftCenterOffset - span / 2;
    const qint64 stopOffset = fftCenterOffset + span / 2;
    // The column levels of one spectrum serve both the waterfall row and the trace.
    const double* levelsOf = nullptr;
    int levelsColumns = -1;
    ColumnSpan columns;
    auto levelsFor = [&](const double* bins, int count) {
        if (bins != levelsOf || count != levelsColumns) {
            computeColumnLevels(count, startOffset, stopOffset, bins, &columns);
            levelsOf = bins;
            levelsColumns = count;
        }
    };

    if (!waterfallImage.isNull()) {
        levelsFor(waterfall, std::min(waterfallImage.width(), MaxColumns));
        drawWaterfallRow(columns);
    }

    if (!overlayImage.isNull()) {
        levelsFor(trace, std::min(overlayImage.width(), MaxColumns));
        rowsOfColumns(overlayImage.height(), columns, screenRows);
        traceColumns = columns;
        traceMarksPeaks = peakDetectCoefficient > 0;
        traceHoldsPeaks = peakHoldEnabled;
        if (traceMarksPeaks)
            detectPeaks(columns.first, columns.last);
        if (traceHoldsPeaks)
            holdPeaks(columns.first, columns.last);
        traceImageStale = true;
    }
    update();
}

// The trace layer of the last frame: the overlay with the fill under the trace,
// the trace, the peak marks and the held peaks. Composed when painted, so that a
// display nobody sees (a receiver behind its tab) keeps its waterfall and peaks
// current without drawing its trace every frame.
void CPlotter::drawTraceImage()
{
    const int height = overlayImage.height();
    const int first = traceColumns.first;
    const int last = traceColumns.last;
    composeTrace(first, last);

    QPainter painter(&spectrumImage);
    painter.translate(0.5, 0.5);
    const int count = std::max(last - first, 0);
    QPoint* points = tracePoints.data();
    for (int i = 0; i < count; ++i)
        points[i] = QPoint(first + i, screenRows[first + i]);
    painter.setPen(traceColor);
    painter.drawPolyline(points, count);

    if (fillEnabled) {
        QLinearGradient fill(first, 0, first, height);
        fill.setColorAt(0, fillTopColor);
        fill.setColorAt(1, fillBottomColor);
        painter.setBrush(fill);
    }
    if (traceMarksPeaks) {
        for (auto it = peaks.cbegin(); it != peaks.cend(); ++it) {
            const int column = it.key();
            const int row = it.value();
            painter.drawEllipse(QRect(QPoint(column - 5, row - 5), QPoint(column + 4, row + 4)));
        }
    }
    if (traceHoldsPeaks) {
        QPolygon held;
        held.reserve(count);
        for (int c = first; c < last; ++c)
            held << QPoint(c, peakHoldRows[c]);
        painter.setPen(peakHoldColor);
        painter.drawPolyline(held);
    }
}

// The overlay with the trace's fill: each drawn column shows the filled overlay
// from the trace down, the plain overlay above it. Composing rows of two prepared
// layers costs far less than filling a polygon of thousands of vertices with a
// blended gradient for every spectrum.
void CPlotter::composeTrace(int first, int last)
{
    const int w = overlayImage.width();
    const int h = overlayImage.height();
    if (spectrumImage.size() != overlayImage.size() || spectrumImage.format() != overlayImage.format())
        spectrumImage = QImage(w, h, overlayImage.format());
    if (fillEnabled && !filledOverlayValid) {
        filledOverlayImage = overlayImage.copy();
        QPainter painter(&filledOverlayImage);
        QLinearGradient fill(0, 0, 0, h);
        fill.setColorAt(0, fillTopColor);
        fill.setColorAt(1, fillBottomColor);
        painter.fillRect(filledOverlayImage.rect(), fill);
        filledOverlayValid = true;
    }
    const qsizetype rowBytes = static_cast<qsizetype>(w) * sizeof(QRgb);
    first = std::max(first, 0);
    last = std::min(last, w);
    for (int y = 0; y < h; ++y) {
        QRgb* out = reinterpret_cast<QRgb*>(spectrumImage.scanLine(y));
        const QRgb* plain = reinterpret_cast<const QRgb*>(overlayImage.constScanLine(y));
        if (!fillEnabled || first >= last) {
            std::memcpy(out, plain, rowBytes);
            continue;
        }
        const QRgb* filled = reinterpret_cast<const QRgb*>(filledOverlayImage.constScanLine(y));
        std::memcpy(out, plain, static_cast<size_t>(first) * sizeof(QRgb));
        // Both layers read, then a select: without branches the compiler vectorises it.
        for (int c = first; c < last; ++c) {
            const QRgb under = filled[c];
            const QRgb above = plain[c];
            out[c] = y >= screenRows[c] ? under : above;
        }
        std::memcpy(out + last, plain + last, static_cast<size_t>(w - last) * sizeof(QRgb));
    }
}

void CPlotter::drawWaterfallRow(const ColumnSpan& columns)
{
    // The newest row takes the place of the oldest: the rows scroll when painted.
    const int h = waterfallImage.height();
    waterfallTop = (waterfallTop + h - 1) % h;

    rowsOfColumns(WaterfallLevels, columns, waterfallScaleRows);
    QRgb* pixels = reinterpret_cast<QRgb*>(waterfallImage.scanLine(waterfallTop));
    for (int c = 0; c < waterfallImage.width(); ++c) {
        const bool drawn = c >= columns.first && c < columns.last;
        pixels[c] = drawn ? waterfallColors[WaterfallLevels - waterfallScaleRows[c]] : waterfallColors[0];
    }
}

void CPlotter::detectPeaks(int first, int last)
{
    peaks.clear();
    if (last <= first)
        return;
    double sum = 0;
    double sumSquares = 0;
    for (int c = first; c < last; ++c) {
        sum += screenRows[c];
        sumSquares += static_cast<double>(screenRows[c]) * screenRows[c];
    }
    const int count = last - first;
    const double mean = sum / count;
    const double deviation = std::sqrt(std::max(sumSquares / count - mean * mean, 0.0));
    const double threshold = mean - peakDetectCoefficient * deviation;

    auto record = [&](int column) { peaks[column] = screenRows[column]; };
    int candidate = -1;
    for (int c = first; c < last; ++c) {
        if (candidate < 0) {
            if (screenRows[c] < threshold)
                candidate = c;
        } else if (screenRows[c] < screenRows[candidate]) {
            candidate = c;
        } else if (c - candidate >= 3) {
            record(candidate);
            candidate = -1;
        }
    }
    if (candidate >= 0)
        record(candidate);
}

void CPlotter::holdPeaks(int first, int last)
{
    for (int c = first; c < last; ++c) {
        if (!peakHoldValid || screenRows[c] < peakHoldRows[c])
            peakHoldRows[c] = screenRows[c];
    }
    peakHoldValid = true;
}

int CPlotter::findNearestPeak(int x, int y) const
{
    int best = -1;
    qint64 bestDistance = 0;
    for (auto it = peaks.lowerBound(x - 10); it != peaks.end() && it.key() <= x + 10; ++it) {
        const int dy = it.value() - y;
        if (std::abs(dy) > 20)
            continue;
        const int dx = it.key() - x;
        const qint64 distance = static_cast<qint64>(dx) * dx + static_cast<qint64>(dy) * dy;
        if (best < 0 || distance < bestDistance) {
            best = it.key();
            bestDistance = distance;
        }
    }
    return best;
}

void CPlotter::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    if (traceImageStale) {
        drawTraceImage();
        traceImageStale = false;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, spectrumImage);
    const int top = spectrumPercent * widgetSize.height() / 100;
    const int w = waterfallImage.width();
    const int h = waterfallImage.height();
    painter.drawImage(QPoint(0, top), waterfallImage, QRect(0, waterfallTop, w, h - waterfallTop));
    if (waterfallTop > 0)
        painter.drawImage(QPoint(0, top + h - waterfallTop), waterfallImage, QRect(0, 0, w, waterfallTop));
}

QImage CPlotter::waterfallInOrder() const
{
    if (waterfallTop == 0)
        return waterfallImage;
    const int h = waterfallImage.height();
    QImage ordered(waterfallImage.size(), waterfallImage.format());
    for (int y = 0; y < h; ++y)
        std::memcpy(ordered.scanLine(y), waterfallImage.constScanLine((waterfallTop + y) % h),
                    static_cast<size_t>(waterfallImage.bytesPerLine()));
    return ordered;
}

void CPlotter::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    const QSize size = event->size();
    if (size.width() < 0 || size.height() < 0)
        return;
    if (size != widgetSize) {
        widgetSize = size;
        const int w = size.width();
        const int spectrumRows = spectrumPercent * size.height() / 100;
        const int waterfallRows = (100 - spectrumPercent) * size.height() / 100;
        overlayImage = QImage(w, spectrumRows, QImage::Format_RGB32);
        overlayImage.fill(Qt::black);
        spectrumImage = QImage(w, spectrumRows, QImage::Format_RGB32);
        spectrumImage.fill(Qt::black);
        if (waterfallImage.isNull()) {
            waterfallImage = QImage(w, waterfallRows, QImage::Format_RGB32);
            waterfallImage.fill(Qt::black);
        } else {
            waterfallImage =
                waterfallInOrder().scaled(w, waterfallRows, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_RGB32);
        }
        waterfallTop = 0;
        resetPeakHold();
        // The last frame's columns belong to the old width: the next frame draws anew.
        traceImageStale = false;
    }
    redrawOverlay();
}
