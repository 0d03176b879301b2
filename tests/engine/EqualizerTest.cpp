#include "engine/audio/Equalizer.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace {

using Samples = std::vector<std::complex<float>>;

Samples twoTones(int count, double hzReal, double hzImag, float amplitude = 0.1f)
{
    Samples s(count);
    for (int i = 0; i < count; ++i)
        s[i] = {amplitude * float(std::sin(2 * M_PI * hzReal * i / 48000.0)),
                amplitude * float(std::sin(2 * M_PI * hzImag * i / 48000.0))};
    return s;
}

// Steady-state gain in dB of the equalizer at hz, on channel 0 (real parts).
double gainDbAt(double hz)
{
    Samples s = twoTones(48000, hz, 0.0);
    Equalizer::instance()->process(s.data(), static_cast<int>(s.size()));
    float peak = 0.0f;
    for (size_t i = 24000; i < s.size(); ++i)
        peak = std::max(peak, std::abs(s[i].real()));
    return 20.0 * std::log10(peak / 0.1);
}

// Every test leaves the shared equalizer as it found it: on, start gains.
class EqualizerTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        Equalizer* eq = Equalizer::instance();
        if (!eq->isEnabled())
            eq->SLOT_turnOnOffEqualizer();
        for (int band = 0; band < eq->getBandCount(); ++band)
            eq->SLOT_SliderChanged(band, eq->getBandStartGain(band));
    }
};

} // namespace

// A band's frequency is where its slider acts: swinging band b from -10 to
// +10 dB lifts the response most at getBandFrequency(b), whatever number
// names the band (numbers wrap around the four bands).
TEST_F(EqualizerTest, EachBandActsMostAtItsOwnFrequency)
{
    Equalizer* eq = Equalizer::instance();
    ASSERT_EQ(eq->getBandCount(), 4);
    for (int band : {0, 1, 6, -1}) {
        std::vector<double> lift;
        for (int other = 0; other < eq->getBandCount(); ++other) {
            const double hz = eq->getBandFrequency(other);
            eq->SLOT_SliderChanged(band, -10);
            const double low = gainDbAt(hz);
            eq->SLOT_SliderChanged(band, 10);
            lift.push_back(gainDbAt(hz) - low);
        }
        eq->SLOT_SliderChanged(band, eq->getBandStartGain(band));
        const auto most = std::max_element(lift.begin(), lift.end());
        EXPECT_EQ(eq->getBandFrequency(int(most - lift.begin())), eq->getBandFrequency(band)) << band;
        EXPECT_GT(*most, 10.0) << band;
    }
}

TEST_F(EqualizerTest, DefaultCascadeGainAtBandCentres)
{
    struct Case
    {
        double hz;
        double db;
    };
    for (const Case c :
         {Case{300, -2.94}, Case{1000, 1.09}, Case{1500, 5.84}, Case{3500, 1.40}, Case{6000, 1.10}})
        EXPECT_NEAR(gainDbAt(c.hz), c.db, 0.1) << c.hz;
}

TEST_F(EqualizerTest, SliderSetsOneBandInBothChannels)
{
    Equalizer* eq = Equalizer::instance();
    eq->SLOT_SliderChanged(5, 10);
    EXPECT_EQ(eq->bandGain(1), 10.0);
    EXPECT_EQ(eq->bandGain(0), -3.0);
    EXPECT_EQ(eq->bandGain(2), 1.0);
    EXPECT_EQ(eq->bandGain(3), 1.0);
    // Band 1 now peaks near +10 dB at 1500 Hz, in the real and the imaginary channel alike.
    Samples s = twoTones(48000, 1500, 1500);
    eq->process(s.data(), static_cast<int>(s.size()));
    float peakReal = 0.0f, peakImag = 0.0f;
    for (size_t i = 24000; i < s.size(); ++i) {
        peakReal = std::max(peakReal, std::abs(s[i].real()));
        peakImag = std::max(peakImag, std::abs(s[i].imag()));
    }
    EXPECT_NEAR(20 * std::log10(peakReal / 0.1), 9.9, 0.3);
    EXPECT_NEAR(peakImag, peakReal, 1e-4);
    // A negative band number wraps to a valid band.
    eq->SLOT_SliderChanged(-1, -7);
    EXPECT_EQ(eq->bandGain(3), -7.0);
}

