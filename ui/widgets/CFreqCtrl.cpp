#include "ui/widgets/CFreqCtrl.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace {

struct UnitEntry
{
    int decimalPos;
    const char* text;
};

// Decimal position and unit text of each unit number.
constexpr UnitEntry kUnits[] = {{0, "Hz "}, {3, "kHz"}, {6, "MHz"}, {9, "GHz"},
                                {6, "Sec"}, {3, "mS "}, {0, "uS "}, {0, "nS "}};
constexpr int kUnitCount = sizeof(kUnits) / sizeof(kUnits[0]);

qint64 powerOfTen(int exponent)
{
    qint64 p = 1;
    for (int i = 0; i < exponent; ++i)
        p *= 10;
    return p;
}

} // namespace

CFreqCtrl::CFreqCtrl(QWidget* parent) : QFrame(parent)
{
    setAutoFillBackground(false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    digitFont = QFont("Arial", 10, QFont::Normal);
    unitFont = QFont("Arial", 10, QFont::Normal);
    frequency = 146123456;
    setup(11, 1, 11000000000LL, 10, 2);
    lastFrequency = 0;
    lastLeadZeroPos = 0;
    // Nothing is shown until the owner gives a value: every digit is a leading zero.
    leadZeroPos = digitCount;
    activeDigit = -1;
    locked = false;
}

void CFreqCtrl::setup(int digitsWanted, qint64 min, qint64 max, int res, int unit)
{
    lastFrequency = -1;
    digitCount = std::clamp(digitsWanted, MinDigits, MaxDigits);
    unitText.clear();
    resolution = res > 0 ? res : 1;

    minFrequency = min;
    maxFrequency = max;
    frequency = std::clamp(frequency, std::min(min, max), std::max(min, max));

    for (int i = 0; i < MaxDigits; ++i) {
        digits[i].weight = digits[i].increment = powerOfTen(i);
        digits[i].modified = true;
        digits[i].editMode = false;
        digits[i].value = 0;
    }
    const qint64 top = powerOfTen(digitCount);
    minStepDigit = 0;
    if (max > top)
        max = top - 1;
    max -= max % resolution;
    if (min > top)
        min = 1;
    min -= min % resolution;
    minFrequency = min;
    maxFrequency = max;

    if (unit >= 0 && unit < kUnitCount) {
        decimalPos = kUnits[unit].decimalPos;
        unitText = QString::fromLatin1(kUnits[unit].text);
    }

    // The digit that steps by the resolution, and the digits below it that
    // still carry part of a value (a resolution of 25 needs the units digit).
    bool found = false;
    for (int i = digitCount - 1; i >= 0; --i) {
        if (!found) {
            if (digits[i].weight <= resolution) {
                digits[i].increment = resolution;
                minStepDigit = i;
                found = true;
            }
        } else {
            digits[i].increment = 0;
            if (resolution % digits[i + 1].weight != 0)
                minStepDigit = i;
        }
    }
    firstStepDigit = minStepDigit;
    while (firstStepDigit < digitCount - 1 && digits[firstStepDigit].increment == 0)
        ++firstStepDigit;
    separatorCount = (digitCount - 1) / 3 - minStepDigit / 3;
    activeDigit = -1;
    updateAll = true;
    layoutCells();
}

void CFreqCtrl::setFrequency(qint64 freq)
{
    if (freq == lastFrequency)
        return;
    applyFrequency(freq);
    emit newFrequency(lastFrequency);
}

int CFreqCtrl::showFrequency(qint64 freq)
{
    applyFrequency(freq);
    return leadZeroPos;
}

void CFreqCtrl::applyFrequency(qint64 freq)
{
    leadZeroPos = digitCount;
    qint64 f = std::clamp(freq, minFrequency, std::max(minFrequency, maxFrequency));
    f -= f % resolution;
    frequency = f;

    qint64 rest = f;
    qint64 sum = 0;
    for (int i = digitCount - 1; i >= minStepDigit; --i) {
        const int v = static_cast<int>(rest / digits[i].weight);
        if (v != digits[i].value) {
            digits[i].value = v;
            digits[i].modified = true;
        }
        sum += v;
        if (sum == 0 && i > decimalPos)
            leadZeroPos = i;
        rest -= v * digits[i].weight;
    }
    if (f < 0) {
        // The minus sign goes on the most significant digit shown.
        for (int i = leadZeroPos - 1; i >= minStepDigit; --i) {
            const int v = i == leadZeroPos - 1 ? -std::abs(digits[i].value) : std::abs(digits[i].value);
            if (v != digits[i].value) {
                digits[i].value = v;
                digits[i].modified = true;
            }
        }
    }
    lastFrequency = f;

    if (leadZeroPos != lastLeadZeroPos) {
        updateAll = true;
        markLaidOutModified();
    }
    update();
    lastLeadZeroPos = leadZeroPos;
}

void CFreqCtrl::setMinMax(qint64 min, qint64 max)
{
    minFrequency = min;
    maxFrequency = max;
    frequency = std::clamp(frequency, std::min(min, max), std::max(min, max));
}

void CFreqCtrl::setUnit(int unit)
{
    if (unit >= 0 && unit < kUnitCount) {
        decimalPos = kUnits[unit].decimalPos;
        unitText = QString::fromLatin1(kUnits[unit].text);
    }
    updateAll = true;
}

void CFreqCtrl::setDigitColor(const QColor& color)
{
    digitColor = color;
    refresh(true);
}

void CFreqCtrl::setBgColor(const QColor& color)
{
    bgColor = color;
    refresh(true);
}

void CFreqCtrl::setUnitsColor(const QColor& color)
{
    unitsColor = color;
    refresh(true);
}

void CFreqCtrl::setHighlightColor(const QColor& color)
{
    highlightColor = color;
    refresh(true);
}

void CFreqCtrl::refresh(bool all)
{
    if (all) {
        updateAll = true;
        markLaidOutModified();
    }
    update();
}

void CFreqCtrl::markLaidOutModified()
{
    for (int i = minStepDigit; i < digitCount; ++i)
        digits[i].modified = true;
}

QString CFreqCtrl::separatorText(int i) const
{
    if (i == decimalPos)
        return QStringLiteral(".");
    if (i > decimalPos && i < leadZeroPos)
        return QStringLiteral(",");
    if (i < decimalPos && i < leadZeroPos)
        return QStringLiteral(" ");
    return QString();
}

QString CFreqCtrl::displayText() const
{
    QString text;
    for (int i = digitCount - 1; i >= minStepDigit; --i) {
        if (i < leadZeroPos)
            text += QString::number(digits[i].value);
        if (i > minStepDigit && i % 3 == 0)
            text += separatorText(i);
    }
    return text;
}

QRect CFreqCtrl::digitRect(int i) const
{
    return i >= 0 && i < MaxDigits ? digits[i].rect : QRect();
}

void CFreqCtrl::layoutCells()
{
    const int w = contentsRect().width();
    const int h = contentsRect().height();
    const int cell = (w * 100) / ((digitCount + 2) * 100 + separatorCount * 100 / 3);
    const int separator = cell / 3;
    unitRect = QRect(w - 2 * cell, 0, 2 * cell, h);

    for (int i = 0; i < MaxDigits; ++i) {
        digits[i].rect = QRect();
        separatorRects[i] = QRect();
    }
    int x = unitRect.left();
    for (int i = minStepDigit; i < digitCount; ++i) {
        if (i > minStepDigit && i % 3 == 0) {
            x -= separator;
            separatorRects[i] = QRect(x, 0, separator, h);
        }
        x -= cell;
        digits[i].rect = QRect(x, 0, cell, h);
    }
}

void CFreqCtrl::drawFullFace(QPainter& painter)
{
    const int h = contentsRect().height();
    unitFont.setPixelSize(std::max(1, h * 60 / 100));
    digitFont.setPixelSize(std::max(1, h * 90 / 100));

    painter.fillRect(unitRect, bgColor);
    painter.setFont(unitFont);
    painter.setPen(unitsColor);
    painter.drawText(unitRect, Qt::AlignCenter, unitText);

    painter.setFont(digitFont);
    painter.setPen(digitColor);
    for (int i = minStepDigit; i < digitCount; ++i) {
        if (separatorRects[i].isNull())
            continue;
        painter.fillRect(separatorRects[i], bgColor);
        painter.drawText(separatorRects[i], Qt::AlignHCenter | Qt::AlignBottom, separatorText(i));
    }
}

void CFreqCtrl::drawDigits(QPainter& painter)
{
    painter.setFont(digitFont);
    for (int i = minStepDigit; i < digitCount; ++i) {
        Digit& d = digits[i];
        if (!d.modified && !d.editMode)
            continue;
        painter.fillRect(d.rect, d.editMode && d.increment != 0 ? highlightColor : bgColor);
        painter.setPen(i < leadZeroPos ? digitColor : bgColor);
        painter.drawText(d.rect, Qt::AlignCenter, QString::number(d.value));
        d.modified = false;
    }
}

void CFreqCtrl::paintEvent(QPaintEvent*)
{
    if (offscreen.isNull())
        return;
    {
        QPainter painter(&offscreen);
        if (updateAll)
            drawFullFace(painter);
        drawDigits(painter);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, offscreen);
    updateAll = false;
}

void CFreqCtrl::resizeEvent(QResizeEvent*)
{
    const QSize size = contentsRect().size();
    offscreen = size.isEmpty() ? QPixmap() : QPixmap(size);
    if (!offscreen.isNull())
        offscreen.fill(bgColor);
    layoutCells();
    updateAll = true;
    markLaidOutModified();
    update();
}

int CFreqCtrl::digitAt(const QPoint& point) const
{
    for (int i = minStepDigit; i < digitCount; ++i) {
        if (digits[i].rect.contains(point, true))
            return i;
    }
    return -1;
}

bool CFreqCtrl::activeInEditMode() const
{
    return activeDigit >= 0 && activeDigit < digitCount && digits[activeDigit].editMode;
}

void CFreqCtrl::stepActiveDigit(bool up)
{
    if (!activeInEditMode())
        return;
    const qint64 step = digits[activeDigit].increment;
    setFrequency(up ? frequency + step : frequency - step);
}

void CFreqCtrl::stepActiveDigitNoCarry(bool up)
{
    if (!activeInEditMode())
        return;
    const Digit& d = digits[activeDigit];
    // Whatever the step did to the digits above is undone by one weight of the
    // next digit, so only this digit (and those below it) change.
    const qint64 above = d.weight * 10;
    qint64 stepped = up ? frequency + d.increment : frequency - d.increment;
    if (stepped / above != frequency / above)
        stepped += up ? -above : above;
    setFrequency(stepped);
}

void CFreqCtrl::incDigitNoCarry()
{
    stepActiveDigitNoCarry(true);
}

void CFreqCtrl::decDigitNoCarry()
{
    stepActiveDigitNoCarry(false);
}

void CFreqCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (locked || !isActiveWindow())
        return;
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->pos();
    for (int i = minStepDigit; i < digitCount; ++i) {
        Digit& d = digits[i];
        if (d.rect.contains(pos, true)) {
            if (!d.editMode) {
                d.editMode = true;
                activeDigit = i;
            }
        } else if (d.editMode) {
            d.editMode = false;
            d.modified = true;
        }
    }
    update();
}

