// Small custom widgets: lamp buttons, captioned slider and knob, layout panels,
// gain binding.
#include "WidgetsFakeReceiver.h"
#include "ui/widgets/FittedScaleSlider.h"
#include "ui/widgets/HWSettingWrapper.h"
#include "ui/widgets/LayoutPanels.h"
#include "ui/widgets/zxDial.h"
#include "ui/widgets/zxPushButton.h"
#include "ui/widgets/zxSlider.h"

#include <QBoxLayout>
#include <QLabel>
#include <QSignalSpy>
#include <algorithm>
#include <gtest/gtest.h>
#include <qwt_knob.h>
#include <qwt_scale_div.h>
#include <qwt_scale_draw.h>
#include <qwt_scale_engine.h>
#include <qwt_slider.h>

namespace {

TEST(zxPushButton, ShowsItsStateWithTheProjectLamps)
{
    const QPixmap on(":/buttons/on");
    const QPixmap off(":/buttons/off");
    ASSERT_FALSE(on.isNull());
    ASSERT_FALSE(off.isNull());
    EXPECT_NE(on.toImage(), off.toImage());

    zxPushButton button("Enregistrer");
    EXPECT_EQ(button.text(), "Enregistrer");
    EXPECT_EQ(button.toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    EXPECT_FALSE(button.getState());
    EXPECT_FALSE(button.icon().isNull());

    button.setState(true);
    EXPECT_TRUE(button.getState());
    EXPECT_EQ(button.iconSize(), on.size());
    EXPECT_EQ(button.icon().pixmap(on.size()).toImage().convertToFormat(QImage::Format_ARGB32),
              on.toImage().convertToFormat(QImage::Format_ARGB32));
}

TEST(zxPushButton, PressDoesNotToggle)
{
    zxPushButton button("X");
    button.click();
    EXPECT_FALSE(button.getState());
}

struct RangeCase
{
    float min, max;
    double value; // after setRange
    double step;  // scale step size
    int maxMinor;
};

class zxSliderRange : public ::testing::TestWithParam<RangeCase>
{
};

TEST_P(zxSliderRange, FollowsTheRangeRule)
{
    const RangeCase c = GetParam();
    zxSlider slider("Gain");
    slider.setRange(c.min, c.max);
    auto* inner = slider.findChild<QwtSlider*>();
    ASSERT_NE(inner, nullptr);
    EXPECT_DOUBLE_EQ(slider.value(), c.value);
    EXPECT_DOUBLE_EQ(inner->scaleStepSize(), c.step);
    EXPECT_EQ(inner->scaleMaxMinor(), c.maxMinor);
    EXPECT_EQ(inner->totalSteps(), 100u);
    EXPECT_DOUBLE_EQ(inner->minimum(), c.min);
    EXPECT_DOUBLE_EQ(inner->maximum(), c.max);
}

INSTANTIATE_TEST_SUITE_P(Ranges, zxSliderRange,
                         ::testing::Values(RangeCase{0, 100, 50, 6, 6},       // the middle
                                           RangeCase{0, 30, 15, 2, 2},        //
                                           RangeCase{-10, 10, -10, 0, 0},     // automatic ticks
                                           RangeCase{-110, 0, -110, -7, -7})); // squelch starts at -110

TEST(zxSlider, ReportsWholeValuesTruncatedTowardZero)
{
    zxSlider slider("Squelch");
    slider.setRange(-110, 0);
    QSignalSpy spy(&slider, &zxSlider::valueChanged);
    slider.findChild<QwtSlider*>()->setValue(-108.9);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), -108);
}

TEST(zxSlider, SetValueReportsQuietSetDoesNot)
{
    zxSlider slider("Gain");
    QSignalSpy spy(&slider, &zxSlider::valueChanged);
    slider.setRange(0, 100);
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(spy.last().at(0).toInt(), 50);

    spy.clear();
    slider.setValueQuiet(30);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_DOUBLE_EQ(slider.value(), 30);

    slider.setValue(70);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 70);
}

TEST(zxSlider, QuietSetsToTheShownValueDoNotSwallowTheNextUserChange)
{
    zxSlider slider("Gain");
    slider.setRange(0, 100);
    QSignalSpy spy(&slider, &zxSlider::valueChanged);
    slider.setValueQuiet(50);
    slider.setValueQuiet(50);
    slider.findChild<QwtSlider*>()->setValue(51); // the user's first drag step
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 51);
}

