// The engine thread on a test receiver: reception starting and stopping with
// the channel flags, a receiver that cannot start, the contexts the blocks
// carry, overload, and the stop handshake.
#include "engine/Channelizer.h"
#include "engine/Controller.h"
#include "engine/FetchBackoff.h"
#include "engine/MultiSDR.h"
#include "engine/SampleContext.h"
#include "engine/SampleFifo.h"
#include "engine/VisuFifo.h"
#include "engine/audio/AudioOutput.h"
#include "engine/board/BoardSettings.h"
#include "engine/demod/AMDemodulator.h"
#include "engine/demod/USBdemodulator.h"

#include "AttachedEngine.h"
#include "ProgramLog.h"
#include "QueuedSpy.h"
#include "ThreadGate.h"
#include "WaitFor.h"

#include <QDir>
#include <QMutexLocker>
#include <QPointer>
#include <QSettings>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace {

class ControllerThread : public AttachedEngine
{
protected:
    void SetUp() override
    {
        receiver.setRxSampleRate(250000);
        receiver.maxCentre = 3000000000LL;
    }

    AMDemodulator am;
    USBdemodulator usb;
};

TEST_F(ControllerThread, ReceptionFollowsTheChannelFlags)
{
    start();
    QueuedSpy writerStops(&engine, &Controller::MSG_FileWriterStops);
    QueuedSpy levels(&engine, &Controller::MSG_UpdatePowerLevelMain);
    engine.turnChannelOn(0);
    ASSERT_TRUE(waitFor([&] { return engine.engineState() == 1; }));
    EXPECT_EQ(receiver.prepares.load(), 1);
    EXPECT_EQ(engine.blocksPerFetch(), 18);
    EXPECT_EQ(FULLBAND_FFT_LENGTH.load(), 32768);
    ASSERT_TRUE(waitFor([&] { return levels.count() > 2; }));

    engine.turnChannelOff(0);
    ASSERT_TRUE(waitFor([&] { return engine.engineState() == 0; }));
    EXPECT_EQ(receiver.finalizes.load(), 1);
    EXPECT_EQ(writerStops.count(), 0);

    // And again.
    engine.turnChannelOn(1);
    ASSERT_TRUE(waitFor([&] { return engine.engineState() == 1; }));
    EXPECT_EQ(receiver.prepares.load(), 2);
}

// The panels' level meters and the squelch follow the receiver fetch by fetch: each
// channel that is on reports its level once for every fetch that brought samples, and
// never for one that brought none.
TEST_F(ControllerThread, EveryFetchWithSamplesReportsTheLevelsOfTheChannelsOn)
{
    receiver.gated = true;
    start();
    QueuedSpy levelsA(&engine, &Controller::MSG_UpdatePowerLevelMain);
    QueuedSpy levelsB(&engine, &Controller::MSG_UpdatePowerLevelSub);
    engine.turnChannelOn(0);
    engine.turnChannelOn(1);
    ASSERT_TRUE(waitFor([&] { return engine.engineState() == 1; }));
    constexpr int kFetches = 7;
    receiver.allowFetches(kFetches);
    ASSERT_TRUE(waitFor([&] { return receiver.fetchesHandled.load() == kFetches; }));
    // Empty fetches meanwhile: the gate has no more permits.
    const int asked = receiver.fetches.load();
    ASSERT_TRUE(waitFor([&] { return receiver.fetches.load() >= asked + 3; }));
    ASSERT_TRUE(waitFor([&] { return levelsA.count() >= kFetches && levelsB.count() >= kFetches; }));
    EXPECT_EQ(levelsA.count(), kFetches);
    EXPECT_EQ(levelsB.count(), kFetches);
}

TEST_F(ControllerThread, ReceptionStartClearsTheLocks)
{
    start();
    engine.setChannelLock(true, 0);
    engine.setChannelLock(true, 1);
    engine.turnChannelOn(0);
    ASSERT_TRUE(waitFor([&] { return engine.engineState() == 1; }));
    EXPECT_FALSE(engine.isChannelLocked(0));
    EXPECT_FALSE(engine.isChannelLocked(1));
}

