// The time-domain view: start and stop, the sample window fed by blocks, the
// plot modes and the refresh rate, the demodulator it follows as RX A's mode
// changes; the demodulator window and the transmit panel.
#include "WindowFixture.h"

#include "engine/SampleFifo.h"
#include "engine/demod/TimeDomainBlock.h"
#include "mainwindow/DataPlot.h"
#include "mainwindow/DemodWindow.h"
#include "mainwindow/TimeDomain.h"
#include "mainwindow/TxPanel.h"
#include "ui/widgets/CFreqCtrl.h"
#include "ui/widgets/ModulationSelector.h"
#include "ui/widgets/zxPushButton.h"

#include <QCoreApplication>

#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <qwt_plot_curve.h>
#include <qwt_scale_div.h>
#include <vector>

namespace {

// Queues a block as a demodulator does: every value of the block is value.
void pushBlock(SampleFifo* queue, int count, int rate, Complex value)
{
    auto* header = static_cast<TimeDomainHeader*>(malloc(sizeof(TimeDomainHeader)));
    *header = {count, rate, count * 8};
    auto* samples = static_cast<Complex*>(malloc(sizeof(Complex) * std::max(count, 1)));
    for (int i = 0; i < count; ++i)
        samples[i] = value;
    auto* block = static_cast<TimeDomainBlock*>(malloc(sizeof(TimeDomainBlock)));
    *block = {header, samples};
    ASSERT_GT(queue->enqueue(block, 1, 0, nullptr), 0);
}

// Runs silent blocks through the demodulator as the mixing thread does: the
// first block at a new rate is dropped before any copy, the second is copied.
void demodulateTwice(Demodulator* demod)
{
    SampleFifo audio;
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<Complex> block(600);
        demod->performDemodulation(block.data(), int(block.size()), 4000, 48000, 2048, &audio, nullptr);
    }
}

class TimeDomainView : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        attachEngine();
        view.setController(engine.get());
    }

    // Started, with the first block (never shown) already consumed.
    void start()
    {
        view.SLOT_StartStop();
        pushBlock(view.queue(), 16, 5000, {9, 9});
        view.SLOT_processData();
    }

    void feed(int count, int rate, Complex value)
    {
        pushBlock(view.queue(), count, rate, value);
        view.SLOT_processData();
    }

    TimeDomain view;
};

} // namespace

TEST(TimeDomainAlone, StartWithoutAnEngineStaysOffAndTheWindowIsSilent)
{
    TimeDomain view;
    view.SLOT_StartStop();
    EXPECT_FALSE(view.startButton()->getState());
    EXPECT_EQ(view.state(), TimeDomain::Stopped);
    for (int i = 0; i < TimeDomain::Length; ++i)
        ASSERT_EQ(view.window()[i], Complex(0, 0));
}

TEST_F(TimeDomainView, FirstBlockIsDroppedThenBlocksFillTheWindow)
{
    view.SLOT_StartStop();
    EXPECT_TRUE(view.startButton()->getState());
    pushBlock(view.queue(), 512, 5000, {9, 9});
    view.SLOT_processData();
    EXPECT_EQ(view.rateField()->text(), QString());
    EXPECT_EQ(view.window()[TimeDomain::Length - 1], Complex(0, 0));

    feed(512, 6000, {1, 0});
    EXPECT_EQ(view.rateField()->text(), "6000");
    EXPECT_EQ(view.window()[TimeDomain::Length - 512], Complex(1, 0));
    EXPECT_EQ(view.window()[TimeDomain::Length - 513], Complex(0, 0));
    feed(512, 6000, {2, 0});
    EXPECT_EQ(view.window()[TimeDomain::Length - 1024], Complex(1, 0));
    EXPECT_EQ(view.window()[TimeDomain::Length - 1], Complex(2, 0));
    feed(4096, 6000, {3, 0});
    EXPECT_EQ(view.window()[0], Complex(3, 0));
    EXPECT_EQ(view.window()[TimeDomain::Length - 1], Complex(3, 0));
    feed(0, 7000, {4, 0});
    EXPECT_EQ(view.rateField()->text(), "6000");
}

