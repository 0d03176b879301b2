#pragma once

#include <QWidget>

class FittedScaleSlider;

// A vertical Qwt slider above a caption that reports whole values and can be
// set without reporting. Its scale labels as many ticks as its height holds.
class zxSlider : public QWidget
{
    Q_OBJECT
public:
    explicit zxSlider(const QString& label, QWidget* parent = nullptr);

    void setRange(float min, float max);
    // Moves the slider; the change is reported through emitValue.
    void setValue(float v);
    // Moves the slider without reporting the change.
    void setValueQuiet(float v);
    double value() const;

signals:
    void valueChanged(int val);

protected:
    // Reports a change; the base emits valueChanged with v truncated toward zero.
    virtual void emitValue(double v);

private slots:
    void setNum(double v);

private:
    FittedScaleSlider* slider;
};