TEST_F(ControllerThread, ReceiverThatCannotStartTurnsBothChannelsOff)
{
    receiver.prepareResult = 0;
    attach();
    QueuedSpy onOff(&engine, &Controller::MSG_ChannelTurnedOnOff);
    // Both on before the thread's first look, as a restored session would be.
    engine.channelOn[0] = true;
    engine.channelOn[1] = true;
    engine.startEngine();
    ASSERT_TRUE(waitFor([&] { return onOff.count() >= 2; }));
    EXPECT_FALSE(engine.channelOn[0]);
    EXPECT_FALSE(engine.channelOn[1]);
    EXPECT_EQ(onOff[0][0].toInt(), 1);
    EXPECT_EQ(onOff[1][0].toInt(), 0);
    EXPECT_FALSE(onOff[1][1].toBool());
    EXPECT_EQ(engine.engineState(), 0);
    // The flags were saved as the channels went off.
    EXPECT_TRUE(BoardSettings::open(&receiver)->contains("Channel_1_NCO"));
}

TEST_F(ControllerThread, BlocksCarryTheWholeCentreToTheDisplays)
{
    start(2400000000LL);
    engine.installDemodulator(&am, 0);
    engine.installDemodulator(&usb, 1);
    engine.setRxOffset(20000, 1);
    engine.turnChannelOn(0);
    engine.turnChannelOn(1);
    auto written = [](VisuFifo* window) {
        QMutexLocker locker(window->mutex.get());
        return window->blockCount > 0;
    };
    ASSERT_TRUE(
        waitFor([&] { return written(engine.fullband_visu_fifo) && written(engine.smallband_visu_fifo); }));
    QMutexLocker full(engine.fullband_visu_fifo->mutex.get());
    EXPECT_EQ(engine.fullband_visu_fifo->centre, 2400000000LL);
    EXPECT_EQ(engine.fullband_visu_fifo->rate, 250000);
    EXPECT_EQ(engine.fullband_visu_fifo->offset, 0);
    QMutexLocker small(engine.smallband_visu_fifo->mutex.get());
    EXPECT_EQ(engine.smallband_visu_fifo->centre, 2400000000LL);
    EXPECT_EQ(engine.smallband_visu_fifo->offset, 20000);
}

TEST_F(ControllerThread, StoppingReceptionStopsTheRecorders)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath("record"));
    start();
    QueuedSpy writerStops(&engine, &Controller::MSG_FileWriterStops);
    engine.turnChannelOn(0);
    ASSERT_TRUE(waitFor([&] { return engine.engineState() == 1; }));
    engine.startRFRecording(0);
    engine.startMp3Recording();
    EXPECT_TRUE(engine.isRFRecording());
    ASSERT_TRUE(waitFor([&] { return receiver.blocksDelivered.load() > 100; }));

    engine.turnChannelOff(0);
    ASSERT_TRUE(waitFor(
        [&] { return writerStops.count() == 1 && !engine.isRFRecording() && !engine.isMp3Recording(); }));
    EXPECT_EQ(engine.engineState(), 0);
    EXPECT_EQ(QDir(dir.file("record")).entryList({"*.orvex"}).size(), 1);
}

TEST_F(ControllerThread, RefusedBlocksShrinkTheFetchAndLeakNothing)
{
    const int rate = 1000000;
    receiver.setRxSampleRate(rate);
    receiver.gated = true;
    start();
    engine.installDemodulator(&am, 0);
    engine.installDemodulator(&usb, 1);
    engine.turnChannelOn(0);
    engine.turnChannelOn(1);
    ASSERT_TRUE(waitFor([&] { return engine.engineState() == 1; }));
    // A mixing thread that no longer takes the channels' output: their input
    // queues fill up and refuse blocks.
    engine.multiSdr->requestStop();
    ASSERT_TRUE(engine.multiSdr->wait(kWaitBoundMs));
    // One fetch at a time, each handled before the next is given: every fetch
    // adds at least one block to each queue, so one of the first MaxWaiting + 2
    // is refused.
    const int fullFetch = Controller::blocksPerFetchFor(rate);
    ASSERT_EQ(engine.blocksPerFetch(), fullFetch);
    for (int fetch = 1; fetch <= SampleFifo::MaxWaiting + 2 && engine.blocksPerFetch() == fullFetch;
         ++fetch) {
        receiver.allowFetches(1);
        ASSERT_TRUE(waitFor([&] { return receiver.fetchesHandled.load() == fetch; })) << "fetch " << fetch;
    }
    EXPECT_EQ(engine.blocksPerFetch(), Controller::reducedBlocksPerFetch(fullFetch));
    // The orderly stop ends reception with full queues; what was queued is freed
    // (the leak checker of the test program sees the rest).
    engine.shutdown();
    EXPECT_EQ(engine.engineState(), Controller::StopState);
    EXPECT_FALSE(engine.isRunning());
    EXPECT_EQ(receiver.finalizes.load(), receiver.prepares.load());
}