TEST_F(TimeDomainView, StoppingDetachesAndLaterBlocksAreFreedUnshown)
{
    start();
    view.SLOT_StartStop();
    EXPECT_FALSE(view.startButton()->getState());
    EXPECT_EQ(view.state(), TimeDomain::Stopped);
    EXPECT_FALSE(view.queue()->accepting);
    view.queue()->accepting = true;
    feed(64, 6000, {5, 0});
    EXPECT_EQ(view.window()[TimeDomain::Length - 1], Complex(0, 0));
}

TEST_F(TimeDomainView, ModesDrawInPhaseEnvelopeOrPhase)
{
    start();
    feed(TimeDomain::Length, 6000, {0.0f, 0.5f});
    DataPlot* plot = view.upperPlot();
    const struct
    {
        int asked;
        int mode;
        double y;
        double mirror;
        bool mainShown;
    } cases[] = {
        {0, 0, 0.0, 0.0, true}, {1, 1, 0.5, -0.5, false}, {2, 2, 90.0, 0.0, true}, {7, 2, 90.0, 0.0, true}};
    for (const auto& c : cases) {
        view.SLOT_setMode(c.asked);
        EXPECT_EQ(plot->mode(), c.mode) << c.asked;
        plot->SLOT_newData();
        EXPECT_NEAR(plot->yValues()[100], c.y, 1e-4) << c.asked;
        EXPECT_NEAR(plot->yMirror()[100], c.mirror, 1e-6) << c.asked;
        EXPECT_EQ(plot->mainCurve()->isVisible(), c.mainShown) << c.asked;
        EXPECT_EQ(plot->posCurve()->isVisible(), !c.mainShown) << c.asked;
    }
    // A sample on the positive real axis is at 0 degrees.
    feed(TimeDomain::Length, 6000, {1.0f, 0.0f});
    plot->SLOT_newData();
    EXPECT_NEAR(plot->yValues()[0], 0.0, 1e-6);
}

TEST_F(TimeDomainView, LevelHistoryStartsFullAndSilenceHasAFloor)
{
    start();
    DataPlot* history = view.lowerPlot();
    feed(TimeDomain::Length, 6000, {0.1f, 0.0f});
    view.SLOT_updatePlot();
    for (int i : {0, 1000, DataPlot::Length - 1})
        EXPECT_NEAR(history->yValues()[i], -20.0, 1e-4) << i;

    feed(TimeDomain::Length, 6000, {0.0f, 0.0f});
    view.SLOT_updatePlot();
    EXPECT_EQ(history->yValues()[DataPlot::Length - 1], DataPlot::FloorDb);
    const QwtScaleDiv& axis = history->axisScaleDiv(QwtPlot::yLeft);
    EXPECT_TRUE(std::isfinite(axis.lowerBound()));
    EXPECT_TRUE(std::isfinite(axis.upperBound()));
}

TEST_F(TimeDomainView, RedrawsOnlyWhenNewSamplesCame)
{
    start();
    feed(TimeDomain::Length, 6000, {0.1f, 0.0f});
    view.SLOT_updatePlot();
    const double drawn = view.lowerPlot()->yValues()[DataPlot::Length - 2];
    view.SLOT_updatePlot();
    EXPECT_EQ(view.lowerPlot()->yValues()[DataPlot::Length - 2], drawn);
}

TEST(TimeDomainAlone, TriggerModeGoesToTheViewAndItsUpperPlotOnly)
{
    TimeDomain view;
    const int modeBefore = view.upperPlot()->mode();
    for (int mode : {2, 0, 5}) {
        // Reached by name, as a trigger selector would connect it.
        ASSERT_TRUE(QMetaObject::invokeMethod(&view, "SLOT_setTigger", Q_ARG(int, mode)));
        EXPECT_EQ(view.trigger(), mode);
        EXPECT_EQ(view.upperPlot()->trigger(), mode);
        EXPECT_EQ(view.lowerPlot()->trigger(), 0);
    }
    EXPECT_EQ(view.upperPlot()->mode(), modeBefore);
    EXPECT_EQ(view.lowerPlot()->mode(), 3);
}