TEST_F(EqualizerTest, SliderThroughAQueuedConnectionReachesTheBand)
{
    Equalizer* eq = Equalizer::instance();
    QMetaObject::invokeMethod(eq, "SLOT_SliderChanged", Qt::QueuedConnection, Q_ARG(int, 2), Q_ARG(int, -4));
    QCoreApplication::processEvents();
    EXPECT_EQ(eq->bandGain(2), -4.0);
}

TEST_F(EqualizerTest, OffPassesBlocksUnchanged)
{
    Equalizer* eq = Equalizer::instance();
    eq->SLOT_turnOnOffEqualizer();
    ASSERT_FALSE(eq->isEnabled());
    const Samples in = twoTones(2048, 1500, 300, 0.5f);
    Samples s = in;
    eq->process(s.data(), static_cast<int>(s.size()));
    EXPECT_EQ(s, in);
    eq->SLOT_turnOnOffEqualizer();
    EXPECT_TRUE(eq->isEnabled());
}

TEST_F(EqualizerTest, ChannelsStaySeparate)
{
    // Let the sections ring out what earlier blocks left in them.
    Samples silence(48000);
    Equalizer::instance()->process(silence.data(), static_cast<int>(silence.size()));
    Samples s = twoTones(8192, 1500, 0.0);
    Equalizer::instance()->process(s.data(), static_cast<int>(s.size()));
    for (const auto& v : s)
        ASSERT_LT(std::abs(v.imag()), 1e-9f);
}

TEST(BiquadSection, PeakWithZeroGainPassesTheSignalExactly)
{
    BiquadSection section;
    section.initialise(BiquadSection::Peak, 1500.0 / 48000.0, 3.0, 0.0);
    for (int i = 0; i < 1000; ++i) {
        const double x = std::sin(0.3 * i) + 0.25 * std::cos(1.7 * i);
        ASSERT_EQ(section.process(x), x) << i;
    }
}

TEST(BiquadSection, ClassicResponsesAtDcAndNyquist)
{
    // Gain at DC is (a0 + a1 + a2) / (1 + b1 + b2), at Nyquist (a0 - a1 + a2) / (1 - b1 + b2).
    struct Case
    {
        int type;
        double gainDb;
        double dc;
        double nyquist;
    };
    const double v = std::pow(10.0, 6.0 / 20.0);
    for (const Case c :
         {Case{BiquadSection::LowPass, 0, 1, 0}, Case{BiquadSection::HighPass, 0, 0, 1},
          Case{BiquadSection::BandPass, 0, 0, 0}, Case{BiquadSection::Notch, 0, 1, 1},
          Case{BiquadSection::LowShelf, 6, v, 1}, Case{BiquadSection::LowShelf, -6, 1 / v, 1},
          Case{BiquadSection::HighShelf, 6, 1, v}, Case{BiquadSection::HighShelf, -6, 1, 1 / v}}) {
        BiquadSection s;
        s.initialise(c.type, 0.1, 0.707, c.gainDb);
        EXPECT_NEAR((s.a0 + s.a1 + s.a2) / (1 + s.b1 + s.b2), c.dc, 1e-9) << c.type << " " << c.gainDb;
        EXPECT_NEAR((s.a0 - s.a1 + s.a2) / (1 - s.b1 + s.b2), c.nyquist, 1e-9) << c.type << " " << c.gainDb;
    }
}

TEST(BiquadSection, UnknownTypeKeepsTheCoefficients)
{
    BiquadSection s;
    s.initialise(BiquadSection::Peak, 0.1, 1.0, 6.0);
    const double a0 = s.a0;
    s.setType(9);
    EXPECT_EQ(s.a0, a0);
}