// The labels of the slider's major ticks, where its scale draws them, in
// scale order.
QList<QRectF> tickLabels(const QwtSlider& slider)
{
    const QwtScaleDraw* draw = slider.scaleDraw();
    QList<double> ticks = draw->scaleDiv().ticks(QwtScaleDiv::MajorTick);
    std::sort(ticks.begin(), ticks.end());
    QList<QRectF> labels;
    for (double tick : ticks)
        labels << draw->labelRect(slider.font(), tick).translated(draw->labelPosition(tick));
    return labels;
}

TEST(zxSlider, LabelsAsManyTicksAsItsHeightHolds)
{
    const struct
    {
        const char* what;
        float min, max;
        int height;
        int fewestLabels;
        bool askedStepKept;
    } cases[] = {
        {"squelch in the window", -110, 0, 90, 3, false},
        {"volume in the window", 0, 100, 90, 3, false},
        {"a remote gain stage", 0, 49.5f, 90, 3, false},
        {"balance: Qwt's own ticks", -10, 10, 90, 3, true},
        {"squelch standing tall", -110, 0, 600, 16, true},
        {"squelch squeezed", -110, 0, 45, 2, false},
    };
    for (const auto& c : cases) {
        zxSlider slider("Squelch A");
        slider.setRange(c.min, c.max);
        slider.resize(60, c.height);
        slider.show();
        auto* inner = slider.findChild<FittedScaleSlider*>();
        ASSERT_NE(inner, nullptr);
        const QList<QRectF> labels = tickLabels(*inner);
        EXPECT_GE(labels.size(), c.fewestLabels) << c.what;
        int overlapping = -1;
        for (int i = 1; i < labels.size() && overlapping < 0; ++i)
            if (labels[i].intersects(labels[i - 1]))
                overlapping = i;
        EXPECT_EQ(overlapping, -1) << c.what << ": this label runs into the one before";
        EXPECT_EQ(inner->scaleStepSize() == inner->askedStep(), c.askedStepKept) << c.what;
        // The range stays the rule's, whatever the labels.
        EXPECT_DOUBLE_EQ(inner->minimum(), c.min) << c.what;
        EXPECT_DOUBLE_EQ(inner->maximum(), c.max) << c.what;
    }
}

TEST(zxSlider, GrowingBackToRoomRestoresTheAskedStep)
{
    zxSlider slider("Volume");
    slider.setRange(0, 100);
    slider.resize(60, 90);
    slider.show();
    auto* inner = slider.findChild<FittedScaleSlider*>();
    ASSERT_NE(inner->scaleStepSize(), inner->askedStep());
    slider.resize(60, 700);
    QCoreApplication::processEvents();
    EXPECT_EQ(inner->scaleStepSize(), 6);
    EXPECT_EQ(tickLabels(*inner).size(), 17);
}

// An equalizer-like slider reports through its own signal instead.
class BandSlider : public zxSlider
{
public:
    using zxSlider::zxSlider;
    QList<double> reported;

protected:
    void emitValue(double v) override { reported.append(v); }
};

TEST(zxSlider, SubclassReplacesTheReport)
{
    BandSlider slider("100 Hz");
    slider.setRange(-10, 10);
    QSignalSpy spy(&slider, &zxSlider::valueChanged);
    slider.setValue(3);
    EXPECT_EQ(spy.count(), 0);
    ASSERT_FALSE(slider.reported.isEmpty());
    EXPECT_DOUBLE_EQ(slider.reported.last(), 3.0);
}