// RX A's panel owns its demodulators and the view follows whichever is
// installed: the one left behind by a mode change copies nothing more, and
// neither the panel nor the view holds on to what the other freed, whichever
// goes first (the main window's close takes the panel first).
TEST_F(TimeDomainView, FollowsTheInstalledDemodulatorAndOutlivesOrPrecedesThePanel)
{
    const bool panelFirstCases[] = {true, false};
    for (bool panelFirst : panelFirstCases) {
        SCOPED_TRACE(panelFirst ? "panel goes first" : "view goes first");
        auto panel = std::make_unique<ModulationSelector>(true);
        panel->setController(engine.get(), 0);
        auto shown = std::make_unique<TimeDomain>();
        shown->setController(engine.get());
        shown->SLOT_StartStop();
        Demodulator* am = panel->demodulatorAt(3);
        Demodulator* usb = panel->demodulatorAt(0);
        ASSERT_EQ(am->getName(), "AM");
        ASSERT_EQ(usb->getName(), "USB");
        for (Demodulator* mode : {am, usb}) {
            panel->SLOT_userChangeModulation(mode == am ? 3 : 0);
            QCoreApplication::processEvents(); // the installation reaches the view
        }
        demodulateTwice(am);
        EXPECT_EQ(shown->queue()->size(), 0) << "the mode left behind still copies";
        demodulateTwice(usb);
        EXPECT_EQ(shown->queue()->size(), 1);

        if (panelFirst) {
            panel.reset();
            QCoreApplication::processEvents();
            shown.reset();
        } else {
            shown.reset();
            // Both modes run on: neither may copy into the view that went.
            demodulateTwice(am);
            demodulateTwice(usb);
            panel.reset();
        }
        EXPECT_EQ(engine->currentDemodulator(0), nullptr);
    }
}

TEST(TimeDomainAlone, RefreshFollowsTheSpeedSlider)
{
    TimeDomain view;
    EXPECT_EQ(view.refreshIntervalMs(), 40);
    const std::pair<int, int> cases[] = {{50, 20}, {1, 1000}, {3, 333}};
    for (const auto& [fps, interval] : cases) {
        view.speedSlider()->setValue(fps);
        EXPECT_EQ(view.refreshIntervalMs(), interval) << fps;
    }
    view.SLOT_setSpeed(0);
    EXPECT_EQ(view.refreshIntervalMs(), 333);
}

TEST_F(TimeDomainView, PushToTalkLeavesTheEngineReceiving)
{
    TxPanel panel;
    panel.setController(engine.get());
    const int before = engine->engineState();
    panel.pttButton()->click();
    EXPECT_TRUE(panel.pttButton()->getState());
    panel.pttButton()->click();
    EXPECT_FALSE(panel.pttButton()->getState());
    EXPECT_EQ(engine->engineState(), before);

    QSignalSpy typed(panel.freqCtrl(), &CFreqCtrl::newFrequency);
    emit engine->MSG_ChannelizerIsRetuned(145000000, 12500.7f, 1);
    emit engine->MSG_ChannelizerIsRetuned(145000000, 999.0f, 0);
    EXPECT_EQ(panel.freqCtrl()->getFrequency(), 145012500);
    EXPECT_TRUE(typed.isEmpty());
}

TEST(DemodulatorWindow, TraceRollsItsLastValuesAndEveryCloseIsAnnounced)
{
    DemodWindow window;
    Trace* trace = window.trace();
    for (double value : {-90.0, -70.0, -80.0})
        trace->addValue(value);
    EXPECT_EQ(trace->values()[Trace::Length - 3], -90.0);
    EXPECT_EQ(trace->values()[Trace::Length - 1], -80.0);
    // The axis spans the values before the newest one (the zeros still rolling out included).
    const QwtScaleDiv& axis = trace->axisScaleDiv(QwtPlot::yLeft);
    EXPECT_EQ(axis.lowerBound(), -90.0);
    EXPECT_EQ(axis.upperBound(), 0.0);

    QSignalSpy closed(&window, &DemodWindow::window_closed);
    ASSERT_TRUE(window.isVisible());
    window.close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(window.isVisible());
}
