#include "engine/Channelizer.h"

#include "engine/SampleContext.h"

#include "DspTestSignals.h"
#include "WaitFor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <thread>

using dsptest::tone;

namespace {

constexpr int64_t kCentre = 2400000000LL;

Complex* mallocBlock(const Complex* samples, int count)
{
    auto* block = static_cast<Complex*>(malloc(size_t(count) * sizeof(Complex)));
    std::memcpy(block, samples, size_t(count) * sizeof(Complex));
    return block;
}

SampleContext* mallocContext()
{
    auto* ctx = static_cast<SampleContext*>(calloc(1, sizeof(SampleContext)));
    ctx->hw_center = kCentre;
    return ctx;
}

// Pushes the input in blocks, pulling once per block as the mixing thread does, and
// returns everything that came out (freeing the blocks and contexts handed out).
std::vector<Complex> runChannel(Channelizer& channel, const std::vector<Complex>& input, int blockSize)
{
    std::vector<Complex> out;
    for (size_t pos = 0; pos < input.size(); pos += blockSize) {
        const int n = int(std::min<size_t>(blockSize, input.size() - pos));
        channel.EnqueueData(mallocBlock(input.data() + pos, n), mallocContext(), n);
        int count = 0;
        SampleContext* ctx = nullptr;
        Complex* block = channel.getData(&count, &ctx, 0);
        out.insert(out.end(), block, block + count);
        free(block);
        free(ctx);
    }
    return out;
}

// What the stage callbacks saw.
struct StageCall
{
    int count;
    float rate;
    int stage;
    SampleContext* ctx;
    int64_t centre;
    float firstSample;
};
std::vector<StageCall> stageCalls;

int recordStage(const Complex* samples, int count, float rate, int stage, SampleContext* ctx)
{
    stageCalls.push_back({count, rate, stage, ctx, ctx ? ctx->hw_center : 0, samples[0].real()});
    return 1;
}

int stopStage(const Complex* samples, int count, float rate, int stage, SampleContext* ctx)
{
    recordStage(samples, count, rate, stage, ctx);
    return 0;
}

// Runs the input through cicDecimate in blocks; returns everything that came out.
std::vector<Complex> cicRun(Channelizer& channel, const std::vector<Complex>& input, int blockSize,
                            int factor)
{
    std::vector<Complex> out(input.size() / factor + 1);
    size_t produced = 0;
    for (size_t pos = 0; pos < input.size(); pos += blockSize) {
        const int n = int(std::min<size_t>(blockSize, input.size() - pos));
        produced += channel.cicDecimate(input.data() + pos, n, out.data() + produced, factor);
    }
    out.resize(produced);
    return out;
}

struct ChannelizerTest : testing::Test
{
    ChannelizerTest() { stageCalls.clear(); }
};

} // namespace

TEST_F(ChannelizerTest, FilterSetsChannelRateAndPlan)
{
    struct Case
    {
        int inputRate;
        float low, high;
        int outputRate, decimatedRate, pieceLength;
    };
    const Case cases[] = {
        {2048000, -4500, 4500, 9000, 32000, -1},
        // One-sided bands keep their whole width at the channel rate: 2 x 3600.
        {2048000, 10, 3600, 7200, 32000, -1},
        {2048000, -3600, -10, 7200, 32000, -1},
        {2048000, -1500, 1500, 3000, 16000, -1},
        // Close to the receiver rate only half-band stages, none below 200 kHz.
        {48000, 10, 3600, 7200, 48000, 32768},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.inputRate << " Hz, " << c.low << ".." << c.high);
        Channelizer channel(c.inputRate, 3300);
        channel.setFilter(c.low, c.high);
        EXPECT_EQ(channel.outputRate(), c.outputRate);
        EXPECT_EQ(channel.decimatedRate(), c.decimatedRate);
        EXPECT_EQ(channel.maxPieceLength(), c.pieceLength);
    }
}

