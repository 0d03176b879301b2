#include "EqualizerControls.h"

#include "EqualizerSlider.h"
#include "engine/audio/Equalizer.h"
#include "ui/widgets/zxPushButton.h"

#include <QCoreApplication>
#include <QPointer>

namespace EqualizerControls {

EqualizerSlider* createSlider(int band)
{
    Equalizer* equalizer = Equalizer::instance();
    const int index = ((band % Equalizer::kBandCount) + Equalizer::kBandCount) % Equalizer::kBandCount;
    auto* slider = new EqualizerSlider(index, QString::number(equalizer->getBandFrequency(index)) + " Hz");
    slider->setRange(-10, 10);
    slider->setValueQuiet(equalizer->getBandStartGain(index));
    QObject::connect(slider, &EqualizerSlider::equalizerChanged, equalizer, &Equalizer::SLOT_SliderChanged,
                     Qt::QueuedConnection);
    return slider;
}

QWidget* getOnOffButton()
{
    static QPointer<zxPushButton> button;
    if (button)
        return button;
    Equalizer* equalizer = Equalizer::instance();
    button = new zxPushButton(QCoreApplication::translate("Equalizer", "Equalizer"));
    button->setState(equalizer->isEnabled());
    zxPushButton* made = button;
    QObject::connect(made, &zxPushButton::pressed, equalizer, &Equalizer::SLOT_turnOnOffEqualizer,
                     Qt::QueuedConnection);
    // Also a toggle that did not come from the button shows on it.
    QObject::connect(equalizer, &Equalizer::enabledChanged, made, &zxPushButton::setState);
    return made;
}

} // namespace EqualizerControls
