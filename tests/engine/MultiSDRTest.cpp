// The audio mixing thread: level smoothing, squelch, stereo placement, modes,
// captures, a channel without a demodulator beside a working one, and the pace the
// sound output sets for a single channel.
#include "engine/MultiSDR.h"
#include "engine/Channelizer.h"
#include "engine/Controller.h"
#include "engine/SampleFifo.h"
#include "engine/VisuFifo.h"
#include "engine/audio/AudioOutput.h"
#include "engine/board/BoardSettings.h"
#include "engine/demod/AMDemodulator.h"
#include "engine/demod/USBdemodulator.h"

#include "AttachedEngine.h"
#include "ProgramLog.h"
#include "WaitFor.h"

#include <QMutexLocker>
#include <QSet>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

TEST(MultiSDRLevels, FallsSlowerThanItRises)
{
    EXPECT_FLOAT_EQ(MultiSDR::smoothedLevel(-40, -60), -49);
    EXPECT_FLOAT_EQ(MultiSDR::smoothedLevel(-40, -20), -24);
    EXPECT_FLOAT_EQ(MultiSDR::smoothedLevel(-40, -40), -40);

    MultiSDR mixer;
    mixer.setRFLevel(-50.0f, 1);
    EXPECT_FLOAT_EQ(mixer.getRFLevel(1), -22.5f); // from 0, falling weight 0.45
    EXPECT_FLOAT_EQ(mixer.getRFLevel(0), 0.0f);
}

TEST(MultiSDRLevels, SquelchClosesOnlyBelowANegativeThreshold)
{
    struct Case
    {
        float threshold;
        float level;
        bool squelched;
    };
    for (const Case& c : {Case{-60, -75, true}, Case{-60, -50, false}, Case{0, -120, false},
                          Case{5, -120, false}, Case{-60, -60, false}})
        EXPECT_EQ(MultiSDR::isSquelched(c.threshold, c.level), c.squelched) << c.threshold << " " << c.level;

    MultiSDR mixer;
    mixer.setSquelchLevel(-60.0f);
    mixer.setSquelchLevel(-30.0f, 1);
    EXPECT_FLOAT_EQ(mixer.getSquelchLevel(0), -60.0f);
    EXPECT_FLOAT_EQ(mixer.getSquelchLevel(1), -30.0f);
}

TEST(MultiSDRStereo, RxBAloneSoundsOnTheRightBothShareABlock)
{
    std::vector<Complex> b{{0.5f, 0.0f}, {-0.25f, 0.0f}};
    MultiSDR::moveToRight(b.data(), 2);
    EXPECT_EQ(b[0], Complex(0.0f, 0.5f));
    EXPECT_EQ(b[1], Complex(0.0f, -0.25f));

    std::vector<Complex> a{{0.1f, 0.0f}, {0.2f, 0.0f}};
    const std::vector<Complex> right{{0.7f, 0.0f}, {0.8f, 0.0f}};
    MultiSDR::mergeRight(a.data(), right.data(), 2);
    EXPECT_EQ(a[0], Complex(0.1f, 0.7f));
    EXPECT_EQ(a[1], Complex(0.2f, 0.8f));
}

// The names that tell the modes apart in the diagnostics.
TEST(MultiSDRModes, EachModeHasItsOwnNameAndAnyOtherValueIsUnknown)
{
    const QString unknown = MultiSDR::modeName(7);
    QSet<QString> names;
    for (int mode : {MultiSDR::ModeOff, MultiSDR::ModeRxA, MultiSDR::ModeRxB, MultiSDR::ModeRxAB}) {
        EXPECT_NE(MultiSDR::modeName(mode), unknown) << mode;
        names.insert(MultiSDR::modeName(mode));
    }
    EXPECT_EQ(names.size(), 4);
    EXPECT_EQ(MultiSDR::modeName(-1), unknown);
}

TEST(MultiSDRCapture, OneCaptureAtATime)
{
    MultiSDR mixer;
    EXPECT_EQ(mixer.captureSamples(1000), 1);
    EXPECT_EQ(mixer.captureSamples(1000), 0);
}

class MultiSDRRunning : public AttachedEngine
{
protected:
    void SetUp() override
    {
        receiver.setRxSampleRate(250000);
        start();
    }
    // Blocks of RX A the mixing thread has taken from its channel: the
    // channel's display window counts them.
    int rxABlocksTaken()
    {
        QMutexLocker locker(engine.fullband_visu_fifo->mutex.get());
        return engine.fullband_visu_fifo->blockCount;
    }

    AMDemodulator am;
    USBdemodulator usb;
};

