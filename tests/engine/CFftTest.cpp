#include "engine/dsp/CFft.h"

#include "DspTestSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using dsptest::tone;

namespace {
int strongestBin(const CFft& fft)
{
    const auto& levels = fft.Levels();
    return int(std::max_element(levels.begin(), levels.end()) - levels.begin());
}
} // namespace

TEST(CFft, SizeIsLimited)
{
    CFft fft;
    for (auto [asked, expected] : {std::pair{100, 512}, {100000, 65536}, {4096, 4096}}) {
        fft.SetParameters(asked, false, 0, 48000);
        EXPECT_EQ(fft.Size(), expected) << asked;
        EXPECT_EQ(int(fft.Levels().size()), expected);
    }
}

TEST(CFft, SilenceSitsAtTheFloor)
{
    CFft fft;
    fft.SetParameters(1024, false, 0, 48000);
    const std::vector<Complex> zeros(1024, Complex(0, 0));
    fft.PutInput(1024, zeros.data());
    for (float level : fft.Levels())
        ASSERT_NEAR(level, -22.0f, 1e-4);
}

TEST(CFft, ToneLandsMirroredUnlessInverted)
{
    // The exchanged I and Q put a tone at +f in the bin of -f.
    const float rate = 48000;
    const int size = 2048;
    CFft fft;
    fft.SetParameters(size, false, 0, rate);
    const auto x = tone(size, 6000.0 / rate, 1000.0f);
    fft.PutInput(size, x.data());
    EXPECT_EQ(strongestBin(fft), size / 2 - 6000 * size / int(rate));

    // On screen, a plot from -12 to +12 kHz over as many pixels as bins: the inverted
    // plot shows the tone right of the centre, the plain one left of it.
    int pixels[512];
    for (bool invert : {false, true}) {
        fft.SetParameters(size, invert, 0, rate);
        fft.PutInput(size, x.data());
        fft.GetScreenData(100, 512, 0, -120, -12000, 12000, pixels);
        const int column = int(std::min_element(pixels, pixels + 512) - pixels);
        EXPECT_NEAR(column, invert ? 384 : 128, 1) << "invert " << invert;
    }
}

