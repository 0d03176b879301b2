// The equalizer's sliders and its on/off button in the audio panel.
#include "ui/widgets/EqualizerControls.h"
#include "WaitFor.h"
#include "engine/audio/Equalizer.h"
#include "ui/widgets/EqualizerSlider.h"
#include "ui/widgets/zxPushButton.h"

#include <QLabel>
#include <QSignalSpy>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

TEST(EqualizerControls, ASliderIsForItsBandAndQuietWhileBuilt)
{
    std::unique_ptr<EqualizerSlider> slider(EqualizerControls::createSlider(5));
    EXPECT_EQ(slider->band(), 1);
    const QList<QLabel*> labels = slider->findChildren<QLabel*>();
    ASSERT_FALSE(labels.isEmpty());
    EXPECT_EQ(labels.first()->text(), QString::number(Equalizer::instance()->getBandFrequency(1)) + " Hz");
    EXPECT_EQ(slider->value(), Equalizer::instance()->getBandStartGain(1));
    // Building sent nothing: the band keeps its gain.
    QCoreApplication::processEvents();
    EXPECT_DOUBLE_EQ(Equalizer::instance()->bandGain(1), Equalizer::instance()->getBandStartGain(1));
}

TEST(EqualizerControls, MovingASliderSetsItsBandInWholeDecibels)
{
    std::unique_ptr<EqualizerSlider> slider(EqualizerControls::createSlider(2));
    QSignalSpy changed(slider.get(), &EqualizerSlider::equalizerChanged);
    slider->setValue(10);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.first(), (QList<QVariant>{2, 10}));
    EXPECT_TRUE(waitFor([] { return Equalizer::instance()->bandGain(2) == 10.0; }));
    slider->setValue(Equalizer::instance()->getBandStartGain(2));
    EXPECT_TRUE(waitFor(
        [] { return Equalizer::instance()->bandGain(2) == Equalizer::instance()->getBandStartGain(2); }));
}

TEST(EqualizerControls, OneButtonWhoseStateFollowsTheEqualizer)
{
    QWidget* button = EqualizerControls::getOnOffButton();
    EXPECT_EQ(EqualizerControls::getOnOffButton(), button);
    auto* toggle = qobject_cast<zxPushButton*>(button);
    ASSERT_NE(toggle, nullptr);
    const bool before = Equalizer::instance()->isEnabled();
    EXPECT_EQ(toggle->getState(), before);
    toggle->click();
    EXPECT_TRUE(waitFor(
        [&] { return Equalizer::instance()->isEnabled() != before && toggle->getState() != before; }));
    toggle->click();
    EXPECT_TRUE(waitFor(
        [&] { return Equalizer::instance()->isEnabled() == before && toggle->getState() == before; }));
    delete button;
    EXPECT_NE(EqualizerControls::getOnOffButton(), nullptr);
    delete EqualizerControls::getOnOffButton();
}

TEST(EqualizerControls, TheButtonShowsAToggleMadeElsewhere)
{
    auto* button = qobject_cast<zxPushButton*>(EqualizerControls::getOnOffButton());
    ASSERT_NE(button, nullptr);
    Equalizer* equalizer = Equalizer::instance();
    // A script or another panel toggles without the button: directly on the
    // GUI thread, or queued from another thread.
    const std::function<void()> toggles[] = {
        [equalizer] { equalizer->SLOT_turnOnOffEqualizer(); },
        [equalizer] {
            std::thread([equalizer] {
                QMetaObject::invokeMethod(equalizer, &Equalizer::SLOT_turnOnOffEqualizer,
                                          Qt::QueuedConnection);
            }).join();
        },
    };
    for (const auto& toggle : toggles) {
        const bool before = equalizer->isEnabled();
        ASSERT_EQ(button->getState(), before);
        toggle();
        EXPECT_TRUE(
            waitFor([&] { return equalizer->isEnabled() != before && button->getState() != before; }));
    }
    delete button;
}
