// The receive chain from the synthetic driver through the driver back-end, the
// engine and the mixing thread to an audio output without a device (which
// discards): signals, retuning, locks and an orderly stop under overload.
#include "EngineHarness.h"

#include "engine/Channelizer.h"
#include "engine/audio/AudioOutput.h"

#include "QueuedSpy.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <atomic>

namespace {

using e2e::EngineHarness;
using e2e::waitFor;

// Records on which thread a signal's slot runs.
class ThreadProbe : public QObject
{
public:
    std::atomic<QThread*> slotThread{nullptr};
    std::atomic<int> calls{0};
    void hit()
    {
        slotThread = QThread::currentThread();
        ++calls;
    }
};

class EngineEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(h.loaded) << "the synthetic driver did not load"; }

    // Before the harness: the engine's threads stop before the probes go.
    ThreadProbe level;
    ThreadProbe onOff;
    std::atomic<QThread*> emitter{nullptr};
    EngineHarness h{e2e::kNoSound};
};

TEST_F(EngineEndToEnd, SignalsReachTheGuiThreadQueued)
{
    Controller* engine = h.engine.get();
    QObject::connect(
        engine, &Controller::MSG_UpdatePowerLevelMain, &level, [this](float) { level.hit(); },
        Qt::QueuedConnection);
    QObject::connect(
        engine, &Controller::MSG_UpdatePowerLevelMain, engine,
        [this](float) { emitter = QThread::currentThread(); }, Qt::DirectConnection);
    QObject::connect(
        engine, &Controller::MSG_ChannelTurnedOnOff, &onOff, [this](int, bool) { onOff.hit(); },
        Qt::QueuedConnection);
    QSignalSpy installed(engine, &Controller::MSG_newDemodulatorInstalled); // emitted by this thread

    h.listen(0, &h.demods[0].am, int(SyntheticScene::AmOffsetHz));
    ASSERT_TRUE(waitFor([&] { return level.calls > 2; }));
    EXPECT_EQ(level.slotThread.load(), QThread::currentThread());
    EXPECT_EQ(emitter.load(), static_cast<QThread*>(engine)) << "emitted by the engine thread";
    EXPECT_EQ(installed.count(), 1);
    EXPECT_EQ(qvariant_cast<Demodulator*>(installed[0][0]), &h.demods[0].am);

    const int before = onOff.calls;
    h.turnOff(0);
    ASSERT_TRUE(waitFor([&] { return onOff.calls > before; }));
    EXPECT_EQ(onOff.slotThread.load(), QThread::currentThread());
}

TEST_F(EngineEndToEnd, TuningOutsideTheWindowRetunesTheReceiver)
{
    Controller* engine = h.engine.get();
    h.listen(0, &h.demods[0].am, int(SyntheticScene::AmOffsetHz));
    h.listen(1, &h.demods[1].nbfm, int(SyntheticScene::NbfmOffsetHz));
    ASSERT_TRUE(waitFor([&] { return engine->engineState() == 1; }));
    QSignalSpy retuned(engine, &Controller::MSG_ChannelizerIsRetuned); // emitted by this thread
    QueuedSpy levels(engine, &Controller::MSG_UpdatePowerLevelSub);

    const qint64 centre = engine->getRxCenterFreq();
    const qint64 target = centre + 200000; // beyond half of 250 kS/s
    EXPECT_EQ(engine->setAbsoluteRxFreq(target, 0), 1);
    EXPECT_EQ(h.receiver.getRxCenterFreq(), target);
    EXPECT_EQ(engine->getRxOffset(0), 0);
    EXPECT_EQ(engine->getRxOffset(1), 0);
    ASSERT_EQ(retuned.count(), 2);
    for (int channel = 0; channel < 2; ++channel) {
        EXPECT_EQ(retuned[channel][0].toLongLong(), target);
        EXPECT_EQ(retuned[channel][2].toInt(), channel);
    }
    // Reception goes on at the new centre, both channels on.
    ASSERT_TRUE(waitFor([&] { return levels.count() > 3; }));
    EXPECT_EQ(engine->engineState(), 1);
    EXPECT_TRUE(engine->channelOn[0] && engine->channelOn[1]);

    // With RX B locked, RX A still moves inside the window but nothing retunes.
    engine->setChannelLock(true, 1);
    EXPECT_EQ(engine->setRxOffset(15000, 0), 1);
    EXPECT_EQ(engine->setAbsoluteRxFreq(target + 500000, 0), 0);
    EXPECT_EQ(h.receiver.getRxCenterFreq(), target);
    EXPECT_EQ(engine->getRxOffset(1), 0);
    EXPECT_EQ(engine->setRxOffset(5000, 1), 0);
}

TEST(EngineOverload, OverloadedRunEndsCleanly)
{
    // Unpaced at 2.048 MS/s: the receiver delivers faster than the channels work.
    EngineHarness fast(e2e::kNoSound, 2048000);
    ASSERT_TRUE(fast.loaded);
    Controller* engine = fast.engine.get();
    fast.receiver.setParam(QStringLiteral("realtime"), QStringLiteral("0"));
    fast.listen(0, &fast.demods[0].nbfm, int(SyntheticScene::NbfmOffsetHz));
    fast.listen(1, &fast.demods[1].usb, int(SyntheticScene::UsbDialOffsetHz));
    ASSERT_TRUE(waitFor([&] { return engine->engineState() == 1; }));
    // Overloaded, the chain still delivers audio (the output, without a device, discards it).
    ASSERT_TRUE(waitFor([&] { return engine->audioOutput->blocksDiscarded() > 10; }));

    engine->shutdown();
    EXPECT_EQ(engine->engineState(), Controller::StopState);
    EXPECT_FALSE(engine->isRunning());
    EXPECT_FALSE(engine->multiSdr->isRunning());
    EXPECT_FALSE(engine->audioOutput->isRunning());
}

} // namespace