void CFreqCtrl::leaveEvent(QEvent* event)
{
    if (activeInEditMode()) {
        digits[activeDigit].editMode = false;
        digits[activeDigit].modified = true;
    }
    activeDigit = -1;
    update();
    QFrame::leaveEvent(event);
}

void CFreqCtrl::mousePressEvent(QMouseEvent* event)
{
    if (locked)
        return;
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    const int i = digitAt(event->pos());
    if (i < 0)
        return;
    stepActiveDigit(event->pos().y() < digits[i].rect.bottom() / 2);
}

void CFreqCtrl::wheelEvent(QWheelEvent* event)
{
    if (locked)
        return;
    if (digitAt(event->position().toPoint()) < 0)
        return;
    // A high-resolution wheel sends fractions of a notch; they add up to steps.
    wheelRemainder += event->angleDelta().y();
    const int notches = wheelRemainder / 120;
    wheelRemainder -= notches * 120;
    if (notches != 0)
        stepActiveDigit(notches > 0);
}

void CFreqCtrl::moveCursorTo(int digit)
{
    if (activeInEditMode()) {
        digits[activeDigit].editMode = false;
        digits[activeDigit].modified = true;
    }
    activeDigit = digit;
    // Edit mode follows the keyboard cursor at once; moving the pointer onto the
    // digit keeps the mouse and the keyboard on the same digit.
    digits[digit].editMode = true;
    QCursor::setPos(mapToGlobal(digits[digit].rect.center()));
    update();
}

