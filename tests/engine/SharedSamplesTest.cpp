// One receiver block read by several holders: each handle reads its own samples for as
// long as it is held, whatever the others do, and the block goes with the last handle
// (AddressSanitizer and LeakSanitizer watch both).
#include "engine/SharedSamples.h"
#include "engine/Channelizer.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

Complex* ramp(int count)
{
    auto* block = static_cast<Complex*>(std::malloc(sizeof(Complex) * size_t(count)));
    for (int i = 0; i < count; ++i)
        block[i] = Complex(float(i), -float(i));
    return block;
}

} // namespace

TEST(SharedSamples, EveryHolderReadsItsSamplesUntilTheLastLetsGo)
{
    SharedSamples* whole = SharedSamples::adopt(ramp(1000), 1000);
    ASSERT_NE(whole, nullptr);
    SharedSamples* again = whole->share(0, 1000);
    SharedSamples* piece = whole->share(600, 400);
    ASSERT_NE(again, nullptr);
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(piece->count(), 400);
    EXPECT_EQ(piece->samples()[0], Complex(600, -600));

    SharedSamples::release(whole);
    EXPECT_EQ(again->samples()[999], Complex(999, -999)) << "still held by the other channel";
    SharedSamples::release(again);
    EXPECT_EQ(piece->samples()[399], Complex(999, -999)) << "still held by a piece";
    SharedSamples::release(piece);
    SharedSamples::release(nullptr);
}

TEST(SharedSamples, ChannelsQueueOneBlockAndDropItOnEveryPath)
{
    // Both channels get the block; one processes it, the other is flushed, and a third
    // is destroyed with the block still queued. Nothing leaks, nothing is freed twice.
    Channelizer a(2048000, 3300), b(2048000, 3300), c(2048000, 3300);
    a.setFilter(10, 3600);
    SharedSamples* block = SharedSamples::adopt(ramp(16384), 16384);
    ASSERT_GT(a.EnqueueShared(block->share(0, 16384), nullptr), 0);
    ASSERT_GT(b.EnqueueShared(block->share(0, 16384), nullptr), 0);
    ASSERT_GT(c.EnqueueShared(block, nullptr), 0);
    a.transfert();
    b.flush(0);
    EXPECT_EQ(b.inputQueueSize(), 0);
    EXPECT_EQ(c.inputQueueSize(), 1);
}