TEST_F(MultiSDRRunning, TheModeFollowsTheChannelSwitches)
{
    engine.installDemodulator(&am, 0);
    engine.installDemodulator(&usb, 1);
    const struct
    {
        int channel;
        bool on;
        int mode;
    } steps[] = {
        {0, true, MultiSDR::ModeRxA},
        {1, true, MultiSDR::ModeRxAB},
        {0, false, MultiSDR::ModeRxB},
        {1, false, MultiSDR::ModeOff},
    };
    for (const auto& step : steps) {
        if (step.on)
            engine.turnChannelOn(step.channel);
        else
            engine.turnChannelOff(step.channel);
        // With no channel on, the sound output discards what still comes.
        const bool discarding = step.mode == MultiSDR::ModeOff;
        EXPECT_TRUE(waitFor([&] {
            return engine.multiSdr->currentMode() == step.mode &&
                   engine.audioOutput->noChannel.load() == discarding;
        })) << MultiSDR::modeName(step.mode).toStdString();
    }
}

TEST_F(MultiSDRRunning, ChannelWithoutDemodulatorNeverSilencesTheOther)
{
    engine.installDemodulator(&usb, 1);
    engine.turnChannelOn(0); // no demodulator in RX A
    engine.turnChannelOn(1);
    ASSERT_TRUE(waitFor([&] { return engine.multiSdr->currentMode() == MultiSDR::ModeRxAB; }));
    const qint64 before = engine.audioOutput->blocksDiscarded();
    EXPECT_TRUE(waitFor([&] { return engine.audioOutput->blocksDiscarded() >= before + 10; }))
        << "RX B's audio reaches the output";
}

TEST_F(MultiSDRRunning, DemodulatorSignalReachesTheMixer)
{
    engine.turnChannelOn(0);
    ASSERT_TRUE(waitFor([&] { return engine.multiSdr->currentMode() == MultiSDR::ModeRxA; }));
    const qint64 before = engine.audioOutput->blocksDiscarded();
    const int taken = rxABlocksTaken();
    ASSERT_TRUE(waitFor([&] { return rxABlocksTaken() >= taken + 5; }));
    EXPECT_EQ(engine.audioOutput->blocksDiscarded(), before) << "no demodulator, no audio";
    // Installed while the mixer runs: it hears about it through the queued signal.
    engine.installDemodulator(&usb, 0);
    EXPECT_TRUE(waitFor([&] { return engine.audioOutput->blocksDiscarded() >= before + 10; }));
}

// With one channel on, the sound output sets the pace: once more than one audio block
// waits for it, the mixer takes no further channel block (the receiver's blocks queue up
// before the channel instead), and it goes on once the output has taken all but one.
TEST_F(MultiSDRRunning, OneChannelWaitsUntilAtMostOneAudioBlockIsQueued)
{
    engine.installDemodulator(&usb, 0);
    ASSERT_TRUE(engine.audioOutput->stop()) << "nothing takes the audio now";
    engine.turnChannelOn(0);
    SampleFifo* audio = engine.audioQueue;
    ASSERT_TRUE(waitFor([&] { return audio->size() > 1; }));
    ASSERT_TRUE(waitFor([&] { return engine.main_channelizer->inputQueueSize() >= 3; }));
    const int taken = rxABlocksTaken();
    const int queued = audio->size();
    ASSERT_TRUE(waitFor([&] { return engine.main_channelizer->inputQueueSize() >= 6; }));
    EXPECT_EQ(rxABlocksTaken(), taken);
    EXPECT_EQ(audio->size(), queued);

    while (audio->size() > 1) {
        int count = 0;
        std::free(audio->dequeue(&count, 0, nullptr, false));
        EXPECT_EQ(count, MultiSDR::AudioBlock);
    }
    EXPECT_TRUE(waitFor([&] { return rxABlocksTaken() > taken; }));
}

TEST_F(MultiSDRRunning, ARefusedAudioBlockOfOneChannelIsLoggedAtDebugLevel)
{
    ProgramLog::capture();
    engine.installDemodulator(&usb, 0);
    engine.turnChannelOn(0);
    ASSERT_TRUE(waitFor([&] { return engine.multiSdr->currentMode() == MultiSDR::ModeRxA; }));
    engine.audioQueue->accepting = false;
    const QString line = QStringLiteral("MultiSDR::run() single rx mode overflow audio queue audio.size=");
    const auto logged = [&] {
        for (const ProgramLog::Line& l : ProgramLog::lines())
            if (l.second.startsWith(line))
                return true;
        return false;
    };
    ASSERT_TRUE(waitFor(logged));
    engine.audioQueue->accepting = true;
    for (const ProgramLog::Line& l : ProgramLog::lines()) {
        if (l.second.startsWith(line)) {
            EXPECT_EQ(l.first, "Debug");
            EXPECT_TRUE(l.second.endsWith(" audio_frame_length=2048")) << l.second.toStdString();
        }
    }
}

} // namespace
