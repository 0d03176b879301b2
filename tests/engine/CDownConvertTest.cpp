#include "engine/dsp/CDownConvert.h"
#include "engine/dsp/DecimateBy2.h"

#include "DspTestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using dsptest::tone;

TEST(CDownConvert, PlansStagesFromRateAndBandwidth)
{
    struct Case
    {
        bool halfBandOnly;
        float rate, bandwidth;
        std::vector<int> stages; // filter lengths, 4 = comb
        int outputRate;
        int maxInput;
    };
    const Case cases[] = {
        {false, 2048000, 3000, {4, 11, 11, 11, 11, 15, 27}, 16000, -1},
        {false, 2048000, 3600, {11, 11, 11, 11, 15, 19, 31}, 16000, -1},
        {false, 2048000, 11000, {11, 11, 11, 15, 23}, 64000, -1},
        {false, 250000, 3600, {11, 15, 19, 31}, 15625, -1},
        // At most ten stages, although the rate is still far above both limits.
        {false, 40000000, 3000, {4, 4, 4, 4, 4, 11, 11, 11, 11, 15}, 39062, -1},
        // A first N-tap stage limits the block length.
        {false, 250000, 9000, {15, 19, 39}, 31250, 32768},
        {false, 16000, 100, {}, 16000, -1},
        {true, 2048000, 140000, {51, 51, 51}, 256000, 32768},
        {true, 48000, 3600, {}, 48000, 32768},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, bandwidth " << c.bandwidth);
        CDownConvert converter;
        const int out = c.halfBandOnly ? int(converter.PlanHalfBandDecimation(c.rate, c.bandwidth))
                                       : converter.PlanDecimation(c.rate, c.bandwidth);
        EXPECT_EQ(out, c.outputRate);
        EXPECT_EQ(converter.StagePlan(), c.stages);
        EXPECT_EQ(converter.GetMaxInputLength(), c.maxInput);
    }
}

TEST(CDownConvert, SamePlanTwiceKeepsTheFilterHistory)
{
    const auto input = tone(65536, 0.0011, 0.5f);
    CDownConvert steady, replanned;
    steady.PlanDecimation(2048000, 3000);
    replanned.PlanDecimation(2048000, 3000);
    std::vector<Complex> a(input), b(input);
    const int half = 32768;
    int na = steady.Process(half, a.data(), a.data());
    int nb = replanned.Process(half, b.data(), b.data());
    replanned.PlanDecimation(2048000, 3000);
    na = steady.Process(half, a.data() + half, a.data());
    nb = replanned.Process(half, b.data() + half, b.data());
    ASSERT_EQ(na, nb);
    for (int i = 0; i < na; ++i)
        ASSERT_EQ(a[i], b[i]) << i;
}

TEST(CDownConvert, BlockLengthsDoNotChangeTheOutput)
{
    // Odd and very short blocks must keep the decimation phase and the filter history.
    const auto input = tone(32768, 0.0013, 0.5f);
    CDownConvert whole, pieces;
    whole.PlanDecimation(2048000, 3000);
    pieces.PlanDecimation(2048000, 3000);

    std::vector<Complex> a(input);
    const int na = whole.Process(int(a.size()), a.data(), a.data());

    std::vector<Complex> b(input), collected;
    const int lengths[] = {1, 3, 7, 2, 17, 129, 1023, 5, 4096, 31};
    for (size_t pos = 0, i = 0; pos < b.size(); ++i) {
        const int n = std::min<int>(lengths[i % 10], int(b.size() - pos));
        std::vector<Complex> out(n);
        const int produced = pieces.Process(n, b.data() + pos, out.data());
        ASSERT_GE(produced, 0);
        collected.insert(collected.end(), out.begin(), out.begin() + produced);
        pos += n;
    }
    ASSERT_EQ(int(collected.size()), na);
    // From the first outputs on, the oscillator's amplitude settles a little differently
    // with other block lengths; after that the streams agree.
    for (int i = 64; i < na; ++i)
        ASSERT_NEAR(std::abs(collected[i] - a[i]), 0.0, 1e-6) << i;
}

TEST(CDownConvert, HalfBandStagesRejectTheAliasBand)
{
    // Each stage serves bands up to (0.5 - x) of its input rate; everything from x to 0.5
    // would fold into that band and must come out at least 100 dB down.
    struct Case
    {
        int taps;
        double x;
    };
    const Case cases[] = {{4, 0.4985}, {11, 0.475}, {15, 0.451}, {19, 0.428}, {23, 0.409}, {27, 0.392},
                          {31, 0.378}, {35, 0.366}, {39, 0.356}, {43, 0.347}, {47, 0.34},  {51, 0.333}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.taps << " taps");
        for (double cycles : {c.x, (c.x + 0.5) / 2, -c.x, 0.5 - c.x}) {
            std::unique_ptr<CDownConvert::CDec2> stage;
            if (c.taps == 4)
                stage = std::make_unique<CDownConvert::CCicN3DecimateBy2>();
            else if (c.taps == 11)
                stage = std::make_unique<CDownConvert::CHalfBand11TapDecimateBy2>();
            else
                stage = std::make_unique<CDownConvert::CHalfBandDecimateBy2>(c.taps);
            auto x = tone(8192, cycles);
            const int n = stage->DecBy2(int(x.size()), x.data(), x.data());
            ASSERT_EQ(n, 4096);
            x.resize(n);
            const double gain = dsptest::meanMagnitude(x, 100);
            if (std::fabs(cycles) == 0.5 - c.x) // the pass band's edge
                EXPECT_NEAR(dsptest::toDb(gain), 0.0, 0.01) << "pass band at " << cycles;
            else
                EXPECT_LT(dsptest::toDb(gain), -100.0) << "alias band at " << cycles;
        }
    }
}

TEST(CDownConvert, HalfBandFirstStageRefusesOverlongBlocks)
{
    CDownConvert converter;
    converter.PlanHalfBandDecimation(2048000, 140000);
    std::vector<Complex> block(40000, Complex(0.1f, 0.0f));
    EXPECT_EQ(converter.Process(40000, block.data(), block.data()), -1);
    EXPECT_EQ(converter.Process(32768, block.data(), block.data()), 4096);
}

TEST(CDownConvert, OscillatorMovesTheChannelToZeroAndSettlesAtItsGain)
{
    // No stages below 16384 Hz: Process only mixes.
    for (float nco : {0.0f, 1000.0f, -2500.0f}) {
        SCOPED_TRACE(nco);
        CDownConvert converter;
        converter.PlanDecimation(16000, 1000);
        ASSERT_TRUE(converter.StagePlan().empty());
        converter.SetNcoFrequency(nco);
        auto x = tone(16000, -nco / 16000.0, 0.5f);
        std::vector<Complex> out(x.size());
        ASSERT_EQ(converter.Process(int(x.size()), x.data(), out.data()), 16000);
        EXPECT_NEAR(dsptest::toneFrequency(out, 1000) * 16000, 0.0, 0.01);
        EXPECT_NEAR(dsptest::meanMagnitude(out, 1000), 0.5 * std::sqrt(0.95), 1e-4);
        // The amplitude correction keeps the phasor steady over a long run.
        EXPECT_NEAR(std::abs(out.back()), 0.5 * std::sqrt(0.95), 1e-4);
    }
}