// The channel filter works in frames of 2048 decimated samples: a step before the frame
// is complete gives the mixing thread no block; the step that completes it gives the
// whole frame at the channel rate.
TEST_F(ChannelizerTest, NothingComesOutUntilTheFilterHasAFrame)
{
    Channelizer channel(2048000, 3300);
    channel.setFilter(-1500, 1500);
    ASSERT_EQ(channel.decimatedRate(), 16000);
    constexpr int kBlock = 16384; // 128 samples at 16000 Hz
    constexpr int kBlocksPerFrame = 2048 / (kBlock / 128);
    const std::vector<Complex> input = tone(kBlocksPerFrame * kBlock, 500.0 / 2048000);
    for (int i = 0; i < kBlocksPerFrame; ++i) {
        channel.EnqueueData(mallocBlock(input.data() + i * kBlock, kBlock), mallocContext(), kBlock);
        int count = -1;
        SampleContext* ctx = nullptr;
        Complex* block = channel.getData(&count, &ctx, 0);
        if (i + 1 < kBlocksPerFrame) {
            EXPECT_EQ(block, nullptr) << "step " << i;
            EXPECT_EQ(count, 0) << "step " << i;
        } else {
            ASSERT_NE(block, nullptr);
            // 2048 samples at 16000 Hz are 384 at 3000 Hz.
            EXPECT_NEAR(count, 384, 1);
        }
        free(block);
        free(ctx);
    }
}

TEST_F(ChannelizerTest, BandWithoutWidthIsRefused)
{
    Channelizer channel(2048000, 3300);
    channel.setFilter(10, 3600);
    channel.setFilter(0, 0);
    EXPECT_EQ(channel.outputRate(), 7200);
    EXPECT_EQ(channel.lowCut(), 10.0f);
    EXPECT_EQ(channel.highCut(), 3600.0f);
    channel.setInputRate(0);
    EXPECT_EQ(channel.inputRate(), 2048000);
}

TEST_F(ChannelizerTest, TonesComeOutAtTheirOwnFrequencyAndAmplitude)
{
    // Receiver at 2.048 MS/s, channel 100 kHz above the centre; a tone f Hz above the
    // channel frequency (below it for LSB) must come out at f Hz at the channel rate,
    // with the oscillator's gain sqrt(0.95).
    struct Case
    {
        float low, high;
        double hz;
    };
    const Case cases[] = {{10, 3600, 500},    {10, 3600, 1500},    {10, 3600, 2500},    {10, 3600, 3300},
                          {-3600, -10, -500}, {-3600, -10, -2500}, {-4500, 4500, -3000}};
    const double offset = 100000;
    const float amplitude = 0.1f;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.low << ".." << c.high << ", tone " << c.hz << " Hz");
        Channelizer channel(2048000, 3300);
        channel.setOffset(-offset);
        channel.setFilter(c.low, c.high);
        const auto out = runChannel(channel, tone(1 << 20, (offset + c.hz) / 2048000, amplitude), 16384);
        const double rate = channel.outputRate();
        ASSERT_GT(out.size(), 2000u);
        EXPECT_NEAR(dsptest::toneFrequency(out, 1000) * rate, c.hz, 0.5);
        EXPECT_NEAR(dsptest::meanMagnitude(out, 1000), amplitude * std::sqrt(0.95), 0.001);
    }
}

TEST_F(ChannelizerTest, PowerLevelSurvivesSilenceAndGarbage)
{
    Channelizer channel(48000, 3300);
    channel.setFilter(-5500, 5500);
    // 10 log10 of the tone's amplitude after the oscillator's gain sqrt(0.95).
    runChannel(channel, tone(2 * 48000, 0.01, 0.1f), 4096);
    EXPECT_NEAR(channel.powerLevel(), 10 * std::log10(0.1 * std::sqrt(0.95)), 0.01);
    runChannel(channel, std::vector<Complex>(200000, Complex(0, 0)), 4096);
    EXPECT_TRUE(std::isfinite(channel.powerLevel()));
    EXPECT_GE(channel.powerLevel(), -100.0f);
    const float before = channel.powerLevel();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    runChannel(channel, std::vector<Complex>(4096 * 4, Complex(nan, nan)), 4096);
    EXPECT_EQ(channel.powerLevel(), before);
}

TEST_F(ChannelizerTest, SmallBlocksAndUpsamplingStayInsideTheWorkBuffers)
{
    // Output counts follow the rate ratio; AddressSanitizer watches the buffers.
    struct Case
    {
        float low, high;
        int block;
    };
    for (const Case c : {Case{-5500, 5500, 256}, Case{-30000, 30000, 256}, Case{10, 3600, 100}}) {
        SCOPED_TRACE(testing::Message() << c.low << ".." << c.high << " in blocks of " << c.block);
        Channelizer channel(48000, 3300);
        channel.setFilter(c.low, c.high);
        const int inputs = 48000 * 2;
        const auto out = runChannel(channel, tone(inputs, 0.01, 0.1f), c.block);
        const double ratio = double(channel.decimatedRate()) / channel.outputRate();
        // The filter holds back up to one 2048-sample frame.
        EXPECT_NEAR(double(out.size()), inputs / ratio, 2048 / ratio + 2);
    }
}

