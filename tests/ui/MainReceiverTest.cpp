// The RX A panel on an engine: attachment, the full-band display path from the
// engine's window to the plotter, the scanner and the latest-spectrum store,
// tuning by click, the click offset of each mode, the on/off button and retune
// reports.
#include "ui/panels/MainReceiver.h"
#include "core/GlobalRFData.h"
#include "engine/SampleContext.h"
#include "engine/VisuFifo.h"
#include "engine/demod/CWDemodulator.h"
#include "ui/plotter/CPlotter.h"
#include "ui/scanner/SpectumScanner.h"

#include "AttachedEngine.h"
#include "WaitFor.h"

#include <QApplication>
#include <QMutexLocker>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace {
// Fills the full-band window with a tone toneHz from the centre, as one new block.
void fillTone(VisuFifo& window, int rate, qint64 centre, double toneHz, int blocks)
{
    QMutexLocker locker(window.mutex.get());
    if (window.capacity < 2 * 32768)
        window.allocate(2 * 32768);
    for (int i = 0; i < window.capacity; ++i)
        window.buffer[i] = std::polar(0.5f, float(2 * M_PI * toneHz * i / rate));
    window.rate = rate;
    window.centre = centre;
    window.offset = 0;
    window.blockCount = blocks;
    window.readPosition = 0;
}
} // namespace

class MainReceiverTest : public AttachedEngine
{
protected:
    void SetUp() override
    {
        attach();
        FULLBAND_FFT_LENGTH = 32768;
        panel.resize(800, 500);
        panel.setController(&engine);
    }
    MainReceiver panel;
};

TEST_F(MainReceiverTest, AttachmentShowsHalfOfAFastReceiversBand)
{
    CPlotter* plotter = panel.getPlotter();
    EXPECT_EQ(plotter->getSampleRate(), Rate);
    EXPECT_EQ(plotter->getSpan(), Rate / 2);
    EXPECT_EQ(plotter->getCenterFreq(), Centre);
    EXPECT_EQ(plotter->getDemodFreq(), Centre);
}

TEST_F(MainReceiverTest, ToneInTheWindowPeaksAtItsBinAndFrequency)
{
    for (int frame = 1; frame <= 3; ++frame) {
        fillTone(*engine.fullband_visu_fifo, Rate, Centre, 100000, frame);
        panel.SLOT_repaintSpectrum();
    }
    int length = 0, rate = 0;
    double* values = nullptr;
    GlobalRFData::instance()->getSpectrum(&length, &values, &rate);
    ASSERT_EQ(length, 32768);
    EXPECT_EQ(rate, Rate);
    const int peak = int(std::max_element(values, values + length) - values);
    EXPECT_EQ(peak, 16384 + 1600);
    const double frequency = Centre - Rate / 2.0 + double(peak) * Rate / length;
    EXPECT_DOUBLE_EQ(frequency, Centre + 100000.0);
    EXPECT_NEAR(values[peak], 20 * std::log10(0.3635819), 0.1);
    free(values);
    // The scanner took the third spectrum.
    EXPECT_EQ(panel.getScanner()->getTracker().getGroupCount(), 32768 / 4);
}

TEST_F(MainReceiverTest, AWindowAtAnotherRateRescalesTheDisplay)
{
    fillTone(*engine.fullband_visu_fifo, 1200000, Centre + 5000, 0, 1);
    panel.SLOT_repaintSpectrum();
    CPlotter* plotter = panel.getPlotter();
    EXPECT_EQ(plotter->getSampleRate(), 1200000);
    EXPECT_EQ(plotter->getSpan(), 400000);
    EXPECT_EQ(plotter->getCenterFreq(), Centre + 5000);
}

TEST_F(MainReceiverTest, ClickTunesChannelZeroThroughTheEngine)
{
    QSignalSpy retunes(&engine, &Controller::MSG_ChannelizerIsRetuned);
    emit panel.getPlotter()->newDemodFreq(Centre, 50000);
    EXPECT_EQ(engine.getRxOffset(0), 50000);
    ASSERT_GE(retunes.count(), 1);
    EXPECT_EQ(retunes.last().at(2).toInt(), 0);
}

