// The panels' display paths on a display window filled by the test: a tone lands
// on its bin with its level, frames follow the window's blocks and read position,
// averaging and smoothing, and the lengths they settle on.
#include "engine/SampleContext.h"
#include "engine/VisuFifo.h"
#include "ui/panels/BinLevel.h"
#include "ui/panels/DisplayFft.h"
#include "ui/panels/FullBandDisplayPath.h"
#include "ui/panels/SmallBandDisplayPath.h"

#include <QMutexLocker>
#include <QSemaphore>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <gtest/gtest.h>
#include <vector>

namespace {
// Level of a full-scale tone through the window: 20 log10(2 A x 0.3635819) for A = 1
// at the tone's bin, scaled by 2/N.
const double ToneDb = 20 * std::log10(0.3635819 * 2 * 0.5);

// Fills the window with a tone of amplitude 0.5 at toneHz, as the engine would.
void fill(VisuFifo& window, int capacity, int rate, double toneHz, int blocks, qint64 centre = 145000000,
          qint64 offset = 0)
{
    QMutexLocker locker(window.mutex.get());
    if (window.capacity != capacity)
        window.allocate(capacity);
    for (int i = 0; i < capacity; ++i)
        window.buffer[i] = std::polar(0.5f, float(2 * M_PI * toneHz * i / rate));
    window.rate = rate;
    window.centre = centre;
    window.offset = offset;
    window.blockCount = blocks;
    window.readPosition = 0;
}

// Writes a continuous tone of amplitude 0.5 through the engine's window callback in
// blocks of an odd length, so that the window's ring has wrapped and its oldest sample
// sits in the middle of its buffer. Returns the index of the next sample.
long writeTone(VisuFifo& window, int stage, float rate, double toneHz, long first, int blocks,
               int blockLength)
{
    SampleContext ctx{};
    ctx.fullband_visu_fifo = stage == 1 ? &window : nullptr;
    ctx.smallband_visu_fifo = stage == 2 ? &window : nullptr;
    std::vector<Complex> block(static_cast<size_t>(blockLength));
    for (int b = 0; b < blocks; ++b, first += blockLength) {
        for (int i = 0; i < blockLength; ++i)
            block[i] = std::polar(0.5f, float(2 * M_PI * toneHz * double(first + i) / rate));
        if (stage == 1)
            generate_fullband_display_fft(block.data(), blockLength, rate, 1, &ctx);
        else
            generate_smallband_display_fft(block.data(), blockLength, rate, 2, &ctx);
    }
    return first;
}

int peakIndex(const double* dB, int n)
{
    return int(std::max_element(dB, dB + n) - dB);
}
} // namespace

TEST(DisplayFft, ToneLandsOnItsDisplayBinWithItsLevel)
{
    struct Case
    {
        int n;
        int rate;
        double toneHz;
    };
    for (const Case c : {Case{1024, 48000, 3000}, Case{1024, 48000, -6000}, Case{8192, 16000, 1000}}) {
        DisplayFft fft(c.n);
        std::vector<Complex> samples(c.n);
        for (int i = 0; i < c.n; ++i)
            samples[i] = std::polar(0.5f, float(2 * M_PI * c.toneHz * i / c.rate));
        std::vector<double> dB(c.n);
        fft.load(samples.data());
        fft.transform(dB.data());
        const int expected = c.n / 2 + int(std::lround(c.toneHz * c.n / c.rate));
        EXPECT_EQ(peakIndex(dB.data(), c.n), expected) << c.toneHz;
        EXPECT_NEAR(dB[expected], ToneDb, 0.01) << c.toneHz;
    }
}