TEST_F(ChannelizerTest, EqualRatesPassBlocksThroughMixedOnly)
{
    Channelizer channel(48000, 3300);
    channel.setFilter(-24000, 24000); // channel rate 48000, the receiver's
    channel.setOffset(-1000);
    channel.setStageCallback(1, recordStage);
    channel.setStageCallback(2, recordStage);
    const auto input = tone(5000, 1000.0 / 48000, 0.5f);
    channel.EnqueueData(mallocBlock(input.data(), 5000), mallocContext(), 5000);
    int count = 0;
    SampleContext* ctx = nullptr;
    Complex* block = channel.getData(&count, &ctx, 0);
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(count, 5000);
    ASSERT_NE(ctx, nullptr);
    EXPECT_EQ(ctx->hw_center, kCentre);
    const std::vector<Complex> out(block, block + count);
    EXPECT_NEAR(dsptest::toneFrequency(out) * 48000, 0.0, 0.01);
    EXPECT_TRUE(stageCalls.empty());
    EXPECT_EQ(channel.powerLevel(), 0.0f);
    free(block);
    free(ctx);
}

TEST_F(ChannelizerTest, LongBlocksAreCutWithContextCopies)
{
    Channelizer channel(48000, 3300);
    channel.setFilter(10, 3600);
    ASSERT_EQ(channel.maxPieceLength(), 32768);
    channel.setStageCallback(1, recordStage);
    std::vector<Complex> ramp(100000);
    for (int i = 0; i < 100000; ++i)
        ramp[i] = Complex(float(i), 0.0f);
    SampleContext* ctx = mallocContext();
    channel.EnqueueData(mallocBlock(ramp.data(), 100000), ctx, 100000);
    EXPECT_EQ(channel.inputQueueSize(), 4);
    for (int i = 0; i < 4; ++i)
        channel.transfert();
    ASSERT_EQ(stageCalls.size(), 4u);
    const int counts[] = {32768, 32768, 32768, 1696};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(stageCalls[i].count, counts[i]);
        EXPECT_EQ(stageCalls[i].firstSample, float(32768 * i));
        EXPECT_EQ(stageCalls[i].centre, kCentre);
        EXPECT_EQ(stageCalls[i].rate, 48000.0f);
        EXPECT_EQ(stageCalls[i].stage, 1);
    }
    EXPECT_EQ(stageCalls[3].ctx, ctx); // the remainder keeps the caller's context
    EXPECT_NE(stageCalls[0].ctx, ctx);
    channel.flush(0);
}

TEST_F(ChannelizerTest, RefusedLongBlockTeachesThePieceLength)
{
    // At 2.048 MS/s the first stages take any length, but a 600000-sample block still
    // reaches a half-band stage with more than 32768 samples: it is dropped, and from
    // then on blocks are cut, also after a new filter.
    Channelizer channel(2048000, 3300);
    channel.setFilter(10, 3600); // 11, 11, 11, 15, ...: the fourth stage gets 1/8 of a block
    ASSERT_EQ(channel.maxPieceLength(), -1);
    const std::vector<Complex> big(600000, Complex(0.1f, 0.0f));
    channel.EnqueueData(mallocBlock(big.data(), 600000), mallocContext(), 600000);
    EXPECT_EQ(channel.transfert(), 0);
    EXPECT_EQ(channel.maxPieceLength(), 32768);
    channel.setFilter(-1500, 1500);
    EXPECT_EQ(channel.maxPieceLength(), 32768);
    channel.EnqueueData(mallocBlock(big.data(), 40000), mallocContext(), 40000);
    EXPECT_EQ(channel.inputQueueSize(), 2);
    channel.flush(0);
}

