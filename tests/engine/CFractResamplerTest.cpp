#include "engine/dsp/CFractResampler.h"

#include "DspTestSignals.h"

#include <gtest/gtest.h>

#include <algorithm>

using dsptest::tone;

namespace {

// Resamples the whole input in blocks of blockSize; returns every output.
std::vector<Complex> resampleStream(CFractResampler& resampler, const std::vector<Complex>& in, float ratio,
                                    int blockSize)
{
    std::vector<Complex> out;
    std::vector<Complex> buffer(size_t(blockSize / ratio) + 2);
    for (size_t pos = 0; pos < in.size(); pos += blockSize) {
        const int count = int(std::min<size_t>(blockSize, in.size() - pos));
        const int n = resampler.Resample(count, ratio, in.data() + pos, buffer.data());
        out.insert(out.end(), buffer.begin(), buffer.begin() + n);
    }
    return out;
}

} // namespace

TEST(CFractResampler, ImpulseComesOutFourteenSamplesLaterAtUnitRatio)
{
    CFractResampler resampler;
    resampler.SetMaxInputSize(1000);
    std::vector<Complex> in(1000, Complex(0, 0));
    in[100] = Complex(1.0f, 0.0f);
    std::vector<Complex> out(1001);
    ASSERT_EQ(resampler.Resample(1000, 1.0f, in.data(), out.data()), 1000);
    const auto peak = std::max_element(out.begin(), out.end(),
                                       [](Complex a, Complex b) { return std::abs(a) < std::abs(b); });
    EXPECT_EQ(peak - out.begin(), 114);
    EXPECT_NEAR(peak->real(), 1.0f, 1e-4);
    EXPECT_NEAR(out[113].real(), 0.0f, 1e-4);
    EXPECT_NEAR(out[115].real(), 0.0f, 1e-4);
}

TEST(CFractResampler, ToneKeepsItsFrequencyAndGain)
{
    // 0.1 cycles per input sample, 4.444 inputs per output: 0.4444 cycles per output.
    CFractResampler resampler;
    resampler.SetMaxInputSize(1024);
    const float ratio = 4.444f;
    const auto out = resampleStream(resampler, tone(200000, 0.1), ratio, 1024);
    EXPECT_NEAR(dsptest::toneFrequency(out, 100), 0.1 * ratio, 1e-5);
    EXPECT_NEAR(dsptest::meanMagnitude(out, 100), 1.0, 0.01);
}

TEST(CFractResampler, OutputCountFollowsTheRatioOverLongRuns)
{
    struct Case
    {
        float ratio;
        int block;
    };
    // Channel and audio ratios with realistic and large blocks.
    for (const Case c : {Case{32000.0f / 7200.0f, 2048}, Case{7200.0f / 48000.0f, 1024},
                         Case{1600.0f / 48000.0f, 333}, Case{4.444f, 16384}, Case{1.0f, 1000}}) {
        SCOPED_TRACE(testing::Message() << "ratio " << c.ratio << " block " << c.block);
        CFractResampler resampler;
        resampler.SetMaxInputSize(c.block);
        std::vector<Complex> in(c.block, Complex(0.5f, 0.0f));
        std::vector<Complex> out(size_t(c.block / c.ratio) + 2);
        long inputs = 0, outputs = 0;
        for (int i = 0; i < 4000000 / c.block; ++i) {
            outputs += resampler.Resample(c.block, c.ratio, in.data(), out.data());
            inputs += c.block;
        }
        EXPECT_NEAR(double(outputs), double(inputs) / c.ratio, 1.0);
    }
}

TEST(CFractResampler, BlockSizeDoesNotChangeTheOutput)
{
    const auto in = tone(20000, 0.03);
    const float ratio = 2.7f;
    CFractResampler whole;
    whole.SetMaxInputSize(20000);
    CFractResampler pieces;
    pieces.SetMaxInputSize(20000);
    const auto a = resampleStream(whole, in, ratio, 20000);
    const auto b = resampleStream(pieces, in, ratio, 1000);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        ASSERT_NEAR(std::abs(a[i] - b[i]), 0.0, 1e-5) << "output " << i;
}

TEST(CFractResampler, RefusesWhatItCannotResample)
{
    CFractResampler resampler;
    std::vector<Complex> in(100, Complex(1, 0));
    std::vector<Complex> out(400);
    // No size set yet: nothing is accepted.
    EXPECT_EQ(resampler.Resample(100, 1.0f, in.data(), out.data()), 0);
    resampler.SetMaxInputSize(100);
    EXPECT_EQ(resampler.Resample(100, 1.0f, in.data(), nullptr), 0);
    EXPECT_EQ(resampler.Resample(100, 0.0f, in.data(), out.data()), 0);
    EXPECT_EQ(resampler.Resample(100, -2.0f, in.data(), out.data()), 0);
    EXPECT_EQ(resampler.Resample(0, 1.0f, in.data(), out.data()), 0);
    // A block above the maximum is cut to it.
    std::vector<Complex> big(300, Complex(1, 0));
    EXPECT_EQ(resampler.Resample(300, 1.0f, big.data(), out.data()), 100);
}

TEST(CFractResampler, EmptyBlockLeavesTheStreamUntouched)
{
    const auto in = tone(4000, 0.05);
    CFractResampler plain, interrupted;
    plain.SetMaxInputSize(2000);
    interrupted.SetMaxInputSize(2000);
    std::vector<Complex> a(2000), b(2000), scratch(10);
    plain.Resample(2000, 1.5f, in.data(), a.data());
    interrupted.Resample(2000, 1.5f, in.data(), b.data());
    EXPECT_EQ(interrupted.Resample(0, 1.5f, in.data(), scratch.data()), 0);
    const int na = plain.Resample(2000, 1.5f, in.data() + 2000, a.data());
    const int nb = interrupted.Resample(2000, 1.5f, in.data() + 2000, b.data());
    ASSERT_EQ(na, nb);
    for (int i = 0; i < na; ++i)
        ASSERT_EQ(a[i], b[i]);
}
