#include "ui/widgets/CMeter.h"

#include <QFont>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

namespace {

// The scale line runs from 7 % to 93 % of the width.
constexpr double kMargin = 0.07;
constexpr int kLabelStep = 20; // dB between two labels

QFont meterFont(int height)
{
    QFont font("Arial");
    font.setPixelSize(std::max(1, height / 4));
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

CMeter::CMeter(QWidget* parent) : CMeter(-130.0f, 0.0f, parent) {}

CMeter::CMeter(float minimum, float maximum, QWidget* parent)
    : QFrame(parent), minLevel(minimum), maxLevel(maximum)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground, true);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setAttribute(Qt::WA_PaintOnScreen, false);
    setAutoFillBackground(false);
}

void CMeter::setLevel(float dbfs)
{
    const float v = std::clamp(dbfs, std::min(minLevel, maxLevel), std::max(minLevel, maxLevel));
    const float a = level > v ? fallFactor : riseFactor;
    const float smoothed = (1.0f - a) * level + a * v;
    level = static_cast<int>(smoothed);
    const double span = std::fabs(maxLevel - minLevel);
    const double w = levelPixmap.width();
    // A meter whose scale has no width shows no bar rather than dividing by zero.
    barLength = span > 0 ? static_cast<int>((w - 2 * kMargin * w) / span * (smoothed - minLevel)) : 0;
    drawLevel();
}

void CMeter::SLOT_setSquelch(int threshold)
{
    squelchLevel = threshold;
}

QColor CMeter::textColor() const
{
    if (squelchLevel >= 0)
        return QColor(239, 239, 239);
    return level < squelchLevel ? QColor(255, 34, 34) : QColor(34, 255, 34);
}

void CMeter::drawScale()
{
    if (scalePixmap.isNull())
        return;
    const int w = scalePixmap.width();
    const int h = scalePixmap.height();
    const double x0 = kMargin * w;
    const double x1 = w - x0;
    const double lineY = 0.4 * h;

    scalePixmap.fill(QColor(32, 32, 32));
    QPainter painter(&scalePixmap);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawLine(QPointF(x0, lineY), QPointF(x1, lineY));
    painter.drawLine(QPointF(x0, lineY + 8), QPointF(x1, lineY + 8));
    for (int i = 0; i <= 10; ++i) {
        const double x = x0 + i * (x1 - x0) / 10;
        painter.drawLine(QPointF(x, 0.3 * h), QPointF(x, lineY));
    }

    // Each label is centred over the point of the scale line that stands for
    // its level, so the labels agree with the bar whatever the range.
    painter.setFont(meterFont(h));
    const int labelWidth = static_cast<int>((x1 - x0) / 5);
    const int labelBottom = static_cast<int>(0.3 * h) - 1;
    const double span = maxLevel - minLevel;
    for (int label = static_cast<int>(minLevel); label <= maxLevel; label += kLabelStep) {
        const double x = span > 0 ? x0 + (label - minLevel) / span * (x1 - x0) : x0;
        const QRect rect(static_cast<int>(x - labelWidth / 2.0), 0, labelWidth, labelBottom + 1);
        painter.drawText(rect, Qt::AlignCenter, QString::number(label));
    }
}

void CMeter::drawLevel()
{
    if (levelPixmap.isNull())
        return;
    const int w = levelPixmap.width();
    const int h = levelPixmap.height();
    levelPixmap = scalePixmap.copy();

    QPainter painter(&levelPixmap);
    painter.setOpacity(1.0);
    painter.setBrush(QColor(0, 190, 0));
    if (barLength > 0)
        painter.drawRect(static_cast<int>(kMargin * w - 1), static_cast<int>(0.4 * h + 1), barLength - 1, 5);
    painter.setFont(meterFont(h));
    painter.setPen(textColor());
    painter.drawText(QPoint(static_cast<int>(kMargin * w), h - 2), QString::number(level) + " dBFS");
    painter.end();
    update();
}

void CMeter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, levelPixmap);
}

void CMeter::resizeEvent(QResizeEvent* event)
{
    const QSize size = event->size();
    if (size.width() >= 0 && size.height() >= 0 &&
        (size.width() != pixmapWidth || size.height() != pixmapHeight)) {
        pixmapWidth = size.width();
        pixmapHeight = size.height();
        scalePixmap = QPixmap(pixmapWidth, pixmapHeight);
        scalePixmap.fill(Qt::black);
        levelPixmap = QPixmap(pixmapWidth, pixmapHeight);
        levelPixmap.fill(Qt::black);
    }
    drawScale();
    drawLevel();
}
