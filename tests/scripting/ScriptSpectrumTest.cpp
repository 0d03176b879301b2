// The transforms behind calcFFT and calcPower: bin order, scaling, padding and
// the power figures scripts compare against.
#include "scripting/ScriptSpectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct TransformCase
{
    const char* what;
    std::vector<double> values;
    int size;
    std::vector<float> fft;   // 2 x size numbers
    std::vector<float> power; // size numbers
};

void PrintTo(const TransformCase& c, std::ostream* os)
{
    *os << c.what;
}

const float Floor = ScriptSpectrum::PowerFloorDb;

class Transforms : public ::testing::TestWithParam<TransformCase>
{
};

TEST_P(Transforms, GiveTheBinsNegativeFrequenciesFirst)
{
    const TransformCase& c = GetParam();
    const std::vector<float> fft = ScriptSpectrum::fft(c.values, c.size);
    ASSERT_EQ(fft.size(), c.fft.size());
    for (size_t i = 0; i < fft.size(); ++i)
        EXPECT_NEAR(fft[i], c.fft[i], 1e-6) << "fft entry " << i;
    const std::vector<float> power = ScriptSpectrum::power(c.values, c.size);
    ASSERT_EQ(power.size(), c.power.size());
    for (size_t i = 0; i < power.size(); ++i)
        EXPECT_NEAR(power[i], c.power[i], 1e-4) << "power entry " << i;
}

INSTANTIATE_TEST_SUITE_P(
    ScriptSpectrum, Transforms,
    ::testing::Values(
        // A constant lands in bin 0, which sits at position size - size/2.
        TransformCase{
            "constant", {1, 0, 1, 0, 1, 0, 1, 0}, 4, {0, 0, 0, 0, 1, 0, 0, 0}, {Floor, Floor, 0, Floor}},
        // Odd size: positions hold bins 2, 3, 4, 0, 1.
        TransformCase{"odd size",
                      {5, 0, 5, 0, 5, 0, 5, 0, 5, 0},
                      5,
                      {0, 0, 0, 0, 0, 0, 5, 0, 0, 0},
                      {Floor, Floor, Floor, 20 * std::log10(25.0f), Floor}},
        // Numbers beyond 2 x size are ignored.
        TransformCase{
            "extra values", {2, 0, 2, 0, 9, 9, 9, 9}, 2, {0, 0, 2, 0}, {Floor, 20 * std::log10(4.0f)}},
        // Missing numbers count as 0: one sample of 4 gives a flat spectrum of 1.
        TransformCase{"short input", {4}, 4, {1, 0, 1, 0, 1, 0, 1, 0}, {0, 0, 0, 0}},
        // The imaginary parts count: e^{j pi/2 n} is bin 1 of 4 (position 3).
        TransformCase{"complex tone",
                      {1, 0, 0, 1, -1, 0, 0, -1},
                      4,
                      {0, 0, 0, 0, 0, 0, 1, 0},
                      {Floor, Floor, Floor, 0}}),
    [](const ::testing::TestParamInfo<TransformCase>& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (ch == ' ')
                ch = '_';
        return name;
    });

// Scripts read the power in doubled decibels: 20 log10 of a power, so a tone of
// amplitude 0.5 reads -12.04 (not -6.02).
TEST(ScriptSpectrum, PowerIsTwentyLogOfThePower)
{
    const int n = 64;
    std::vector<double> tone(2 * n);
    for (int k = 0; k < n; ++k) {
        tone[2 * k] = 0.5 * std::cos(2 * M_PI * 8 * k / n);
        tone[2 * k + 1] = 0.5 * std::sin(2 * M_PI * 8 * k / n);
    }
    const std::vector<float> power = ScriptSpectrum::power(tone, n);
    EXPECT_NEAR(power[n - n / 2 + 8], -12.04, 0.01);
}

} // namespace
