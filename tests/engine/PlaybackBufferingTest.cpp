#include "engine/audio/PlaybackBuffering.h"

#include <gtest/gtest.h>

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