// The level of each bin against 20 log10(hypot(re, im) * scale + 1e-20) taken to
// single precision: the same float or its neighbour, from silence (where the 1e-20
// floor gives -400 dB) through the floor's edge to full scale and beyond, and the
// same non-finite results.
TEST(DisplayFft, BinLevelIsTheFullFormulaToTheLastPlaceOfAFloat)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<std::pair<float, float>> bins = {
        {0, 0},         {-0.0f, 0},      {1e-45f, 0},    {1e-38f, -1e-38f}, {1e-20f, 3e-20f},
        {2e-16f, 0},    {3e-15f, 4e-15f}, {1e-12f, 0},   {-7e-11f, 2e-11f}, {1e-9f, 1e-9f},
        {1.3e-6f, 0},   {0, -4.4e-4f},   {0.01f, 0.02f}, {0.3f, -0.4f},     {1, 0},
        {1234.5f, 1e3f}, {-3e18f, 3e18f}, {3e38f, 3e38f}, {inf, 0},         {1, -inf},
        {nan, 1},       {0, nan}};
    auto reference = [](float re, float im, double scale) {
        return double(float(20.0 * std::log10(std::hypot(double(re), double(im)) * scale + 1e-20)));
    };
    for (const int n : {2, 1024, 8192, 65536, 131072}) {
        const double scale = 2.0 / n;
        const BinLevel level(scale);
        std::vector<std::pair<float, float>> cases = bins;
        std::mt19937 random{unsigned(n)};
        std::uniform_real_distribution<float> exponent(-30, 3);
        std::uniform_real_distribution<float> sign(-1, 1);
        for (int i = 0; i < 2000; ++i)
            cases.emplace_back(sign(random) * std::pow(10.0f, exponent(random)),
                               sign(random) * std::pow(10.0f, exponent(random)));
        for (const auto& [re, im] : cases) {
            const double expected = reference(re, im, scale);
            const double got = level(re, im);
            if (std::isnan(expected)) {
                EXPECT_TRUE(std::isnan(got)) << re << " " << im << " n " << n;
            } else if (std::isinf(expected)) {
                EXPECT_EQ(got, expected) << re << " " << im << " n " << n;
            } else {
                const float e = float(expected);
                EXPECT_LE(std::fabs(got - expected),
                          std::nextafter(e, std::numeric_limits<float>::infinity()) - e)
                    << re << " " << im << " n " << n;
                EXPECT_EQ(double(float(got)), got);
            }
        }
        EXPECT_EQ(level(0, 0), float(20.0 * std::log10(1e-20))) << n;
    }
}

TEST(DisplayFft, WindowIsBlackmanNuttallAndRefusesNothingItCannotFill)
{
    std::vector<double> w(5);
    DisplayFft::applyWindow(w.data(), 5);
    EXPECT_NEAR(w[0], 0.0003628, 1e-7);
    EXPECT_NEAR(w[2], 1.0, 1e-6);
    EXPECT_NEAR(w[4], w[0], 1e-12);
    DisplayFft::applyWindow(nullptr, 5);
    DisplayFft::applyWindow(w.data(), 0);
    EXPECT_EQ(DisplayFft(0).length(), 2);
    EXPECT_EQ(DisplayFft(7).length(), 2);
}

TEST(FullBandDisplayPath, ToneAtAKnownOffsetPeaksAtItsBin)
{
    VisuFifo window;
    fill(window, 2 * 32768, 2048000, 100000, 1);
    FullBandDisplayPath path;
    const DisplayFrame frame = path.process(window, 32768);
    ASSERT_TRUE(frame.processed);
    EXPECT_EQ(frame.rate, 2048000);
    EXPECT_EQ(frame.centre, 145000000);
    ASSERT_TRUE(path.averageReady());
    // 100 kHz at 62.5 Hz per bin: 1600 bins above the middle.
    EXPECT_EQ(peakIndex(path.average(), path.length()), 16384 + 1600);
    EXPECT_NEAR(path.average()[16384 + 1600], ToneDb, 0.01);
    // The smoothed line starts from zero: 0.8 of the first frame.
    EXPECT_NEAR(path.smoothed()[16384 + 1600], 0.8 * ToneDb, 0.01);
}

