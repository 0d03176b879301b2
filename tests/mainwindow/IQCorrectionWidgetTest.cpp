// The calibration dialog: loading without applying, live factors, "RAZ",
// "Annuler", the frequency error and what "OK" keeps.
#include "WindowFixture.h"

#include "DebugCapture.h"
#include "mainwindow/IQCorrectionWidget.h"
#include "ui/widgets/CFreqCtrl.h"

#include <QSlider>

namespace {

class IQDialog : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        attachEngine();
    }

    IQCorrectionWidget dialog{engine.get()};
};

} // namespace

TEST_F(IQDialog, LoadingShowsTheFactorsAndAppliesNothing)
{
    receiver.iq[0] = 0.9995f;
    receiver.iq[1] = 1.1f;
    receiver.iq[2] = -0.05f;
    dialog.setTargetBoard(&receiver, 10000);
    EXPECT_EQ(dialog.gainISlider()->value(), 999);
    EXPECT_EQ(dialog.gainQSlider()->value(), 1100);
    EXPECT_EQ(dialog.crossGainSlider()->value(), -50);
    EXPECT_EQ(receiver.iqCalls, 0);
    EXPECT_EQ(dialog.frequencyEntry()->getFrequency(), Centre + 10000);
}

TEST_F(IQDialog, SlidersApplyLiveAndResetEndsUncorrected)
{
    receiver.iq[0] = 0.9f;
    receiver.iq[1] = 1.1f;
    receiver.iq[2] = 0.1f;
    dialog.setTargetBoard(&receiver, 0);
    dialog.gainISlider()->setValue(950);
    EXPECT_EQ(receiver.iqCalls, 1);
    EXPECT_FLOAT_EQ(receiver.iq[0], 0.95f);
    receiver.iqCalls = 0;
    dialog.SLOT_setNoCorrection();
    EXPECT_EQ(receiver.iqCalls, 3);
    EXPECT_FLOAT_EQ(receiver.iq[0], 1.0f);
    EXPECT_FLOAT_EQ(receiver.iq[1], 1.0f);
    EXPECT_FLOAT_EQ(receiver.iq[2], 0.0f);
}

TEST_F(IQDialog, CancelRestoresTheFactorsOfTheOpening)
{
    receiver.iq[0] = 0.9f;
    dialog.setTargetBoard(&receiver, 0);
    dialog.gainISlider()->setValue(800);
    dialog.gainISlider()->setValue(1200);
    dialog.crossGainSlider()->setValue(300);
    dialog.SLOT_cancelChanges();
    EXPECT_FLOAT_EQ(receiver.iq[0], 0.9f);
    EXPECT_FLOAT_EQ(receiver.iq[2], 0.0f);
}

TEST_F(IQDialog, OkKeepsTheMeasuredErrorAndRecentresRxA)
{
    dialog.setTargetBoard(&receiver, 10000);
    dialog.frequencyEntry()->setFrequency(145010290);
    EXPECT_NEAR(dialog.ppmValue(), 2.0, 1e-4);
    dialog.gainQSlider()->setValue(1010);
    receiver.centresSet.clear();
    dialog.SLOT_applyChanges();
    EXPECT_NEAR(receiver.ppm, 2.0, 1e-4);
    ASSERT_FALSE(receiver.centresSet.isEmpty());
    EXPECT_EQ(receiver.centresSet.first(), Centre);
    EXPECT_EQ(engine->getRxOffset(0), 10000);
    std::unique_ptr<QSettings> file = board();
    EXPECT_NEAR(file->value(BoardSettings::KeyPpmError).toDouble(), 2.0, 1e-4);
    EXPECT_NEAR(file->value(BoardSettings::KeyGainQ).toDouble(), 1.01, 1e-6);
    EXPECT_EQ(file->value(BoardSettings::KeyGainI).toDouble(), 1.0);
    EXPECT_EQ(file->value(BoardSettings::KeyGainC).toDouble(), 0.0);
}

TEST_F(IQDialog, OkWithoutAMeasurementKeepsTheReceiversError)
{
    receiver.ppm = -3.5;
    dialog.setTargetBoard(&receiver, 0);
    dialog.SLOT_applyChanges();
    EXPECT_DOUBLE_EQ(receiver.ppm, -3.5);
    EXPECT_DOUBLE_EQ(board()->value(BoardSettings::KeyPpmError).toDouble(), -3.5);
}

TEST_F(IQDialog, AReceiverCentredAtZeroGivesNoError)
{
    receiver.center = 0;
    receiver.ppm = 1.5;
    dialog.setTargetBoard(&receiver, 0);
    dialog.SLOT_userTunesFreqWidget(145000000);
    EXPECT_FLOAT_EQ(dialog.ppmValue(), 1.5f);
}

TEST_F(IQDialog, WithoutReceiverNothingIsAppliedOrKept)
{
    DebugCapture debug;
    dialog.setTargetBoard(nullptr, 0);
    EXPECT_TRUE(debug.contains("IQCorrectionWidget::setTargetBoard"));
    dialog.gainISlider()->setValue(500);
    dialog.SLOT_applyChanges();
    EXPECT_EQ(receiver.iqCalls, 0);
    EXPECT_FALSE(board()->contains(BoardSettings::KeyPpmError));
}
