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

namespace {

// A resampler variant seen through complex samples: integer outputs as floats, real
// inputs taken from the real parts, real outputs with Q = 0.
struct Variant
{
    const char* name;
    bool realInput;
    bool realOutput;
    float gain; // 0: float outputs
    int (*run)(CFractResampler&, int count, float ratio, const Complex* in, Complex* out, float gain);
};

std::vector<float> realParts(const Complex* in, int count)
{
    std::vector<float> real(count);
    for (int i = 0; i < count; ++i)
        real[i] = in[i].real();
    return real;
}

const Variant kVariants[] = {
    {"Resample", false, false, 0.0f,
     [](CFractResampler& r, int count, float ratio, const Complex* in, Complex* out, float) {
         return r.Resample(count, ratio, in, out);
     }},
    {"ResampleToInt", false, false, 20000.0f,
     [](CFractResampler& r, int count, float ratio, const Complex* in, Complex* out, float gain) {
         std::vector<int32_t> pairs(2 * size_t(count / ratio + 2));
         const int n = r.ResampleToInt(count, ratio, in, pairs.data(), gain);
         for (int i = 0; i < n; ++i)
             out[i] = Complex(float(pairs[2 * i]), float(pairs[2 * i + 1]));
         return n;
     }},
    {"ResampleReal", true, true, 0.0f,
     [](CFractResampler& r, int count, float ratio, const Complex* in, Complex* out, float) {
         std::vector<float> real(size_t(count / ratio + 2));
         const int n = r.ResampleReal(count, ratio, realParts(in, count).data(), real.data());
         for (int i = 0; i < n; ++i)
             out[i] = Complex(real[i], 0.0f);
         return n;
     }},
    {"ResampleRealToInt", true, true, 20000.0f,
     [](CFractResampler& r, int count, float ratio, const Complex* in, Complex* out, float gain) {
         std::vector<int32_t> ints(size_t(count / ratio + 2));
         const int n = r.ResampleRealToInt(count, ratio, realParts(in, count).data(), ints.data(), gain);
         for (int i = 0; i < n; ++i)
             out[i] = Complex(float(ints[i]), 0.0f);
         return n;
     }},
};

std::vector<Complex> runVariant(const Variant& v, CFractResampler& resampler, const std::vector<Complex>& in,
                                float ratio, int blockSize)
{
    std::vector<Complex> out;
    std::vector<Complex> buffer(size_t(blockSize / ratio) + 2);
    for (size_t pos = 0; pos < in.size(); pos += blockSize) {
        const int count = int(std::min<size_t>(blockSize, in.size() - pos));
        const int n = v.run(resampler, count, ratio, in.data() + pos, buffer.data(), v.gain);
        out.insert(out.end(), buffer.begin(), buffer.begin() + n);
    }
    return out;
}

// What the variant must give for what Resample gives.
float expectedPart(float resampled, float gain)
{
    if (gain == 0.0f)
        return resampled;
    return float(std::int32_t(std::max(-32767.0f, std::min(32767.0f, resampled * gain))));
}

} // namespace

TEST(CFractResampler, VariantsGiveTheSamplesOfResample)
{
    // A tone loud enough that gain 20000 clips its peaks, at a ratio whose outputs cross
    // chunk and block edges.
    const auto in = tone(50000, 0.031, 2.0f);
    const float ratio = 1.37f;
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        std::vector<Complex> reference = in;
        if (v.realInput)
            for (Complex& x : reference)
                x = Complex(x.real(), 0.0f);
        CFractResampler plain, variant;
        plain.SetMaxInputSize(4096);
        variant.SetMaxInputSize(4096);
        const auto expected = resampleStream(plain, reference, ratio, 4096);
        const auto got = runVariant(v, variant, in, ratio, 4096);
        ASSERT_EQ(got.size(), expected.size());
        for (size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i].real(), expectedPart(expected[i].real(), v.gain)) << "output " << i;
            ASSERT_EQ(got[i].imag(), v.realOutput ? 0.0f : expectedPart(expected[i].imag(), v.gain))
                << "output " << i;
        }
    }
}

TEST(CFractResampler, VariantsShareTheStreamWithResample)
{
    // Blocks handed alternately to Resample and a variant continue one stream: the
    // history and the position pass from one to the other.
    const auto in = tone(8000, 0.02);
    const float ratio = 2.3f;
    CFractResampler plain, mixed;
    plain.SetMaxInputSize(1000);
    mixed.SetMaxInputSize(1000);
    const auto expected = resampleStream(plain, in, ratio, 1000);
    std::vector<Complex> got;
    std::vector<Complex> buffer(1000);
    for (int block = 0; block < 8; ++block) {
        const Variant& v = kVariants[block % 2 == 0 ? 0 : 1];
        const int n = v.run(mixed, 1000, ratio, in.data() + 1000 * block, buffer.data(), 1.0e4f);
        for (int i = 0; i < n; ++i)
            got.push_back(v.gain == 0.0f ? buffer[i] : buffer[i] / 1.0e4f);
    }
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i)
        ASSERT_NEAR(std::abs(got[i] - expected[i]), 0.0, 2e-4) << "output " << i;
}

TEST(CFractResampler, RealToneComesOutAtItsRateAndLevel)
{
    // A cosine of 0.05 cycles per input at 2.5 inputs per output: 0.125 cycles per
    // output, amplitude 0.5 x 10000 after the gain.
    std::vector<float> in(40000);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = float(0.5 * std::cos(2 * M_PI * 0.05 * double(i)));
    CFractResampler resampler;
    resampler.SetMaxInputSize(1000);
    std::vector<int32_t> ints(402);
    std::vector<Complex> out;
    for (size_t pos = 0; pos < in.size(); pos += 1000) {
        const int n = resampler.ResampleRealToInt(1000, 2.5f, in.data() + pos, ints.data(), 10000.0f);
        for (int i = 0; i < n; ++i)
            out.emplace_back(float(ints[i]), 0.0f);
    }
    ASSERT_NEAR(double(out.size()), 16000.0, 1.0);
    // A real cosine is two complex tones of half its amplitude.
    EXPECT_NEAR(dsptest::amplitudeAt(out, 0.125, 100), 2500.0, 25.0);
    EXPECT_NEAR(dsptest::amplitudeAt(out, 0.2, 100), 0.0, 5.0);
}

TEST(CFractResampler, VariantsRefuseWhatResampleRefuses)
{
    CFractResampler resampler;
    resampler.SetMaxInputSize(100);
    std::vector<Complex> in(300, Complex(0.5f, 0.5f));
    std::vector<float> real(300, 0.5f);
    std::vector<int32_t> ints(800);
    std::vector<float> floats(400);
    EXPECT_EQ(resampler.ResampleToInt(100, 1.0f, in.data(), nullptr, 1.0f), 0);
    EXPECT_EQ(resampler.ResampleReal(100, 1.0f, real.data(), nullptr), 0);
    EXPECT_EQ(resampler.ResampleRealToInt(100, 0.0f, real.data(), ints.data(), 1.0f), 0);
    EXPECT_EQ(resampler.ResampleReal(100, -1.0f, real.data(), floats.data()), 0);
    // Longer than the maximum input: cut to it, never written past.
    EXPECT_EQ(resampler.ResampleToInt(300, 1.0f, in.data(), ints.data(), 1.0f), 100);
    EXPECT_EQ(resampler.ResampleRealToInt(300, 1.0f, real.data(), ints.data(), 1.0f), 100);
}