// A driver that answers "no samples" at once: the engine thread pauses after each
// empty fetch, at least 1, 2, 4 and then 8 ms, instead of asking again at once on a
// whole core. Over any stretch of time the fetches are then at most one per 8 ms
// (and the four of the first pauses), however fast or slow the machine.
TEST_F(ControllerThread, EmptyFetchesAreRetriedAfterAPause)
{
    start();
    receiver.silent = true;
    engine.turnChannelOn(0);
    ASSERT_TRUE(waitFor([&] { return engine.engineState() == 1 && receiver.fetches.load() > 0; }));

    using Clock = std::chrono::steady_clock;
    const Clock::time_point from = Clock::now();
    const int before = receiver.fetches.load();
    ASSERT_TRUE(waitFor([&] { return receiver.fetches.load() >= before + 24; }));
    const int fetched = receiver.fetches.load() - before;
    const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - from).count();
    EXPECT_LE(fetched, elapsedMs / FetchBackoff::CapMs + 5) << "in " << elapsedMs << " ms";

    // Samples again: they reach the channel.
    QueuedSpy levels(&engine, &Controller::MSG_UpdatePowerLevelMain);
    receiver.silent = false;
    EXPECT_TRUE(waitFor([&] { return levels.count() > 2; }));
}

TEST_F(ControllerThread, StopHandshakeEndsAnIdleEngine)
{
    start();
    ASSERT_TRUE(waitFor([&] { return engine.isRunning(); }));
    // The handshake is bounded: a thread that never saw it would still run.
    engine.shutdown();
    EXPECT_EQ(engine.engineState(), Controller::StopState);
    EXPECT_FALSE(engine.isRunning());
    // Once stopped, the engine does not start again.
    engine.startEngine();
    EXPECT_FALSE(engine.isRunning());
}

// An audio output whose thread does not stop (here held in a call it serves) is
// waited for only so long as the engine ends: the engine's end returns, says so,
// and leaves the audio output running with its queue rather than destroy them
// under it.
TEST(ControllerEnd, AnAudioOutputThatDoesNotStopIsLeftWithItsQueue)
{
    TempWorkDir dir;
    ProgramLog::capture();
    auto engine = std::make_unique<Controller>(QStringLiteral("no such sound device"));
    AudioOutput* output = engine->audioOutput;
    SampleFifo* queue = engine->audioQueue;
    output->start();
    ThreadGate gate;
    std::unique_ptr<QObject> inOutputThread = holdInQueuedCall(output, gate);
    ASSERT_TRUE(waitFor([&] { return gate.held() == 1; }));

    QPointer<AudioOutput> left(output);
    engine.reset();
    EXPECT_EQ(gate.held(), 1) << "the engine's end waited until the call came back";
    EXPECT_TRUE(ProgramLog::text().contains("the audio output still runs, it is left"));
    ASSERT_TRUE(left) << "destroyed while its thread ran";
    gate.open();
    ASSERT_TRUE(waitFor([&] { return output->isFinished(); }));
    // What the engine left is the test's to free.
    inOutputThread.reset();
    delete output;
    delete queue;
}

// The engine thread held in the receiver's driver (a fetch that does not come
// back): the stop gives up after its bounds and says that the engine's threads
// still run, so that its owner keeps the engine and the receiver; once the fetch
// comes back, the thread ends and the engine may go.
TEST(ControllerEnd, AnEngineThreadHeldInTheDriverIsReported)
{
    class HeldReceiver : public ControllerTestReceiver
    {
    public:
        void* getRXSamples(int, int* count) override
        {
            *count = 0;
            gate.pass();
            return nullptr;
        }
        ThreadGate gate;
    };
    TempWorkDir dir;
    ProgramLog::capture();
    HeldReceiver receiver;
    Controller engine(QStringLiteral("no such sound device"));
    engine.setReceiverHardware(&receiver);
    engine.startEngine();
    engine.turnChannelOn(0);
    ASSERT_TRUE(waitFor([&] { return receiver.gate.held() == 1; }));

    EXPECT_FALSE(engine.shutdown());
    EXPECT_EQ(receiver.gate.held(), 1) << "the stop waited until the fetch came back";
    EXPECT_TRUE(ProgramLog::text().contains("Controller::shutdown() the engine thread does not stop"));
    receiver.gate.open();
    ASSERT_TRUE(waitFor([&] { return engine.isFinished(); }));
    EXPECT_TRUE(engine.shutdown());
}

} // namespace
