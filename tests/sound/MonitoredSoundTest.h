#pragma once

#include "SoundCapture.h"
#include "ToneAnalysis.h"
#include "WaitFor.h"

#include "engine/MultiSDR.h"
#include "engine/audio/AudioOutput.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// A suite that records the null sink's monitor once for all its cases:
// starting a recording costs up to two seconds while the idle sink wakes up.
// Derived fixtures that add to SetUp call this one first and return on its
// fatal failures.
class MonitoredSoundTest : public ::testing::Test
{
public:
    static SoundCapture& monitor() { return *s_monitor; }

protected:
    static void SetUpTestSuite()
    {
        if (!SoundCapture::serverAvailable())
            return;
        s_monitor = std::make_unique<SoundCapture>();
        s_started = s_monitor->start();
    }
    static void TearDownTestSuite() { s_monitor.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_monitor)
            << "no PulseAudio server: source scripts/pulse-null-sink.sh before the sound tests";
        ASSERT_TRUE(s_started) << "parec records nothing from " << SoundCapture::kDefaultSource;
    }

private:
    inline static std::unique_ptr<SoundCapture> s_monitor;
    inline static bool s_started = false;
};

// A bound for the waits below: reached only when the sound stops flowing.
constexpr int kSoundBoundMs = 30000;

// The mixing thread's audio blocks that hold ms of audio.
inline int engineBlocksFor(int ms)
{
    return int((qint64(ms) * AudioOutput::kSampleRate / 1000 + MultiSDR::AudioBlock - 1) /
               MultiSDR::AudioBlock);
}

// Serves events until the output has written blocks more blocks to the sink:
// the time a change takes to reach the listener, counted in audio played
// rather than in wall time, so that a slow machine only makes it take longer.
inline bool playOn(const AudioOutput& output, int blocks)
{
    const qint64 target = output.blocksPlayed() + blocks;
    return waitFor([&] { return output.blocksPlayed() >= target; }, kSoundBoundMs);
}

// What the sink played while the output wrote blocks more blocks (one channel:
// the output writes the same mix to both).
inline std::vector<float> listenWhile(const AudioOutput& output, int blocks)
{
    MonitoredSoundTest::monitor().takeNew();
    EXPECT_TRUE(playOn(output, blocks)) << "the output stopped playing";
    return MonitoredSoundTest::monitor().takeNew().left;
}

// Records (one channel) until the sink has played samples of sound without a
// drop-out, and returns that stretch; empty when none came within kSoundBoundMs.
// A sound is never at the quiet level for more than a millisecond; the silence a
// sink plays when it runs dry lasts longer.
inline std::vector<float> listenUnbroken(long samples)
{
    constexpr float kQuietLevel = 0.001f;
    const long rate = MonitoredSoundTest::monitor().takeNew().rate;
    std::vector<float> recorded;
    tone::Span unbroken;
    const bool heard = waitFor(
        [&] {
            const std::vector<float> more = MonitoredSoundTest::monitor().takeNew().left;
            recorded.insert(recorded.end(), more.begin(), more.end());
            unbroken = tone::longestUnbroken(recorded, kQuietLevel, rate / 1000);
            return unbroken.size() >= samples;
        },
        kSoundBoundMs);
    EXPECT_TRUE(heard) << "longest unbroken sound: " << unbroken.size() << " of " << recorded.size()
                       << " samples";
    return heard ? tone::slice(recorded, unbroken.begin, unbroken.end) : std::vector<float>{};
}