TEST_F(ChannelizerTest, FlushKeepsASingleInputBlockWhenAsked)
{
    Channelizer channel(48000, 3300);
    channel.setFilter(-24000, 24000);
    const std::vector<Complex> first(100, Complex(1, 0)), second(100, Complex(2, 0));
    channel.EnqueueData(mallocBlock(first.data(), 100), mallocContext(), 100);
    channel.EnqueueData(mallocBlock(second.data(), 100), mallocContext(), 100);
    EXPECT_EQ(channel.transfert(), 1); // the first block waits in the output queue
    channel.flush(1);
    EXPECT_EQ(channel.inputQueueSize(), 1);
    int count = 0;
    SampleContext* ctx = nullptr;
    Complex* block = channel.getData(&count, &ctx, 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[0].real(), 2.0f);
    free(block);
    free(ctx);

    channel.EnqueueData(mallocBlock(first.data(), 100), mallocContext(), 100);
    channel.EnqueueData(mallocBlock(second.data(), 100), mallocContext(), 100);
    channel.flush(1);
    EXPECT_EQ(channel.inputQueueSize(), 0);
}

TEST_F(ChannelizerTest, CallbackCanEndTheStep)
{
    Channelizer channel(2048000, 3300);
    channel.setFilter(10, 3600);
    channel.setStageCallback(2, stopStage);
    const auto out = runChannel(channel, std::vector<Complex>(16384 * 4, Complex(0.1f, 0)), 16384);
    EXPECT_TRUE(out.empty());
    ASSERT_EQ(stageCalls.size(), 4u);
    EXPECT_EQ(stageCalls[0].stage, 2);
    EXPECT_EQ(stageCalls[0].rate, 32000.0f);
    EXPECT_EQ(stageCalls[0].count, 16384 / 64);
}

TEST_F(ChannelizerTest, FullInputQueueRefusesAndStartsAfresh)
{
    Channelizer channel(2048000, 3300);
    const std::vector<Complex> samples(64, Complex(0, 0));
    int result = 0;
    for (int i = 0; i < 202; ++i)
        result = channel.EnqueueData(mallocBlock(samples.data(), 64), mallocContext(), 64);
    // The 202nd block found 201 waiting: refused (and freed), and the queue was dropped.
    EXPECT_EQ(result, -1);
    EXPECT_EQ(channel.inputQueueSize(), 0);
    EXPECT_EQ(channel.EnqueueData(mallocBlock(samples.data(), 64), nullptr, 64), 1);
    channel.flush(0);
}

TEST_F(ChannelizerTest, SetterVariantsActLikeSetFilter)
{
    Channelizer plain(2048000, 3300), combined(2048000, 3300);
    plain.setOffset(-100000);
    plain.setFilter(10, 3600);
    combined.setOffsetAndFilter(-100000, 10, 3600);
    const auto input = tone(1 << 18, 101500.0 / 2048000, 0.1f);
    EXPECT_EQ(runChannel(combined, input, 16384), runChannel(plain, input, 16384));

    combined.setLowCut(-3600);
    EXPECT_EQ(combined.lowCut(), -3600.0f);
    EXPECT_EQ(combined.highCut(), 3600.0f);
    combined.setHighCut(4500);
    EXPECT_EQ(combined.lowCut(), -3600.0f);
    EXPECT_EQ(combined.highCut(), 4500.0f);
    EXPECT_EQ(combined.outputRate(), 9000);
}

TEST_F(ChannelizerTest, IdleWhileBothQueuesAreEmpty)
{
    Channelizer channel(2048000, 3300);
    EXPECT_TRUE(channel.isIdle());
    const std::vector<Complex> samples(64, Complex(0, 0));
    channel.EnqueueData(mallocBlock(samples.data(), 64), mallocContext(), 64);
    EXPECT_FALSE(channel.isIdle());
    channel.flush(0);
    EXPECT_TRUE(channel.isIdle());
}

TEST_F(ChannelizerTest, CicDecimatorPassBandIsFlat)
{
    // A tone f (in output rates) above the channel comes out at f with the input's level
    // (times the oscillator's sqrt(0.95) when the channel is mixed), up to 0.2 of the
    // output rate, at every factor.
    struct Case
    {
        int factor;
        double offset; // Hz from the receiver centre
        double f;
    };
    const Case cases[] = {{16, 100000, 0.0},   {16, 100000, 0.1},   {16, 100000, -0.2},
                          {64, -250000, 0.05}, {64, -250000, 0.15}, {64, -250000, 0.2},
                          {256, 300000, -0.1}, {256, 300000, 0.2},  {64, 0, 0.12}};
    const float amplitude = 0.5f;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "factor " << c.factor << ", offset " << c.offset << ", tone " << c.f);
        Channelizer channel(2048000, 3300);
        channel.setOffset(-c.offset);
        const double outRate = 2048000.0 / c.factor;
        const auto out = cicRun(
            channel, tone(600 * c.factor, (c.offset + c.f * outRate) / 2048000, amplitude), 1000, c.factor);
        ASSERT_EQ(out.size(), 600u);
        const double gain = c.offset == 0 ? 1.0 : std::sqrt(0.95);
        EXPECT_NEAR(dsptest::toDb(dsptest::amplitudeAt(out, c.f, 100) / (amplitude * gain)), 0.0, 0.1);
        if (c.f != 0)
            EXPECT_NEAR(dsptest::toneFrequency(out, 100), c.f, 1e-5);
    }
}

