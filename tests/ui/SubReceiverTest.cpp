// The RX B panel on an engine: the small-band window to the display, retune
// reports, steps, the lock and the on/off button.
#include "ui/panels/SubReceiver.h"
#include "engine/VisuFifo.h"
#include "ui/plotter/CPlotter.h"
#include "ui/widgets/CFreqCtrl.h"

#include "AttachedEngine.h"

#include <QComboBox>
#include <QMutexLocker>
#include <QPushButton>
#include <QSignalSpy>
#include <cmath>

class SubReceiverTest : public AttachedEngine
{
protected:
    void SetUp() override
    {
        attach();
        panel.setController(&engine);
    }
    SubReceiver panel{false};
};

TEST_F(SubReceiverTest, FirstFrameCentresTheDisplayOnTheChannel)
{
    VisuFifo& window = *engine.smallband_visu_fifo;
    {
        QMutexLocker locker(window.mutex.get());
        window.allocate(1 << 16);
        for (int i = 0; i < window.capacity; ++i)
            window.buffer[i] = std::polar(0.5f, float(2 * M_PI * 3000.0 * i / 16000));
        window.rate = 16000;
        window.centre = Centre;
        window.offset = 12000;
        window.blockCount = 1;
    }
    panel.SLOT_repaintSpectrum();
    CPlotter* plotter = panel.getPlotter();
    EXPECT_EQ(plotter->getSampleRate(), 16000);
    EXPECT_EQ(plotter->getSpan(), 16000);
    EXPECT_EQ(plotter->getCenterFreq(), Centre + 12000);
}

TEST_F(SubReceiverTest, ChannelOneRetuneRecentresAndReportsSixteenKilohertz)
{
    QSignalSpy coverage(&panel, &SubReceiver::SIGNAL_RXcoverageUpdated);
    QSignalSpy asked(panel.getFreqCtrl(), &CFreqCtrl::newFrequency);
    panel.SLOT_ChannelizerIsRetuned(144000000, 800000, 1);
    EXPECT_EQ(panel.getPlotter()->getCenterFreq(), 144800000);
    EXPECT_EQ(panel.getPlotter()->getDemodFreq(), 144800000);
    ASSERT_EQ(coverage.count(), 1);
    EXPECT_EQ(coverage.at(0).at(0).toInt(), 1);
    EXPECT_EQ(coverage.at(0).at(1).toDouble(), 144792000.0);
    EXPECT_EQ(coverage.at(0).at(2).toDouble(), 144808000.0);
    EXPECT_EQ(asked.count(), 0) << "shown, not asked again";
}

TEST_F(SubReceiverTest, StepsAndLock)
{
    QComboBox* steps = panel.getStepBox();
    ASSERT_EQ(steps->count(), 13);
    steps->setCurrentIndex(steps->findText("8.33 KHz"));
    EXPECT_EQ(engine.getStepSize(1), 8330);

    panel.SLOT_stepUp();
    EXPECT_EQ(engine.getRxOffset(1), 8330);

    panel.SLOT_lockChannelizer();
    EXPECT_TRUE(engine.isChannelLocked(1));
    EXPECT_EQ(panel.getLockButton()->text(), "UNLOCK");
    panel.SLOT_stepUp();
    panel.SLOT_stepDown();
    EXPECT_EQ(engine.getRxOffset(1), 8330);

    panel.SLOT_lockChannelizer();
    EXPECT_FALSE(engine.isChannelLocked(1));
    EXPECT_EQ(panel.getLockButton()->text(), "LOCK");
}

TEST_F(SubReceiverTest, ClickTunesChannelOneThroughTheEngine)
{
    emit panel.getPlotter()->newDemodFreq(Centre, -30000);
    EXPECT_EQ(engine.getRxOffset(1), -30000);
}

TEST_F(SubReceiverTest, OnOffButtonSwitchesTheChannelAndTheTimer)
{
    panel.SLOT_userSetOnOff();
    EXPECT_TRUE(engine.channelOn[1].load());
    EXPECT_NE(engine.currentDemodulator(1), nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(panel.isRepainting());
    EXPECT_EQ(panel.getOnOffButton()->text(), "Arret");
    panel.SLOT_userSetOnOff();
    QCoreApplication::processEvents();
    EXPECT_FALSE(engine.channelOn[1].load());
    EXPECT_FALSE(panel.isRepainting());
}
