#include "ui/widgets/zxDial.h"

#include "ui/widgets/ScaleRange.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <qwt_knob.h>
#include <qwt_scale_engine.h>

namespace {

void applyKnobStyle(QwtKnob* knob, int knobStyle)
{
    knob->setTracking(true);
    switch (knobStyle) {
    case 0: // a full-turn control from 0 to 100
        knob->setKnobStyle(QwtKnob::Sunken);
        knob->setMarkerStyle(QwtKnob::Nub);
        knob->setWrapping(true);
        knob->setNumTurns(1);
        knob->setScaleStepSize(10);
        knob->setScale(0, 100);
        knob->setTotalSteps(100);
        break;
    case 1:
        knob->setKnobStyle(QwtKnob::Sunken);
        knob->setMarkerStyle(QwtKnob::Dot);
        break;
    case 2:
        knob->setKnobStyle(QwtKnob::Sunken);
        knob->setMarkerStyle(QwtKnob::Tick);
        knob->setTotalSteps(100);
        knob->setStepAlignment(false);
        knob->setPageSteps(5);
        break;
    case 3: // decades from 0.1 to 1000
        knob->setKnobStyle(QwtKnob::Flat);
        knob->setMarkerStyle(QwtKnob::Notch);
        knob->setScaleEngine(new QwtLogScaleEngine(10));
        knob->setScaleStepSize(1);
        knob->setScale(0.1, 1000);
        knob->setScaleMaxMinor(10);
        break;
    case 4:
        knob->setKnobStyle(QwtKnob::Raised);
        knob->setMarkerStyle(QwtKnob::Dot);
        knob->setWrapping(true);
        break;
    case 5: // a half-turn control from +100 on the left to -100 on the right
        knob->setKnobStyle(QwtKnob::Styled);
        knob->setMarkerStyle(QwtKnob::Triangle);
        knob->setTotalAngle(180);
        knob->setScale(100, -100);
        break;
    default:
        break;
    }
}

} // namespace

zxDial::zxDial(int knobStyle, const QString& label, bool labelBelow, QWidget* parent)
    : QWidget(parent), knob(new QwtKnob(this))
{
    applyKnobStyle(knob, knobStyle);
    knob->setKnobWidth(40);
    auto* caption = new QLabel(label, this);
    caption->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    if (labelBelow) {
        layout->addWidget(knob);
        layout->addWidget(caption);
    } else {
        layout->addWidget(caption);
        layout->addWidget(knob);
    }
    connect(knob, &QwtKnob::valueChanged, this, &zxDial::setNum);
}

void zxDial::setRange(float min, float max)
{
    knob->setKnobStyle(QwtKnob::Flat);
    knob->setMarkerStyle(QwtKnob::Notch);
    applyScaleRange(knob, min, max);
}

void zxDial::setValue(float v)
{
    knob->setValue(v);
}

void zxDial::setValueQuiet(float v)
{
    // See zxSlider::setValueQuiet: no flag is left armed for the next change.
    const QSignalBlocker blocker(knob);
    knob->setValue(v);
}

double zxDial::value() const
{
    return knob->value();
}

void zxDial::setNum(double v)
{
    emit valueChanged(static_cast<int>(v));
}
