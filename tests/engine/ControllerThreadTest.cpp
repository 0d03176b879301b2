// The engine thread on a test receiver: reception starting and stopping with
// the channel flags, a receiver that cannot start, the contexts the blocks
// carry, overload, and the stop handshake.
#include "engine/Channelizer.h"
#include "engine/Controller.h"
#include "engine/MultiSDR.h"
#include "engine/SampleContext.h"
#include "engine/VisuFifo.h"
#include "engine/board/BoardSettings.h"
#include "engine/demod/AMDemodulator.h"
#include "engine/demod/USBdemodulator.h"

#include "ControllerTestReceiver.h"
#include "TempWorkDir.h"
#include "WaitFor.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMutexLocker>
#include <QSettings>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

const QString kNoSound = QStringLiteral("no such sound device");

class ControllerThread : public ::testing::Test
{
protected:
    void start(qint64 centre = 145000000)
    {
        receiver.maxCentre = 3000000000LL;
        BoardSettings::open(QStringLiteral("EngineTestReceiver"))->setValue(BoardSettings::KeyCenter, centre);
        engine.setReceiverHardware(&receiver);
        engine.startEngine();
    }
    void turnOn(int channel)
    {
        engine.channelOn[channel] = true;
        emit engine.MSG_ChannelTurnedOnOff(channel, true);
    }

    TempWorkDir dir;
    ControllerTestReceiver receiver{250000, 145000000};
    // Before the engine: they outlive its threads.
    AMDemodulator am;
    USBdemodulator usb;
    Controller engine{kNoSound};
};

TEST_F(ControllerThread, ReceptionFollowsTheChannelFlags)
{
    start();
    QSignalSpy writerStops(&engine, &Controller::MSG_FileWriterStops);
    QSignalSpy levels(&engine, &Controller::MSG_UpdatePowerLevelMain);
    turnOn(0);
    ASSERT_TRUE(waitFor([&] { return engine.engineState() == 1; }));
    EXPECT_EQ(receiver.prepares.load(), 1);
    EXPECT_EQ(engine.blocksPerFetch(), 18);
    EXPECT_EQ(FULLBAND_FFT_LENGTH.load(), 32768);
    ASSERT_TRUE(waitFor([&] { return levels.count() > 2; }));

    engine.channelOn[0] = false;
    ASSERT_TRUE(waitFor([&] { return engine.engineState() == 0; }));
    EXPECT_EQ(receiver.finalizes.load(), 1);
    EXPECT_EQ(writerStops.count(), 0);

    // And again.
    turnOn(1);
    ASSERT_TRUE(waitFor([&] { return engine.engineState() == 1; }));
    EXPECT_EQ(receiver.prepares.load(), 2);
}

TEST_F(ControllerThread, ReceptionStartClearsTheLocks)
{
    start();
    engine.setChannelLock(true, 0);
    engine.setChannelLock(true, 1);
    turnOn(0);
    ASSERT_TRUE(waitFor([&] { return engine.engineState() == 1; }));
    EXPECT_FALSE(engine.isChannelLocked(0));
    EXPECT_FALSE(engine.isChannelLocked(1));
}

TEST_F(ControllerThread, ReceiverThatCannotStartTurnsBothChannelsOff)
{
    receiver.prepareResult = 0;
    start();
    QSignalSpy onOff(&engine, &Controller::MSG_ChannelTurnedOnOff);
    engine.channelOn[0] = true;
    engine.channelOn[1] = true;
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
    turnOn(0);
    turnOn(1);
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
    QSignalSpy writerStops(&engine, &Controller::MSG_FileWriterStops);
    turnOn(0);
    ASSERT_TRUE(waitFor([&] { return engine.engineState() == 1; }));
    engine.startRFRecording(0);
    engine.startMp3Recording();
    EXPECT_TRUE(engine.isRFRecording());
    ASSERT_TRUE(waitFor([&] { return receiver.blocksDelivered.load() > 100; }));

    engine.channelOn[0] = false;
    ASSERT_TRUE(waitFor(
        [&] { return writerStops.count() == 1 && !engine.isRFRecording() && !engine.isMp3Recording(); }));
    EXPECT_EQ(engine.engineState(), 0);
    EXPECT_EQ(QDir(dir.file("record")).entryList({"*.orvex"}).size(), 1);
}

TEST_F(ControllerThread, RefusedBlocksShrinkTheFetchAndLeakNothing)
{
    receiver.setRxSampleRate(1000000);
    receiver.paced = false;
    start();
    engine.installDemodulator(&am, 0);
    engine.installDemodulator(&usb, 1);
    turnOn(0);
    turnOn(1);
    ASSERT_TRUE(waitFor([&] { return engine.engineState() == 1; }));
    // A mixing thread that no longer takes the channels' output: their input
    // queues fill up and refuse blocks.
    engine.multiSdr->requestStop();
    ASSERT_TRUE(engine.multiSdr->wait(5000));
    EXPECT_TRUE(
        waitFor([&] { return engine.blocksPerFetch() < Controller::blocksPerFetchFor(1000000); }, 15000));
    // The orderly stop ends reception under load; what was queued is freed (the
    // leak checker of the test program sees the rest).
    engine.shutdown();
    EXPECT_EQ(engine.engineState(), Controller::StopState);
    EXPECT_FALSE(engine.isRunning());
    EXPECT_EQ(receiver.finalizes.load(), receiver.prepares.load());
}

TEST_F(ControllerThread, StopHandshakeEndsAnIdleEngine)
{
    start();
    ASSERT_TRUE(waitFor([&] { return engine.isRunning(); }));
    QElapsedTimer clock;
    clock.start();
    engine.shutdown();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(engine.engineState(), Controller::StopState);
    EXPECT_FALSE(engine.isRunning());
    // Once stopped, the engine does not start again.
    engine.startEngine();
    EXPECT_FALSE(engine.isRunning());
}

} // namespace
