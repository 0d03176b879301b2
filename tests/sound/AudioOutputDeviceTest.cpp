// The audio output on the sound server's devices: which one it takes, and a queue
// that keeps draining whether a device plays it or not. Its cases open the
// shared null sink, so they run with the sound tests.
#include "engine/audio/AudioOutput.h"
#include "engine/SampleFifo.h"

#include "ProgramLog.h"
#include "TempWorkDir.h"
#include "ThreadGate.h"
#include "WaitFor.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <complex>
#include <cstdlib>
#include <memory>

namespace {

std::complex<float>* toneBlock(int n = 2048)
{
    auto* block = static_cast<std::complex<float>*>(std::malloc(sizeof(std::complex<float>) * n));
    for (int i = 0; i < n; ++i)
        block[i] = {0.5f * std::sin(2.0f * float(M_PI) * 1000.0f * i / 48000.0f), 0.0f};
    return block;
}

void fill(SampleFifo& queue, int blocks)
{
    for (int i = 0; i < blocks; ++i) {
        auto* block = toneBlock();
        ASSERT_GT(queue.enqueue(block, 2048, 0, nullptr), 0);
    }
}

} // namespace

// The output opens only a device that plays its stream: asked by name, the
// device it takes carries that name and supports the stream's format; a name
// no device has leaves it without one (it then discards, below).
TEST(AudioOutput, TakesOnlyADeviceThatPlaysItsStream)
{
    SampleFifo queue;
    {
        AudioOutput output(QStringLiteral("no device is called like this"), &queue);
        EXPECT_TRUE(output.deviceName().isEmpty());
    }
    for (const QAudioDeviceInfo& device : QAudioDeviceInfo::availableDevices(QAudio::AudioOutput)) {
        AudioOutput output(device.deviceName(), &queue);
        if (output.deviceName().isEmpty()) {
            EXPECT_FALSE(device.isFormatSupported(output.format())) << device.deviceName().toStdString();
            continue;
        }
        EXPECT_TRUE(output.deviceName().contains(device.deviceName())) << device.deviceName().toStdString();
        bool plays = false;
        for (const QAudioDeviceInfo& taken : QAudioDeviceInfo::availableDevices(QAudio::AudioOutput))
            if (taken.deviceName() == output.deviceName())
                plays = plays || taken.isFormatSupported(output.format());
        EXPECT_TRUE(plays) << output.deviceName().toStdString();
    }
}

// Without a sound device the thread still takes every block, so the mixing thread
// and the displays upstream never stall; it says so once in the log.
TEST(AudioOutput, WithoutADeviceTheQueueKeepsDraining)
{
    TempWorkDir dir;
    ProgramLog::capture();
    SampleFifo queue;
    AudioOutput output(QStringLiteral("no device is called like this"), &queue);
    output.start();
    const int blocks = 150; // 6.4 s of audio
    fill(queue, blocks);
    EXPECT_TRUE(waitFor([&] { return output.blocksDiscarded() == blocks; }));
    EXPECT_EQ(queue.size(), 0);
    EXPECT_EQ(output.blocksPlayed(), 0);
    output.requestStop();
    EXPECT_TRUE(output.wait(kWaitBoundMs));
    EXPECT_EQ(ProgramLog::text().count("audio is discarded"), 1);
}

TEST(AudioOutput, WithNoChannelOnBlocksAreDiscarded)
{
    SampleFifo queue;
    AudioOutput output(QString(), &queue);
    output.noChannel = true;
    output.start();
    fill(queue, 40);
    EXPECT_TRUE(waitFor([&] { return output.blocksDiscarded() == 40; }));
    EXPECT_EQ(output.blocksPlayed(), 0);
}

TEST(AudioOutput, StopsPromptlyWhenIdle)
{
    SampleFifo queue;
    AudioOutput output(QString(), &queue);
    output.start();
    ASSERT_TRUE(waitFor([&] { return output.isRunning(); }));
    QElapsedTimer clock;
    clock.start();
    output.requestStop();
    EXPECT_TRUE(output.wait(kWaitBoundMs));
    // An idle pass sleeps at most 100 ms: far less than this, on any machine.
    EXPECT_LT(clock.elapsed(), 5000);
}

// A thread held in a call that does not come back (here a call it serves) is waited
// for only so long, and said so; once the call comes back, it ends.
TEST(AudioOutput, AStopWaitsOnlySoLongForAThreadHeldInACall)
{
    TempWorkDir dir;
    ProgramLog::capture();
    SampleFifo queue;
    AudioOutput output(QStringLiteral("no device is called like this"), &queue);
    output.start();
    ThreadGate gate;
    std::unique_ptr<QObject> inOutputThread = holdInQueuedCall(&output, gate);
    ASSERT_TRUE(waitFor([&] { return gate.held() == 1; }));

    EXPECT_FALSE(output.stop(100));
    EXPECT_EQ(gate.held(), 1) << "the stop waited until the call came back";
    EXPECT_TRUE(
        ProgramLog::text().contains("AudioOutput::stop() the audio output thread did not end within 100 ms"));
    gate.open();
    EXPECT_TRUE(waitFor([&] { return output.isFinished(); }));
    EXPECT_TRUE(output.stop());
}
