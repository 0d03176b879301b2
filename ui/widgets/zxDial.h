#pragma once

#include <QWidget>

class QwtKnob;

// A Qwt knob with a caption above or below it that reports whole values and
// can be set without reporting. The style number picks one of the knob looks
// used across the program (see the constructor).
class zxDial : public QWidget
{
    Q_OBJECT
public:
    zxDial(int knobStyle, const QString& label, bool labelBelow, QWidget* parent = nullptr);

    // Flat knob with a notch, then the range rule of the captioned slider.
    void setRange(float min, float max);
    void setValue(float v);
    void setValueQuiet(float v);
    double value() const;

signals:
    void valueChanged(int val);

private slots:
    void setNum(double v);

private:
    QwtKnob* knob;
};