TEST_F(MainReceiverTest, OnOffButtonSwitchesTheChannelAndTheTimer)
{
    QPushButton* button = panel.getOnOffButton();
    panel.SLOT_userSetOnOff();
    EXPECT_FALSE(button->isEnabled()) << "until the engine's signal comes back";
    EXPECT_TRUE(engine.channelOn[0].load());
    EXPECT_NE(engine.currentDemodulator(0), nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(panel.isRepainting());
    EXPECT_EQ(button->text(), "Arret");

    panel.SLOT_userSetOnOff();
    QCoreApplication::processEvents();
    EXPECT_FALSE(engine.channelOn[0].load());
    EXPECT_FALSE(panel.isRepainting());
    EXPECT_EQ(button->text(), "Marche");
}

TEST_F(MainReceiverTest, RetuneReportsMoveTheLineThePanOrTheCentre)
{
    CPlotter* plotter = panel.getPlotter();
    struct Case
    {
        const char* what;
        qint64 centre;
        float offset;
        qint64 displayCentre;
        qint64 demod;
    };
    // The window shows 1.024 MHz around the centre of a 2.048 MS/s band.
    const Case cases[] = {
        {"visible: only the line", Centre, 300000, Centre, Centre + 300000},
        {"in the band: the window pans", Centre, 800000, Centre, Centre + 800000},
        {"a new centre: recentred", Centre + 5000000, 0, Centre + 5000000, Centre + 5000000},
    };
    for (const Case& c : cases) {
        QSignalSpy coverage(&panel, &MainReceiver::SIGNAL_RXcoverageUpdated);
        panel.SLOT_ChannelizerIsRetuned(c.centre, c.offset, 0);
        EXPECT_EQ(plotter->getCenterFreq(), c.displayCentre) << c.what;
        EXPECT_EQ(plotter->getDemodFreq(), c.demod) << c.what;
        ASSERT_EQ(coverage.count(), 1) << c.what;
        const double low = coverage.at(0).at(1).toDouble();
        const double high = coverage.at(0).at(2).toDouble();
        EXPECT_LE(low, double(c.demod)) << c.what;
        EXPECT_GE(high, double(c.demod)) << c.what;
        EXPECT_DOUBLE_EQ(high - low, double(plotter->getSpan())) << c.what;
    }
}

TEST_F(MainReceiverTest, ALockedDisplayStaysLockedThroughEveryRetuneItFollows)
{
    CPlotter* plotter = panel.getPlotter();
    panel.setTuningLocked(true);
    const struct
    {
        const char* what;
        std::function<void()> report;
    } reports[] = {
        {"the line moves", [&] { panel.SLOT_ChannelizerIsRetuned(Centre, 300000, 0); }},
        {"the window pans", [&] { panel.SLOT_ChannelizerIsRetuned(Centre, 800000, 0); }},
        {"a remote receiver's new centre", [&] { panel.SLOT_ChannelizerIsRetuned(Centre + 5000000, 0, 0); }},
        {"a recording at another rate",
         [&] {
             fillTone(*engine.fullband_visu_fifo, 1200000, Centre + 5000, 0, 1);
             panel.SLOT_repaintSpectrum();
         }},
        {"a step", [&] { panel.SLOT_stepFrequency(1000); }},
    };
    for (const auto& r : reports) {
        r.report();
        EXPECT_TRUE(plotter->isTuningLocked()) << r.what;
        EXPECT_TRUE(panel.isTuningLocked()) << r.what;
    }
    panel.setTuningLocked(false);
    EXPECT_FALSE(plotter->isTuningLocked());
}

TEST_F(MainReceiverTest, CwPutsAClickedSignalInTheMiddleOfItsPassBand)
{
    CWDemodulator cw;
    panel.SLOT_newModulatorInstalled(&cw, 0);
    panel.SLOT_setNewFilterFreqValue(300, 900);
    CPlotter* plotter = panel.getPlotter();
    EXPECT_EQ(plotter->getClickOffset(), 600);
    EXPECT_EQ(plotter->getLowCut(), 300);
    EXPECT_EQ(plotter->getHighCut(), 900);
}

TEST_F(MainReceiverTest, ClickOffsetIsTheMiddleOfTheCwPassBandInForceAndZeroInOtherModes)
{
    CPlotter* plotter = panel.getPlotter();
    QSpinBox* widthBox = nullptr;
    for (QSpinBox* box : panel.findChildren<QSpinBox*>())
        if (box->toolTip() == "Largeur de bande demodulee")
            widthBox = box;
    ASSERT_NE(widthBox, nullptr);
    // CW keeps its low edge at 100 Hz.
    const struct
    {
        const char* what;
        std::function<void()> change;
        qint64 expected;
    } cases[] = {
        {"CW, then AM", [&] { panel.SLOT_setModulatorByName("AM", 0, 0); }, 0},
        {"CW, then FMN", [&] { panel.SLOT_setModulatorByName("NBFM", 0, 0); }, 0},
        {"CW, then MSR", [&] { panel.SLOT_setModulatorByName("MES", 0, 0); }, 0},
        {"CW, then USB", [&] { panel.SLOT_setModulatorByName("USB", 0, 0); }, 0},
        {"a script's edges", [&] { panel.SLOT_setModulatorByName("CW", 100, 300); }, 200},
        {"the bandwidth box", [&] { widthBox->setValue(150); }, 175},
        {"an edge drag", [&] { emit plotter->newFilterFreq(100, 600); }, 350},
        {"Ctrl and a wheel notch",
         [&] {
             QWheelEvent notch(QPointF(300, 100), QPointF(300, 100), QPoint(), QPoint(0, 120), Qt::NoButton,
                               Qt::ControlModifier, Qt::NoScrollPhase, false);
             QApplication::sendEvent(plotter, &notch);
         },
         455},
    };
    for (const auto& c : cases) {
        panel.SLOT_setModulatorByName("CW", 100, 800);
        ASSERT_TRUE(waitFor([&] { return plotter->getClickOffset() == 450; })) << c.what;
        c.change();
        waitFor([&] { return plotter->getClickOffset() == c.expected; });
        EXPECT_EQ(plotter->getClickOffset(), c.expected) << c.what;
    }
}