TEST_F(ChannelizerTest, CicDecimatorRejectsAliases)
{
    // A tone at f output rates lands at f minus the nearest whole number. Near a multiple
    // of the output rate only the comb's nulls reject it; between 0.3 and 0.5 of the
    // output rate the compensation filter adds its own stop band.
    struct Case
    {
        double f;
        double minRejectionDb;
    };
    const Case cases[] = {{0.95, 48}, {-1.05, 50}, {1.03, 58},  {2.03, 68}, {0.3, 52},
                          {0.4, 70},  {0.6, 75},   {-1.35, 80}, {3.5, 90}};
    const int factor = 64;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "tone at " << c.f << " output rates");
        Channelizer channel(2048000, 3300);
        const auto out = cicRun(channel, tone(2000 * factor, c.f / factor, 0.5f), 4096, factor);
        const double alias = c.f - std::round(c.f);
        EXPECT_LT(dsptest::toDb(dsptest::amplitudeAt(out, alias, 64) / 0.5), -c.minRejectionDb);
    }
}

TEST_F(ChannelizerTest, TwoChannelsDecimateEachTheirOwnStream)
{
    // Two channels fed block by block in turn give each the output it gives alone: no
    // decimator state is shared between them.
    const int factor = 64;
    const auto inputA = tone(300 * factor, (100000.0 + 1000) / 2048000, 0.3f);
    const auto inputB = tone(300 * factor, (-400000.0 - 3000) / 2048000, 0.6f);
    auto alone = [&](double offset, const std::vector<Complex>& input) {
        Channelizer channel(2048000, 3300);
        channel.setOffset(-offset);
        return cicRun(channel, input, 1000, factor);
    };
    const auto expectedA = alone(100000, inputA);
    const auto expectedB = alone(-400000, inputB);

    Channelizer a(2048000, 3300), b(2048000, 3300);
    a.setOffset(-100000);
    b.setOffset(400000);
    std::vector<Complex> outA(expectedA.size() + 1), outB(expectedB.size() + 1);
    int producedA = 0, producedB = 0;
    for (size_t pos = 0; pos < inputA.size(); pos += 1000) {
        const int n = int(std::min<size_t>(1000, inputA.size() - pos));
        producedA += a.cicDecimate(inputA.data() + pos, n, outA.data() + producedA, factor);
        producedB += b.cicDecimate(inputB.data() + pos, n, outB.data() + producedB, factor);
    }
    outA.resize(producedA);
    outB.resize(producedB);
    EXPECT_EQ(outA, expectedA);
    EXPECT_EQ(outB, expectedB);
    EXPECT_NEAR(dsptest::toneFrequency(outA, 64) * 32000, 1000.0, 0.01);
    EXPECT_NEAR(dsptest::toneFrequency(outB, 64) * 32000, -3000.0, 0.01);
    EXPECT_NEAR(dsptest::meanMagnitude(outA, 64), 0.3 * std::sqrt(0.95), 0.003);
    EXPECT_NEAR(dsptest::meanMagnitude(outB, 64), 0.6 * std::sqrt(0.95), 0.006);
}

TEST_F(ChannelizerTest, CicDecimatorTakesFactorsUpToItsRegisterWidth)
{
    Channelizer channel(2048000, 3300);
    const auto input = tone(4096, 0.001, 1.0f);
    std::vector<Complex> out(4097);
    EXPECT_EQ(channel.cicDecimate(input.data(), 4096, out.data(), 0), 0);
    EXPECT_EQ(channel.cicDecimate(input.data(), 4096, out.data(), 257), 0);
    EXPECT_EQ(channel.cicDecimate(input.data(), 4096, out.data(), 256), 16);
    // A full-scale input at the largest factor fills the 32-bit registers without
    // wrapping the result: a near-DC tone comes out at its own level.
    const auto loud = cicRun(channel, tone(256 * 200, 0.0001, 1.0f), 4096, 256);
    EXPECT_NEAR(dsptest::meanMagnitude(loud, 64), 1.0, 0.01);
    // Factor 1 leaves the rate alone.
    EXPECT_EQ(channel.cicDecimate(input.data(), 4096, out.data(), 1), 4096);
}