TEST(FullBandDisplayPath, ReadsAWrappedWindowInTimeOrder)
{
    VisuFifo window;
    writeTone(window, 1, 2048000, 100000, 0, 50, 3001); // more than the 131088 samples held
    ASSERT_NE(window.head, 0);
    FullBandDisplayPath path;
    ASSERT_TRUE(path.process(window, 32768).processed);
    // A seam in the middle of the transform would spread the tone over other bins.
    EXPECT_EQ(peakIndex(path.average(), path.length()), 16384 + 1600);
    EXPECT_NEAR(path.average()[16384 + 1600], ToneDb, 0.01);
}

TEST(FullBandDisplayPath, FramesFollowBlocksAndTheReadPosition)
{
    VisuFifo window;
    FullBandDisplayPath path;
    fill(window, 32768 + 16384, 2048000, 0, 0);
    EXPECT_FALSE(path.process(window, 32768).processed) << "no block yet";

    fill(window, 32768 + 16384, 2048000, 0, 1);
    EXPECT_TRUE(path.process(window, 32768).processed);
    EXPECT_EQ(window.readPosition, 0);
    // No new block: a quarter further while the held samples allow, then skips.
    EXPECT_TRUE(path.process(window, 32768).processed);
    EXPECT_EQ(window.readPosition, 8192);
    EXPECT_TRUE(path.process(window, 32768).processed);
    EXPECT_EQ(window.readPosition, 16384);
    EXPECT_FALSE(path.process(window, 32768).processed);
    EXPECT_EQ(window.readPosition, 16384);

    // A busy window costs the frame: another thread holds it until the frame is over.
    window.blockCount = 2;
    window.readPosition = 0;
    QSemaphore held, done;
    QThread* holder = QThread::create([&] {
        window.mutex->lock();
        held.release();
        done.acquire();
        window.mutex->unlock();
    });
    holder->start();
    held.acquire();
    const bool processed = path.process(window, 32768).processed;
    done.release();
    holder->wait();
    delete holder;
    EXPECT_FALSE(processed);
}

TEST(FullBandDisplayPath, AveragesOverTheIntegratorAndDividesAfterItIsLowered)
{
    VisuFifo window;
    FullBandDisplayPath path;
    path.setIntegrator(4);
    int shown = 0;
    for (int frame = 1; frame <= 8; ++frame) {
        fill(window, 65536, 2048000, 100000, frame);
        path.process(window, 32768);
        if (path.averageReady()) {
            ++shown;
            EXPECT_EQ(frame % 4, 0);
            EXPECT_NEAR(path.average()[16384 + 1600], ToneDb, 0.01);
        }
    }
    EXPECT_EQ(shown, 2);

    // Lowered to 1 in the middle of a run: the next line is still a mean, not a sum.
    fill(window, 65536, 2048000, 100000, 9);
    path.process(window, 32768);
    fill(window, 65536, 2048000, 100000, 10);
    path.process(window, 32768);
    path.setIntegrator(1);
    fill(window, 65536, 2048000, 100000, 11);
    path.process(window, 32768);
    ASSERT_TRUE(path.averageReady());
    EXPECT_NEAR(path.average()[16384 + 1600], ToneDb, 0.01);
}

TEST(FullBandDisplayPath, EveryThirdProcessedFrameIsForTheStore)
{
    VisuFifo window;
    FullBandDisplayPath path;
    std::vector<bool> due;
    for (int frame = 1; frame <= 6; ++frame) {
        fill(window, 65536, 2048000, 0, frame);
        path.process(window, 32768);
        due.push_back(path.storeDue());
    }
    EXPECT_EQ(due, (std::vector<bool>{false, false, true, false, false, true}));
}

