#include "engine/audio/Agc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace {

using Samples = std::vector<std::complex<float>>;
constexpr float kRate = 48000.0f;

// The mixing thread's configuration.
void configureDefaults(CAgc& agc)
{
    agc.Configure(true, true, -100, 20, 2, 200, kRate);
}

Samples sine(int count, float amplitude, float hz = 1000.0f, int phaseStart = 0)
{
    Samples out(count);
    for (int i = 0; i < count; ++i) {
        const float v = amplitude * std::sin(2.0f * float(M_PI) * hz * (i + phaseStart) / kRate);
        out[i] = {v, 0.0f};
    }
    return out;
}

float peakOf(const Samples& s, int begin, int end)
{
    float peak = 0.0f;
    for (int i = begin; i < end; ++i)
        peak = std::max(peak, std::abs(s[i].real()));
    return peak;
}

Samples run(CAgc& agc, Samples in)
{
    agc.Process(static_cast<int>(in.size()), in.data(), in.data());
    return in;
}

} // namespace

TEST(CAgc, DerivedValuesAt48kHz)
{
    CAgc agc;
    configureDefaults(agc);
    EXPECT_EQ(agc.delaySamples(), 720);
    EXPECT_EQ(agc.windowSamples(), 864);
    EXPECT_EQ(agc.hangTime(), 9600);
    EXPECT_NEAR(agc.manualGainFactor(), 9e-5, 1e-9);
    EXPECT_NEAR(agc.fixedGain(), 0.7 * std::pow(10.0, 4.9), 1.0);
}

TEST(CAgc, WindowAndDelayStayInsideTheirBuffersAtHighRates)
{
    CAgc agc;
    agc.Configure(true, true, -100, 20, 2, 200, 192000.0f);
    EXPECT_EQ(agc.delaySamples(), 2047);
    EXPECT_EQ(agc.windowSamples(), 2048);
    Samples loud = sine(5000, 1.0f);
    run(agc, loud); // must stay inside the buffers (AddressSanitizer)
}

TEST(CAgc, ZerosStayZeroAndTheDelayLineHoldsBackTheFirst720Samples)
{
    CAgc agc;
    configureDefaults(agc);
    const Samples zeros = run(agc, Samples(4096));
    EXPECT_TRUE(
        std::all_of(zeros.begin(), zeros.end(), [](auto s) { return s == std::complex<float>(0, 0); }));

    CAgc fresh;
    configureDefaults(fresh);
    const Samples out = run(fresh, Samples(1000, {0.5f, 0.0f}));
    EXPECT_EQ(peakOf(out, 0, 720), 0.0f);
    EXPECT_GT(std::abs(out[720].real()), 0.0f);
}

TEST(CAgc, SameConfigurationTwiceOrANewDecayKeepsTheSignalState)
{
    for (int newDecay : {200, 300}) {
        CAgc agc;
        configureDefaults(agc);
        run(agc, Samples(100, {0.5f, 0.0f}));
        agc.Configure(true, true, -100, 20, 2, newDecay, kRate);
        // The 100 samples already in the delay line come out 620 samples later.
        const Samples out = run(agc, Samples(700));
        EXPECT_EQ(peakOf(out, 0, 620), 0.0f) << newDecay;
        EXPECT_GT(peakOf(out, 620, 700), 0.0f) << newDecay;
    }
}

TEST(CAgc, ANewSampleRateResetsTheSignalState)
{
    CAgc agc;
    configureDefaults(agc);
    run(agc, Samples(100, {0.5f, 0.0f}));
    agc.Configure(true, true, -100, 20, 2, 200, 24000.0f);
    const Samples out = run(agc, Samples(700));
    EXPECT_EQ(peakOf(out, 0, 700), 0.0f);
}

TEST(CAgc, SteadyLevelsAreCompressedBySlope)
{
    // Above the knee the output peak is about 0.631 * A^0.02; below it the gain is fixed.
    struct Case
    {
        float amplitude;
        float expectedPeak;
    };
    for (const Case c :
         {Case{1.0f, 0.631f}, Case{0.01f, 0.576f}, Case{1e-4f, 0.525f}, Case{1e-6f, 0.0556f}}) {
        CAgc agc;
        configureDefaults(agc);
        const Samples out = run(agc, sine(48000, c.amplitude));
        EXPECT_NEAR(peakOf(out, 38000, 48000), c.expectedPeak, c.expectedPeak * 0.03) << c.amplitude;
    }
}

TEST(CAgc, AttackLooksAheadAndDecayHoldsForTheHangTime)
{
    CAgc agc;
    configureDefaults(agc);
    run(agc, sine(48000, 0.01f));
    // Step up by 40 dB: the delay line lets the gain fall before the loud part leaves,
    // so the output never jumps far above its steady level.
    const Samples up = run(agc, sine(24000, 1.0f, 1000.0f, 48000));
    EXPECT_LT(peakOf(up, 0, 24000), 0.9f);
    EXPECT_NEAR(peakOf(up, 14000, 24000), 0.631f, 0.02f);

    // Step down by 40 dB: the gain holds for the hang time (9600 samples), then rises.
    const Samples down = run(agc, sine(48000, 0.01f, 1000.0f, 72000));
    const float held = peakOf(down, 1500, 8000);
    EXPECT_NEAR(held, 0.0063f, 0.001f);
    EXPECT_NEAR(peakOf(down, 9000, 10000), held, held * 0.1f);
    EXPECT_GT(peakOf(down, 14000, 16000), held * 5.0f);
    EXPECT_NEAR(peakOf(down, 40000, 48000), 0.576f, 0.02f);
}

TEST(CAgc, ManualGainWhenOff)
{
    CAgc agc;
    agc.Configure(false, true, -100, 20, 2, 200, kRate);
    Samples s(10, {1.0f, -2.0f});
    agc.Process(10, s.data(), s.data());
    EXPECT_NEAR(s[0].real(), 9e-5f, 1e-9f);
    EXPECT_NEAR(s[9].imag(), -18e-5f, 1e-9f);
}

TEST(CAgc, RealPathMatchesTheComplexPathOnRealInput)
{
    CAgc complexAgc;
    CAgc realAgc;
    configureDefaults(complexAgc);
    configureDefaults(realAgc);
    const Samples in = sine(6000, 0.3f);
    const Samples expected = run(complexAgc, in);
    std::vector<float> real(in.size());
    for (size_t i = 0; i < in.size(); ++i)
        real[i] = in[i].real();
    realAgc.ProcessReal(static_cast<int>(real.size()), real.data(), real.data());
    for (size_t i = 0; i < in.size(); ++i)
        ASSERT_FLOAT_EQ(real[i], expected[i].real()) << i;
}

TEST(CAgc, NullBuffersAndBadRatesAreRefused)
{
    CAgc agc;
    configureDefaults(agc);
    Samples s(4);
    agc.Process(4, nullptr, s.data());
    agc.Process(4, s.data(), nullptr);
    agc.Configure(true, true, -100, 20, 2, 200, 0.0f);
    EXPECT_EQ(agc.delaySamples(), 720);
}

TEST(CAgc, ProcessBeforeConfigureIsDefined)
{
    CAgc agc;
    const Samples out = run(agc, sine(512, 0.5f));
    for (const auto& s : out)
        ASSERT_TRUE(std::isfinite(s.real()));
}
