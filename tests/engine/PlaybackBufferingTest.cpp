#include "engine/audio/PlaybackBuffering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

TEST(PlaybackBuffering, TheBufferHoldsABlockAndAMarginWithinTheCeiling)
{
    struct Case
    {
        int blockMs;
        int bufferMs;
    };
    for (const Case& c :
         {Case{5, 5 + PlaybackBuffering::kMarginMs}, Case{43, 43 + PlaybackBuffering::kMarginMs},
          Case{0, 1 + PlaybackBuffering::kMarginMs}, Case{-20, 1 + PlaybackBuffering::kMarginMs},
          Case{500, PlaybackBuffering::kMaxBufferMs}})
        EXPECT_EQ(PlaybackBuffering(c.blockMs).bufferMs(), c.bufferMs) << c.blockMs;
}

TEST(PlaybackBuffering, UnderrunsWhileAudioComesGrowTheBufferUpToTheCeiling)
{
    PlaybackBuffering buffering(5);
    int expected = 5 + PlaybackBuffering::kMarginMs;
    while (expected + PlaybackBuffering::kGrowthMs <= PlaybackBuffering::kMaxBufferMs) {
        ASSERT_TRUE(buffering.underrun(40));
        expected += PlaybackBuffering::kGrowthMs;
        ASSERT_EQ(buffering.bufferMs(), expected);
    }
    // The last step stops at the ceiling, and the buffer grows no further.
    EXPECT_EQ(buffering.underrun(40), expected != PlaybackBuffering::kMaxBufferMs);
    EXPECT_EQ(buffering.bufferMs(), PlaybackBuffering::kMaxBufferMs);
    EXPECT_FALSE(buffering.underrun(40));
    EXPECT_EQ(buffering.bufferMs(), PlaybackBuffering::kMaxBufferMs);
}

TEST(PlaybackBuffering, AnUnderrunAfterAPauseInTheAudioLeavesTheBuffer)
{
    for (const qint64 gapMs : {qint64(PlaybackBuffering::kMaxBufferMs + 1), qint64(2000), qint64(1) << 40}) {
        PlaybackBuffering buffering(5);
        EXPECT_FALSE(buffering.underrun(gapMs)) << gapMs;
        EXPECT_EQ(buffering.bufferMs(), 5 + PlaybackBuffering::kMarginMs) << gapMs;
    }
}

TEST(PlaybackBuffering, OnlyABacklogThatStandsWhileTheDevicePlaysIsDropped)
{
    // Blocks of 5 ms go to the device every stepMs through each span of the clock;
    // queued(t, dropped so far) is what waits behind each.
    constexpr int kBlockMs = 5;
    struct Span
    {
        qint64 fromMs, toMs;
    };
    const std::vector<Span> steady = {{0, 3000}};
    struct Case
    {
        const char* what;
        int stepMs;
        std::vector<Span> clock;
        std::function<int(qint64 t, int dropped)> queued;
        int dropped;
    };
    const Case cases[] = {
        {"bursts that drain between them", kBlockMs, steady, [](qint64 t, int) { return 3 - int(t / 5 % 4); },
         0},
        {"a backlog after a stall, while the audio keeps coming: all but one block", kBlockMs, steady,
         [](qint64, int dropped) { return 40 - dropped; }, 39},
        {"a backlog that drains within the window", kBlockMs, steady,
         [](qint64 t, int) { return std::max(0, 30 - int(t / 5)); }, 0},
        {"one block standing is kept", kBlockMs, steady, [](qint64, int) { return 1; }, 0},
        {"a device that plays slower than real time keeps its queue", 4 * kBlockMs, steady,
         [](qint64, int) { return 40; }, 0},
        {"a clock that went back starts the window again",
         kBlockMs,
         {{1000, 1400}, {0, 3000}},
         [](qint64, int dropped) { return 10 - dropped; },
         9},
    };
    for (const Case& c : cases) {
        PlaybackBuffering buffering(kBlockMs);
        int dropped = 0;
        for (const Span& span : c.clock)
            for (qint64 t = span.fromMs; t <= span.toMs; t += c.stepMs)
                dropped += buffering.blocksToDrop(c.queued(t, dropped), t);
        EXPECT_EQ(dropped, c.dropped) << c.what;
    }
}