TEST(FullBandDisplayPath, LengthFollowsTheEngineWithinWhatTheWindowHolds)
{
    struct Case
    {
        int capacity;
        int wanted;
        int settled;
    };
    const Case cases[] = {{2 * 8192 + 16, 8192, 8192},
                          {65536 + 16, 65536, 65536},
                          {32784, 65536, 32768}, // a window the engine did not regrow
                          {1000, 32768, 512}};
    for (const Case& c : cases) {
        VisuFifo window;
        FullBandDisplayPath path;
        fill(window, c.capacity, 512000, 0, 1);
        path.process(window, c.wanted);
        EXPECT_EQ(path.length(), c.settled) << c.capacity << " / " << c.wanted;
        fill(window, c.capacity, 512000, 0, 2);
        EXPECT_TRUE(path.process(window, c.wanted).processed) << "settled: no more re-planning";
        EXPECT_EQ(path.length(), c.settled);
    }
}

TEST(SmallBandDisplayPath, ShowsTheNewestSamplesAndFollowsAMovedTone)
{
    // Old samples carry a tone at -2 kHz, the newest 8192 one at +3 kHz.
    VisuFifo window;
    const int rate = 16000;
    const int capacity = 1 << 18;
    fill(window, capacity, rate, -2000, 1, 145000000, 12000);
    {
        QMutexLocker locker(window.mutex.get());
        for (int i = capacity - 8192; i < capacity; ++i)
            window.buffer[i] = std::polar(0.5f, float(2 * M_PI * 3000.0 * i / rate));
    }
    SmallBandDisplayPath path;
    const DisplayFrame frame = path.process(window);
    ASSERT_TRUE(frame.processed);
    EXPECT_EQ(frame.offset, 12000);
    EXPECT_EQ(peakIndex(path.smoothed(), 8192), 4096 + 3000 * 8192 / rate);
    // (old + 9 new) / 10 from zero.
    EXPECT_NEAR(path.smoothed()[4096 + 1536], 0.9 * ToneDb, 0.01);

    // The tone moves: the next block brings it to -2 kHz everywhere.
    fill(window, capacity, rate, -2000, 2);
    for (int i = 0; i < 5; ++i)
        path.process(window);
    EXPECT_EQ(peakIndex(path.smoothed(), 8192), 4096 - 1024);
}

TEST(SmallBandDisplayPath, ReadsTheNewestSamplesOfAWrappedWindow)
{
    // Old samples carry a tone at -2 kHz, the newest 9001 one at +3 kHz.
    VisuFifo window;
    const int rate = 16000;
    const long next = writeTone(window, 2, rate, -2000, 0, 100, 3001); // more than the 131088 held
    writeTone(window, 2, rate, 3000, next, 1, 9001);
    ASSERT_NE(window.head, 0);
    SmallBandDisplayPath path;
    ASSERT_TRUE(path.process(window).processed);
    EXPECT_EQ(peakIndex(path.smoothed(), 8192), 4096 + 3000 * 8192 / rate);
    EXPECT_NEAR(path.smoothed()[4096 + 1536], 0.9 * ToneDb, 0.01);
}

TEST(SmallBandDisplayPath, WithoutNewBlocksStepsBackThenRepeats)
{
    VisuFifo window;
    fill(window, 8192 + 1024, 16000, 1000, 1);
    SmallBandDisplayPath path;
    EXPECT_TRUE(path.process(window).processed);
    EXPECT_EQ(window.readPosition, 0);
    EXPECT_TRUE(path.process(window).processed);
    EXPECT_EQ(window.readPosition, 512);
    EXPECT_TRUE(path.process(window).processed);
    EXPECT_EQ(window.readPosition, 1024);
    EXPECT_TRUE(path.process(window).processed) << "the same samples again";
    EXPECT_EQ(window.readPosition, 1024);
}

TEST(SmallBandDisplayPath, AShortOrMissingWindowIsSkippedAndTheLengthStays)
{
    VisuFifo window;
    SmallBandDisplayPath path;
    EXPECT_FALSE(path.process(window).processed) << "no buffer";
    fill(window, 4096, 16000, 1000, 1);
    EXPECT_FALSE(path.process(window).processed);
    fill(window, 1, 16000, 1000, 2);
    EXPECT_FALSE(path.process(window).processed);
    EXPECT_EQ(path.length(), SmallBandDisplayPath::Length);
}
