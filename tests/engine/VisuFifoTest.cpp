#include "engine/VisuFifo.h"

#include "engine/SampleContext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct WindowFixture : testing::Test
{
    WindowFixture()
    {
        std::memset(&ctx, 0, sizeof ctx);
        ctx.hw_center = 2400000000LL;
        ctx.rx_offset = 1234.7f;
    }
    ~WindowFixture() override { FULLBAND_FFT_LENGTH = 32768; }

    // count samples numbered first, first + 1, ... in their real parts
    static std::vector<Complex> ramp(int first, int count)
    {
        std::vector<Complex> x(count);
        for (int i = 0; i < count; ++i)
            x[i] = Complex(float(first + i), 0.0f);
        return x;
    }
    // Real parts of the whole window, oldest first.
    static std::vector<float> inOrder(const VisuFifo& window)
    {
        std::vector<Complex> samples(window.capacity);
        EXPECT_TRUE(window.samplesInOrder(0, window.capacity, samples.data()));
        std::vector<float> real;
        for (const Complex& x : samples)
            real.push_back(x.real());
        return real;
    }
    // Real parts of the window's last n samples must be last - n + 1 .. last.
    static void expectNewestInOrder(const VisuFifo& window, int last, int n)
    {
        const std::vector<float> real = inOrder(window);
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(real[window.capacity - n + i], float(last - n + 1 + i)) << i;
    }

    SampleContext ctx;
    VisuFifo window;
};

using FullbandWindow = WindowFixture;
using SmallbandWindow = WindowFixture;

} // namespace

TEST_F(FullbandWindow, CapacityFollowsRateAndDisplayLength)
{
    struct Case
    {
        float rate;
        int fftLength;
        int capacity;
    };
    for (const Case c :
         {Case{2048000, 65536, 131088}, Case{250000, 32768, 65536}, Case{10000000, 1024, 131088}}) {
        VisuFifo fresh;
        ctx.fullband_visu_fifo = &fresh;
        FULLBAND_FFT_LENGTH = c.fftLength;
        auto block = ramp(0, 1000);
        EXPECT_EQ(generate_fullband_display_fft(block.data(), 1000, c.rate, 1, &ctx), 1);
        EXPECT_EQ(fresh.capacity, c.capacity) << c.rate;
        EXPECT_EQ(fresh.rate, int(c.rate));
        EXPECT_EQ(fresh.centre, 2400000000LL);
        EXPECT_EQ(fresh.offset, 1234);
    }
}

TEST_F(FullbandWindow, HoldsTheNewestSamplesInOrderAfterManyBlocks)
{
    ctx.fullband_visu_fifo = &window;
    int next = 0;
    for (int b = 0; b < 50; ++b) {
        auto block = ramp(next, 7000);
        next += 7000;
        window.readPosition = 99; // the panel's reading position goes back to 0 with each block
        generate_fullband_display_fft(block.data(), 7000, 250000, 1, &ctx);
    }
    ASSERT_EQ(window.capacity, 65536);
    EXPECT_EQ(window.blockCount, 50);
    EXPECT_EQ(window.readPosition, 0);
    expectNewestInOrder(window, next - 1, window.capacity);
}

TEST_F(FullbandWindow, RetuneBeyondTenHertzStartsAfresh)
{
    ctx.fullband_visu_fifo = &window;
    auto first = ramp(1, 1000);
    generate_fullband_display_fft(first.data(), 1000, 250000, 1, &ctx);
    ctx.hw_center += 5;
    auto second = ramp(1001, 1000);
    generate_fullband_display_fft(second.data(), 1000, 250000, 1, &ctx);
    EXPECT_EQ(window.blockCount, 2);
    expectNewestInOrder(window, 2000, 2000);

    ctx.hw_center += 11;
    auto third = ramp(5001, 1000);
    generate_fullband_display_fft(third.data(), 1000, 250000, 1, &ctx);
    EXPECT_EQ(window.blockCount, 0);
    EXPECT_EQ(window.centre, ctx.hw_center);
    const std::vector<float> afresh = inOrder(window);
    EXPECT_EQ(afresh[0], 5001.0f);
    EXPECT_EQ(afresh[999], 6000.0f);
    EXPECT_EQ(afresh[window.capacity - 1], 0.0f);

    // The next block pushes the oldest out, as after any other block.
    auto fourth = ramp(6001, 1000);
    generate_fullband_display_fft(fourth.data(), 1000, 250000, 1, &ctx);
    const std::vector<float> after = inOrder(window);
    EXPECT_EQ(after[0], 0.0f);
    EXPECT_EQ(after[window.capacity - 1001], 0.0f);
    expectNewestInOrder(window, 7000, 1000);
}

