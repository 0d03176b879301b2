#include "engine/dsp/CFastFIR.h"

#include "DspTestSignals.h"

#include <complex>
// liquid.h after <complex>, so that its complex type is std::complex<float>
#include <liquid/liquid.h>

#include <gtest/gtest.h>

#include <random>

using dsptest::tone;

namespace {

std::vector<Complex> noise(int count)
{
    std::mt19937 random(3);
    std::normal_distribution<float> gauss(0.0f, 0.3f);
    std::vector<Complex> x(count);
    for (Complex& v : x)
        v = Complex(gauss(random), gauss(random));
    return x;
}

// Filters the whole input in blocks of the given lengths (cycled); returns every output.
std::vector<Complex> filterInBlocks(CFastFIR& filter, const std::vector<Complex>& in,
                                    std::vector<int> lengths)
{
    std::vector<Complex> out, buffer;
    for (size_t pos = 0, i = 0; pos < in.size(); ++i) {
        const int n = std::min<int>(lengths[i % lengths.size()], int(in.size() - pos));
        buffer.resize(n + CFastFIR::kFrame);
        const int produced = filter.Filter(n, in.data() + pos, buffer.data());
        out.insert(out.end(), buffer.begin(), buffer.begin() + produced);
        pos += n;
    }
    return out;
}

// Gain of the filter for a tone, in dB, measured after the first frames.
double responseDb(float low, float high, float rate, double hz)
{
    CFastFIR filter;
    filter.SetBand(low, high, 0, rate);
    const auto out = filterInBlocks(filter, tone(8 * 2048, hz / rate), {2048});
    return dsptest::toDb(dsptest::meanMagnitude(out, 2048));
}

} // namespace

TEST(CFastFIR, MatchesLiquidFftFilterSampleForSample)
{
    struct Band
    {
        float low, high, rate;
    };
    for (const Band band : {Band{10, 3600, 16000}, Band{-1500, 1500, 16000}, Band{-5500, 5500, 64000},
                            Band{-3600, -10, 32000}}) {
        SCOPED_TRACE(testing::Message() << band.low << ".." << band.high << " at " << band.rate);
        CFastFIR filter;
        filter.SetBand(band.low, band.high, 0, band.rate);
        std::vector<Complex> taps(filter.Taps(), filter.Taps() + CFastFIR::kTaps);
        fftfilt_cccf reference = fftfilt_cccf_create(taps.data(), CFastFIR::kTaps, CFastFIR::kFrame);

        const auto input = noise(10 * CFastFIR::kFrame);
        const auto ours = filterInBlocks(filter, input, {1, 999, 2048, 4097, 77});
        std::vector<Complex> expected(input.size());
        for (size_t pos = 0; pos < input.size(); pos += CFastFIR::kFrame)
            fftfilt_cccf_execute(reference, const_cast<Complex*>(input.data() + pos), expected.data() + pos);
        fftfilt_cccf_destroy(reference);

        ASSERT_EQ(ours.size(), input.size());
        for (size_t i = 0; i < ours.size(); ++i)
            ASSERT_NEAR(std::abs(ours[i] - expected[i]), 0.0, 2e-5) << "sample " << i;
    }
}

TEST(CFastFIR, OutputComesInWholeFrames)
{
    CFastFIR filter;
    filter.SetBand(-1500, 1500, 0, 16000);
    std::vector<Complex> in(5000, Complex(0.5f, 0.0f)), out(5000 + 2047);
    EXPECT_EQ(filter.Filter(2047, in.data(), out.data()), 0);
    EXPECT_EQ(filter.Filter(1, in.data(), out.data()), 2048);

    CFastFIR fresh;
    fresh.SetBand(-1500, 1500, 0, 16000);
    EXPECT_EQ(fresh.Filter(5000, in.data(), out.data()), 4096);
    // 904 samples wait: 1143 more do not complete the third frame, one more does.
    EXPECT_EQ(fresh.Filter(1143, in.data(), out.data()), 0);
    EXPECT_EQ(fresh.Filter(1, in.data(), out.data()), 2048);
}

TEST(CFastFIR, PassesTheSidebandAndRejectsItsMirror)
{
    struct Case
    {
        double hz;
        double minDb, maxDb;
    };
    const Case cases[] = {
        {500, -0.01, 0.01}, {1805, -0.01, 0.01}, {3500, -0.01, 0.01}, // pass band
        {-500, -300, -100}, {-1805, -300, -100}, {3700, -300, -100},  // mirror and beyond the edge
    };
    for (const Case& c : cases) {
        const double db = responseDb(10, 3600, 16000, c.hz);
        EXPECT_TRUE(db > c.minDb && db < c.maxDb) << c.hz << " Hz: " << db << " dB";
    }
}

TEST(CFastFIR, SymmetricBandHasRealTaps)
{
    CFastFIR filter;
    filter.SetBand(-1500, 1500, 0, 16000);
    for (int i = 0; i < CFastFIR::kTaps; ++i)
        ASSERT_EQ(filter.Taps()[i].imag(), 0.0f) << i;
    EXPECT_NEAR(responseDb(-1500, 1500, 16000, 0), 0.0, 0.01);
}

TEST(CFastFIR, RefusesAnInvalidBandOnceAndKeepsTheOldFilter)
{
    CFastFIR filter;
    filter.SetBand(10, 3600, 0, 16000);
    const std::vector<Complex> before(filter.Taps(), filter.Taps() + CFastFIR::kTaps);
    struct Band
    {
        float low, high;
    };
    for (const Band band : {Band{3600, 10}, Band{500, 500}, Band{10, 8000}, Band{-8000, 10}}) {
        testing::internal::CaptureStdout();
        filter.SetBand(band.low, band.high, 0, 16000);
        filter.SetBand(band.low, band.high, 0, 16000);
        const std::string printed = testing::internal::GetCapturedStdout();
        char expected[200];
        std::snprintf(expected, sizeof expected,
                      "Filter Parameter error\nFLowCut=%f FHiCut=%f SampleRate=%f\n", band.low, band.high,
                      16000.0);
        EXPECT_EQ(printed, expected);
        for (int i = 0; i < CFastFIR::kTaps; ++i)
            ASSERT_EQ(filter.Taps()[i], before[i]);
    }
}

TEST(CFastFIR, NewBandDoesNotDisturbTheFrameBeingCollected)
{
    // A filter that changes its band in the middle of a frame gives, from that frame on,
    // what a filter designed for the new band from the start gives.
    const auto input = noise(4 * CFastFIR::kFrame);
    CFastFIR changed, fresh;
    changed.SetBand(-1500, 1500, 0, 16000);
    fresh.SetBand(10, 3600, 0, 16000);
    std::vector<Complex> a(input.size() + 2048), b(input.size() + 2048);
    int na = changed.Filter(3000, input.data(), a.data());
    changed.SetBand(10, 3600, 0, 16000);
    na += changed.Filter(int(input.size()) - 3000, input.data() + 3000, a.data() + na);
    const int nb = fresh.Filter(int(input.size()), input.data(), b.data());
    ASSERT_EQ(na, nb);
    for (int i = CFastFIR::kFrame; i < na; ++i)
        ASSERT_NEAR(std::abs(a[i] - b[i]), 0.0, 1e-6) << i;
}