void CFreqCtrl::keyPressEvent(QKeyEvent* event)
{
    if (locked)
        return;
    const int key = event->key();
    const bool moveRight = [&] {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) {
            if (activeInEditMode()) {
                const Digit& d = digits[activeDigit];
                setFrequency(frequency - d.weight * d.value + d.weight * (key - Qt::Key_0));
            }
            return true;
        }
        return key == Qt::Key_Right;
    }();

    if (moveRight) {
        if (activeDigit > firstStepDigit)
            moveCursorTo(activeDigit - 1);
        else if (activeDigit < 0 && key == Qt::Key_Right)
            QFrame::keyPressEvent(event);
        return;
    }
    switch (key) {
    case Qt::Key_Left:
        if (activeDigit < 0)
            QFrame::keyPressEvent(event);
        else if (activeDigit < digitCount - 1)
            moveCursorTo(activeDigit + 1);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (activeDigit < 0)
            QFrame::keyPressEvent(event);
        else
            stepActiveDigit(key == Qt::Key_Up);
        break;
    case Qt::Key_Home:
        if (activeDigit >= 0)
            moveCursorTo(digitCount - 1);
        break;
    case Qt::Key_End:
        if (activeDigit > 0)
            moveCursorTo(firstStepDigit);
        break;
    default:
        QFrame::keyPressEvent(event);
        break;
    }
}