TEST(CFft, AveragesOverTheLastFrames)
{
    const int size = 1024;
    const auto loud = tone(size, 0.25, 1000.0f);
    const auto soft = tone(size, 0.25, 100.0f);
    auto singleFrame = [&](const std::vector<Complex>& x) {
        CFft fft;
        fft.SetParameters(size, false, 0, 48000);
        fft.PutInput(size, x.data());
        return fft.Levels();
    };
    const auto loudLevels = singleFrame(loud);
    const auto softLevels = singleFrame(soft);

    CFft fft;
    fft.SetParameters(size, false, 0, 48000);
    fft.SetAverageCount(10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(fft.PutInput(size, loud.data()), i + 1);
    const int bin = strongestBin(fft);
    EXPECT_NEAR(fft.Levels()[bin], loudLevels[bin], 1e-4);
    // The eleventh frame replaces a tenth of the average.
    fft.PutInput(size, soft.data());
    const double expected =
        std::log10((9 * std::pow(10.0, loudLevels[bin]) + std::pow(10.0, softLevels[bin])) / 10);
    EXPECT_NEAR(fft.Levels()[bin], expected, 1e-4);

    // With one frame averaged the levels follow each frame.
    fft.SetAverageCount(1);
    fft.PutInput(size, loud.data());
    fft.PutInput(size, soft.data());
    EXPECT_NEAR(fft.Levels()[bin], softLevels[bin], 1e-4);
}

TEST(CFft, ReportsOverload)
{
    CFft fft;
    fft.SetParameters(512, false, 0, 48000);
    int pixels[64];
    std::vector<Complex> x(512, Complex(100.0f, 0.0f));
    fft.PutInput(512, x.data());
    EXPECT_FALSE(fft.GetScreenData(50, 64, 0, -120, -24000, 24000, pixels));
    x[17] = Complex(32001.0f, 0.0f);
    fft.PutInput(512, x.data());
    EXPECT_TRUE(fft.GetScreenData(50, 64, 0, -120, -24000, 24000, pixels));
}

TEST(CFft, ScreenDataStaysInsideThePlotForAnyArguments)
{
    struct Case
    {
        int height, width;
        float maxDb, minDb;
        int startHz, stopHz;
    };
    const Case cases[] = {
        {100, 300, 0, -120, -24000, 24000},     // more bins than pixels
        {100, 3000, 0, -120, -1000, 1000},      // more pixels than bins
        {100, 300, -50, -50, -24000, 24000},    // no dB range
        {100, 300, 0, -120, 0, 0},              // no band
        {100, 300, 0, -120, -2000000, 3000000}, // far beyond the rate
        {100, 1, 0, -120, -24000, 24000},       // one column
    };
    CFft fft;
    const auto x = tone(2048, 0.1, 500.0f);
    for (bool invert : {false, true}) {
        fft.SetParameters(2048, invert, 0, 48000);
        fft.PutInput(2048, x.data());
        for (const Case& c : cases) {
            std::vector<int> pixels(c.width, -1);
            fft.GetScreenData(c.height, c.width, c.maxDb, c.minDb, c.startHz, c.stopHz, pixels.data());
            for (int y : pixels)
                ASSERT_TRUE(y >= 0 && y <= c.height)
                    << c.width << " columns " << c.startHz << ".." << c.stopHz;
        }
    }
}

TEST(CFft, ShortBlockIsPaddedWithZeros)
{
    CFft fft;
    fft.SetParameters(1024, false, 0, 48000);
    const auto x = tone(100, 0.1, 1000.0f);
    EXPECT_EQ(fft.PutInput(100, x.data()), 1);
    EXPECT_GT(*std::max_element(fft.Levels().begin(), fft.Levels().end()), -22.0f);
}

TEST(CFft, ParametersWithAFlagApplyOnlyWhenItIsSet)
{
    const auto x = tone(1024, 0.1, 100.0f);
    CFft fft;
    fft.SetParameters(1024, false, 0, 48000);
    fft.SetAverageCount(4);
    fft.PutInput(1024, x.data());
    fft.PutInput(1024, x.data());

    fft.SetParameters(4096, false, 0, 48000, false);
    EXPECT_EQ(fft.Size(), 1024);
    EXPECT_EQ(fft.PutInput(1024, x.data()), 3) << "the average was cleared";

    fft.SetParameters(4096, false, 0, 48000, true);
    EXPECT_EQ(fft.Size(), 4096);
    EXPECT_EQ(fft.PutInput(1024, x.data()), 1);
}

TEST(CFft, AChangedAverageCountStartsTheAverageAgain)
{
    // The count asked is compared as it is: 0 or less means 1, yet asking for it
    // while the count is 1 still starts again.
    struct Case
    {
        int inForce, asked;
        bool cleared;
    };
    const Case cases[] = {{1, 0, true}, {1, -3, true}, {1, 1, false}, {10, 10, false}, {10, 5, true}};
    const auto x = tone(512, 0.1, 100.0f);
    for (const Case& c : cases) {
        CFft fft;
        fft.SetParameters(512, false, 0, 48000);
        fft.SetAverageCount(c.inForce);
        fft.PutInput(512, x.data());
        fft.PutInput(512, x.data());
        fft.SetAverageCount(c.asked);
        EXPECT_EQ(fft.PutInput(512, x.data()), c.cleared ? 1 : 3) << c.inForce << " then " << c.asked;
    }
}

TEST(CFft, ForwardTransformOfACallersBufferIsTheUnnormalisedDft)
{
    const int n = 512;
    std::vector<Complex> signal(n);
    for (int i = 0; i < n; ++i)
        signal[i] = Complex(float(std::sin(0.37 * i * i) * 3.0), float(std::cos(1.3 * i) - 0.25));
    // One element in, so that the buffer is not aligned as FFTW's own arrays are.
    std::vector<Complex> buffer(n + 1);
    std::copy(signal.begin(), signal.end(), buffer.begin() + 1);

    CFft fft;
    fft.SetParameters(n, false, 0, 48000);
    fft.FftForward(buffer.data() + 1);
    double worst = 0;
    for (int k = 0; k < n; ++k) {
        std::complex<double> expected = 0;
        for (int i = 0; i < n; ++i)
            expected += std::complex<double>(signal[i]) * std::polar(1.0, -2.0 * M_PI * double(k) * i / n);
        worst = std::max(worst, std::abs(std::complex<double>(buffer[k + 1]) - expected));
    }
    EXPECT_LT(worst, 1e-2);
    EXPECT_EQ(buffer[0], Complex(0, 0)) << "wrote before the buffer";
}