// The mixing thread waits in getData for a receiver block that does not come (a
// stalled receiver or remote stream): the controls the window, the scripts and the
// engine use meanwhile complete at once, without waiting for that block.
TEST_F(ChannelizerTest, ControlsCompleteWhileGetDataWaitsForInput)
{
    struct Control
    {
        const char* name;
        std::function<void(Channelizer&)> apply;
    };
    const Control controls[] = {
        {"offset", [](Channelizer& c) { c.setOffset(-12000); }},
        {"filter", [](Channelizer& c) { c.setFilter(-5000, 5000); }},
        {"offset and filter", [](Channelizer& c) { c.setOffsetAndFilter(3000, 10, 3600); }},
        {"low edge", [](Channelizer& c) { c.setLowCut(-2000); }},
        {"high edge", [](Channelizer& c) { c.setHighCut(2500); }},
        {"input rate", [](Channelizer& c) { c.setInputRate(96000); }},
        {"stage tap", [](Channelizer& c) { c.setStageCallback(1, nullptr); }},
        {"filter edges read", [](Channelizer& c) { (void)(c.lowCut() + c.highCut() + c.inputRate()); }},
        {"flush", [](Channelizer& c) { c.flush(0); }},
        // Equal rates last: the block below then passes straight through.
        {"pass-through filter", [](Channelizer& c) { c.setFilter(-48000, 48000); }},
    };

    Channelizer channel(48000, 3300);
    std::atomic<bool> returned{false};
    int count = 0;
    SampleContext* ctx = nullptr;
    Complex* block = nullptr;
    std::thread mixer([&] {
        block = channel.getData(&count, &ctx, kWaitBoundMs);
        returned = true;
    });
    ASSERT_TRUE(waitFor([&] { return channel.waitingForInput(); }));
    for (const Control& control : controls) {
        control.apply(channel);
        EXPECT_FALSE(returned.load()) << control.name << " waited for the receiver's block";
    }

    const std::vector<Complex> samples(256, Complex(0.5f, 0.0f));
    channel.EnqueueData(mallocBlock(samples.data(), 256), mallocContext(), 256);
    EXPECT_TRUE(waitFor([&] { return returned.load(); }));
    mixer.join();
    EXPECT_EQ(count, 256);
    EXPECT_NE(block, nullptr);
    free(block);
    free(ctx);
}

// The window, the scripts and the accessory link retune a channel on their threads
// while the engine thread changes the receiver's rate and the mixing thread runs the
// channel. No step reads a value half-written (ThreadSanitizer watches this test), and
// once they are done the channel mixes with the last offset at the last rate, never
// with one of them and the other's former value.
TEST_F(ChannelizerTest, RetunesAndRateChangesOnOtherThreadsNeverTear)
{
    const float offsets[] = {100000, -250000, 50000}; // Hz from the centre
    const int rates[] = {1024000, 2048000};
    constexpr int kRounds = 120;
    Channelizer channel(2048000, 3300);
    channel.setFilter(-5000, 5000);

    std::atomic<bool> rateChanges{true};
    float lastOffset = 0;
    std::thread window([&] {
        // Retunes for as long as the rate changes, whichever thread gets going first.
        for (int i = 0; rateChanges.load() || i < kRounds; ++i) {
            lastOffset = offsets[i % 3];
            channel.setOffset(-lastOffset);
        }
    });
    std::thread engine([&] {
        for (int i = 0; i < kRounds; ++i)
            channel.setInputRate(rates[i % 2]);
        rateChanges = false;
    });
    const auto noise = tone(4096, 0.1234, 0.1f);
    while (rateChanges.load())
        runChannel(channel, noise, 4096);
    window.join();
    engine.join();

    const double offset = lastOffset;
    const int rate = rates[(kRounds - 1) % 2];
    ASSERT_EQ(channel.inputRate(), rate);
    channel.flush(0);
    const auto out = runChannel(channel, tone(1 << 19, (offset + 1000.0) / rate, 0.1f), 16384);
    ASSERT_GT(out.size(), 2000u);
    EXPECT_NEAR(dsptest::toneFrequency(out, 1000) * channel.outputRate(), 1000.0, 0.5);
}