TEST_F(FullbandWindow, BlockLongerThanTheWindowGrowsIt)
{
    ctx.fullband_visu_fifo = &window;
    auto block = ramp(1, 100000);
    generate_fullband_display_fft(block.data(), 100000, 250000, 1, &ctx);
    ASSERT_EQ(window.capacity, 200000);
    EXPECT_EQ(inOrder(window)[0], 0.0f);
    expectNewestInOrder(window, 100000, 100000);
}

TEST_F(SmallbandWindow, HoldsTheNewestBlockAtItsEndInTimeOrder)
{
    ctx.smallband_visu_fifo = &window;
    int next = 1;
    for (int b = 0; b < 260; ++b) { // more than the window holds
        auto block = ramp(next, 2048);
        next += 2048;
        generate_smallband_display_fft(block.data(), 2048, 48000, 2, &ctx);
    }
    ASSERT_EQ(window.capacity, 524304);
    EXPECT_EQ(window.blockCount, 260);
    expectNewestInOrder(window, next - 1, window.capacity);
}

TEST_F(SmallbandWindow, NewRateStartsANewWindow)
{
    ctx.smallband_visu_fifo = &window;
    auto block = ramp(1, 1000);
    generate_smallband_display_fft(block.data(), 1000, 48000, 2, &ctx);
    generate_smallband_display_fft(block.data(), 1000, 48000, 2, &ctx);
    EXPECT_EQ(window.blockCount, 2);
    generate_smallband_display_fft(block.data(), 1000, 16000, 2, &ctx);
    EXPECT_EQ(window.blockCount, 1);
    EXPECT_EQ(window.rate, 16000);
    EXPECT_EQ(window.capacity, (1 << 17) + 16);
    expectNewestInOrder(window, 1000, 1000);
    EXPECT_EQ(inOrder(window)[window.capacity - 1001], 0.0f);
}

TEST_F(SmallbandWindow, FirstBlockLargerThanTheWindowSizesIt)
{
    ctx.smallband_visu_fifo = &window;
    auto block = ramp(1, 5000);
    generate_smallband_display_fft(block.data(), 5000, 100, 2, &ctx); // 2^10 + 16 would not hold it
    EXPECT_EQ(window.capacity, 32768);
    expectNewestInOrder(window, 5000, 5000);
}

TEST_F(WindowFixture, BlocksWithoutAWindowOrSamplesAreIgnored)
{
    auto block = ramp(1, 100);
    EXPECT_EQ(generate_fullband_display_fft(block.data(), 100, 250000, 1, &ctx), 1);
    EXPECT_EQ(generate_smallband_display_fft(block.data(), 100, 48000, 2, &ctx), 1);
    EXPECT_EQ(generate_fullband_display_fft(block.data(), 100, 250000, 1, nullptr), 1);
    ctx.fullband_visu_fifo = &window;
    ctx.smallband_visu_fifo = &window;
    EXPECT_EQ(generate_smallband_display_fft(block.data(), 0, 48000, 2, &ctx), 1);
    EXPECT_EQ(generate_fullband_display_fft(block.data(), 100, 4, 1, &ctx), 1); // no window size below 16 S/s
    EXPECT_EQ(window.buffer, nullptr);
    EXPECT_EQ(window.blockCount, 0);
}

TEST(VisuFifoRead, RangesOutsideWhatIsHeldAreRefused)
{
    VisuFifo window;
    Complex out[4];
    EXPECT_FALSE(window.samplesInOrder(0, 1, out)) << "no buffer yet";
    window.allocate(8);
    EXPECT_TRUE(window.samplesInOrder(4, 4, out));
    EXPECT_FALSE(window.samplesInOrder(5, 4, out));
    EXPECT_FALSE(window.samplesInOrder(-1, 2, out));
}

TEST(VisuFifoSnapshot, HoldsTheLockUntilItGoesOrIsReleased)
{
    VisuFifo window;
    window.mutex->lock();
    EXPECT_FALSE(VisuFifoSnapshot(window, 1).locked()) << "the writer holds the window";
    window.mutex->unlock();
    {
        VisuFifoSnapshot snapshot(window, 1);
        ASSERT_TRUE(snapshot.locked());
        snapshot->readPosition = 7;
        EXPECT_FALSE(window.mutex->tryLock());
    }
    ASSERT_TRUE(window.mutex->tryLock()) << "unlocked when the snapshot went";
    window.mutex->unlock();
    EXPECT_EQ(window.readPosition, 7);

    VisuFifoSnapshot early(window, 1);
    early.release();
    EXPECT_FALSE(early.locked());
    ASSERT_TRUE(window.mutex->tryLock()) << "released before it goes, and only once";
    window.mutex->unlock();
}
