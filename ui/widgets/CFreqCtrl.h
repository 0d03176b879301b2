#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QPixmap>
#include <QRect>
#include <QString>

// Digit-by-digit frequency entry: large decimal digits with group separators
// and a unit field. The user changes one digit at a time with the mouse (upper
// or lower half of a digit, wheel) or the keyboard (arrows, digit keys typed
// over a digit). The widget only emits the accepted value; its owner tunes.
class CFreqCtrl : public QFrame
{
    Q_OBJECT
public:
    static constexpr int MaxDigits = 12;
    static constexpr int MinDigits = 4;

    explicit CFreqCtrl(QWidget* parent = nullptr);

    // digits 4..12, limits, smallest step (0 means 1), unit 0..7 (Hz, kHz, MHz,
    // GHz, Sec, mS, uS, nS). Repaints nothing by itself.
    void setup(int digits, qint64 min, qint64 max, int resolution, int unit);
    // Shows freq without emitting newFrequency; returns the leading-zero position.
    int showFrequency(qint64 freq);
    void setLocked(bool on) { locked = on; }
    bool isLocked() const { return locked; }
    void setMinMax(qint64 min, qint64 max);
    void setUnit(int unit);
    void setDigitColor(const QColor& color);
    void setBgColor(const QColor& color);
    void setUnitsColor(const QColor& color);
    void setHighlightColor(const QColor& color);
    void refresh(bool all);
    // Step the active digit up or down without carrying into, or borrowing
    // from, the digits above it (9 wraps to 0 and 0 to 9).
    void incDigitNoCarry();
    void decDigitNoCarry();

    qint64 getFrequency() const { return frequency; }
    QString getUnitText() const { return unitText; }
    int getActiveDigit() const { return activeDigit; }
    // The digits and separators as they are drawn, leading zeros left out
    // ("145.500 00" for 145.5 MHz in MHz with a 10 Hz resolution).
    QString displayText() const;
    // Cell of digit i (index 0 = least significant); empty when it has none.
    QRect digitRect(int i) const;

    QSize sizeHint() const override { return QSize(300, 30); }
    QSize minimumSizeHint() const override { return QSize(300, 30); }

public slots:
    void setFrequency(qint64 freq);

signals:
    void newFrequency(qint64 freq);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Digit
    {
        qint64 weight = 1;
        qint64 increment = 1; // step of this digit; 0 for digits below the resolution
        QRect rect;
        int value = 0;
        bool modified = true;
        bool editMode = false;
    };

    void applyFrequency(qint64 freq);
    void layoutCells();
    void drawFullFace(QPainter& painter);
    void drawDigits(QPainter& painter);
    QString separatorText(int i) const;
    int digitAt(const QPoint& point) const;
    void stepActiveDigit(bool up);
    void stepActiveDigitNoCarry(bool up);
    void moveCursorTo(int digit);
    void markLaidOutModified();
    bool activeInEditMode() const;

    bool locked = false;
    bool updateAll = true;
    int firstStepDigit = 0;
    int lastLeadZeroPos = 0;
    int leadZeroPos = 0;
    int digitCount = 0;
    int minStepDigit = 0;
    int activeDigit = -1;
    int decimalPos = 0;
    int separatorCount = 0;
    int wheelRemainder = 0; // angle delta of a high-resolution wheel not yet worth a step
    qint64 resolution = 1;
    qint64 frequency = 0;
    qint64 lastFrequency = 0;
    qint64 minFrequency = 0;
    qint64 maxFrequency = 0;
    QColor digitColor{255, 230, 200};
    QColor bgColor{32, 32, 32};
    QColor unitsColor{Qt::gray};
    QColor highlightColor{90, 90, 90};
    QPixmap offscreen;
    QRect unitRect;
    QRect separatorRects[MaxDigits];
    QString unitText;
    QFont digitFont;
    QFont unitFont;
    Digit digits[MaxDigits];
};