TEST(zxDial, StylesConfigureTheKnob)
{
    zxDial wrapping(0, "Azimut", true);
    auto* k0 = wrapping.findChild<QwtKnob*>();
    EXPECT_TRUE(k0->wrapping());
    EXPECT_EQ(k0->knobStyle(), QwtKnob::Sunken);
    EXPECT_EQ(k0->markerStyle(), QwtKnob::Nub);
    EXPECT_DOUBLE_EQ(k0->scaleStepSize(), 10);
    EXPECT_DOUBLE_EQ(k0->upperBound(), 100);
    EXPECT_EQ(k0->knobWidth(), 40);

    zxDial decades(3, "Gain", true);
    auto* k3 = decades.findChild<QwtKnob*>();
    EXPECT_NE(dynamic_cast<const QwtLogScaleEngine*>(k3->scaleEngine()), nullptr);
    EXPECT_DOUBLE_EQ(k3->lowerBound(), 0.1);
    EXPECT_DOUBLE_EQ(k3->upperBound(), 1000);

    zxDial halfTurn(5, "Balance", false);
    auto* k5 = halfTurn.findChild<QwtKnob*>();
    EXPECT_EQ(k5->knobStyle(), QwtKnob::Styled);
    EXPECT_EQ(k5->markerStyle(), QwtKnob::Triangle);
    EXPECT_DOUBLE_EQ(k5->totalAngle(), 180);
    EXPECT_DOUBLE_EQ(k5->lowerBound(), 100);
    EXPECT_DOUBLE_EQ(k5->upperBound(), -100);
}

TEST(zxDial, CaptionGoesAboveOrBelowTheKnob)
{
    for (bool below : {true, false}) {
        zxDial dial(1, "Niveau", below);
        auto* layout = qobject_cast<QBoxLayout*>(dial.layout());
        ASSERT_NE(layout, nullptr);
        QWidget* first = layout->itemAt(0)->widget();
        EXPECT_EQ(qobject_cast<QwtKnob*>(first) != nullptr, below);
    }
}

TEST(zxDial, SetRangeFlattensAndReportsQuietSetsDoNot)
{
    zxDial dial(1, "Niveau", true);
    QSignalSpy spy(&dial, &zxDial::valueChanged);
    dial.setRange(0, 30);
    auto* knob = dial.findChild<QwtKnob*>();
    EXPECT_EQ(knob->knobStyle(), QwtKnob::Flat);
    EXPECT_EQ(knob->markerStyle(), QwtKnob::Notch);
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(spy.last().at(0).toInt(), 15);
    spy.clear();
    dial.setValueQuiet(15);
    knob->setValue(20.7);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 20);
}

TEST(LayoutPanels, TitlesAndAlignment)
{
    const QString style = "QLabel { background-color : black; color : yellow; border: 1px solid yellow;}";

    VerticalLayoutPanel untitled("");
    EXPECT_EQ(untitled.findChild<QLabel*>(), nullptr);
    EXPECT_EQ(untitled.layout()->alignment(), Qt::AlignLeft | Qt::AlignTop);

    VerticalLayoutPanel titled("Antenne");
    auto* title = qobject_cast<QLabel*>(titled.layout()->itemAt(0)->widget());
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "Antenne");
    EXPECT_EQ(title->styleSheet(), style);
    auto* w = new QLabel("x");
    titled.addWidget(w);
    EXPECT_EQ(titled.layout()->itemAt(1)->widget(), w);

    HorizontalLayoutPanel row("");
    EXPECT_EQ(row.findChild<QLabel*>(), nullptr);
    EXPECT_NE(qobject_cast<QHBoxLayout*>(row.layout()), nullptr);

    HorizontalLayoutPanel titledRow("Audio");
    auto* outer = titledRow.layout();
    ASSERT_NE(qobject_cast<QVBoxLayout*>(outer), nullptr);
    EXPECT_EQ(qobject_cast<QLabel*>(outer->itemAt(0)->widget())->styleSheet(), style);
    auto* item = new QLabel("y");
    titledRow.addWidget(item);
    EXPECT_EQ(item->parentWidget(), outer->itemAt(1)->widget());
}

TEST(HWSettingWrapper, SetsTheGainOfItsStageOnlyWithAReceiver)
{
    HWSettingWrapper wrapper;
    wrapper.SLOT_setGain(12); // no receiver: nothing happens

    WidgetsFakeReceiver receiver;
    wrapper.hardware = &receiver;
    wrapper.stage = 2;
    wrapper.SLOT_setGain(12);
    ASSERT_EQ(receiver.gainsSet.size(), 1);
    EXPECT_FLOAT_EQ(receiver.gainsSet[0].first, 12.0f);
    EXPECT_EQ(receiver.gainsSet[0].second, 2);
}

} // namespace
