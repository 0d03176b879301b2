#include "engine/SampleFifo.h"
#include "engine/demod/AMDemodulator.h"
#include "engine/demod/CWDemodulator.h"
#include "engine/demod/DigiDemod.h"
#include "engine/demod/LSBdemodulator.h"
#include "engine/demod/NBFMDemodulator.h"
#include "engine/demod/USBdemodulator.h"

#include "AttachedEngine.h"
#include "ModeBands.h"
#include "ToneAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kAudioRate = 48000;
constexpr int kBlock = 2048;

// A synthetic channel signal: sample n at the channel rate.
using Signal = std::function<Complex(long n)>;

// Runs two seconds of the signal through the demodulator in blocks of 1000 channel
// samples, as the mixing thread does, and returns the audio after the first 0.2 s.
std::vector<float> listen(Demodulator& demod, int rate, const Signal& signal)
{
    SampleFifo queue;
    std::vector<float> audio;
    long n = 0;
    while (n < 2L * rate) {
        std::vector<Complex> block(1000);
        for (auto& s : block)
            s = signal(n++);
        demod.performDemodulation(block.data(), 1000, rate, kAudioRate, kBlock, &queue, nullptr);
        int count = 0;
        while (void* data = queue.dequeue(&count, 0, nullptr, false)) {
            const auto* samples = static_cast<Complex*>(data);
            for (int i = 0; i < count; ++i)
                audio.push_back(samples[i].real());
            std::free(data);
        }
    }
    return tone::slice(audio, kAudioRate / 5, long(audio.size()));
}

Signal complexTone(double hz, int rate, float amplitude = 0.3f)
{
    return [=](long n) {
        const double phase = 2 * M_PI * hz * n / rate;
        return Complex(amplitude * float(std::cos(phase)), amplitude * float(std::sin(phase)));
    };
}

} // namespace

using DemodulationModesOnAChannel = AttachedEngine;

// What each mode gives the channel: its band once installed (the engine's
// limits apply to the mode's defaults: CW's low edge 40 becomes 100), the widest
// and narrowest band it allows (a mirrored mode keeps its band symmetric; DIGI
// always takes 11 kHz from its low edge), and the name the board file keeps.
TEST_F(DemodulationModesOnAChannel, EachModeBoundsTheChannelsBand)
{
    attach();
    struct Case
    {
        std::shared_ptr<Demodulator> demod;
        ModeBands bands;
    };
    const Case cases[] = {
        {std::make_shared<AMDemodulator>(), {"AM", {0, 4500}, {-4500, 4500}, {-7500, 7500}, {-1500, 1500}}},
        {std::make_shared<USBdemodulator>(), {"USB", {10, 4200}, {10, 3600}, {10, 25000}, {10, 2200}}},
        {std::make_shared<LSBdemodulator>(),
         {"LSB", {-4200, -10}, {-3600, -10}, {-25000, -10}, {-2200, -10}}},
        {std::make_shared<CWDemodulator>(), {"CW", {400, 800}, {100, 800}, {100, 1200}, {100, 250}}},
        {std::make_shared<NBFMDemodulator>(),
         {"NBFM", {0, 5000}, {-5500, 5500}, {-70000, 70000}, {-3000, 3000}}},
        {std::make_shared<DigiDemod>(), {"DIGI", {0, 3200}, {-3200, 7800}, {-10000, 1000}, {-500, 10500}}},
    };
    for (const Case& c : cases)
        expectModeBands(engine, *c.demod, c.bands);
}

TEST(DemodulationModes, EveryModeLeavesItsAudioInTheRealParts)
{
    const std::shared_ptr<Demodulator> modes[] = {
        std::make_shared<AMDemodulator>(),   std::make_shared<USBdemodulator>(),
        std::make_shared<LSBdemodulator>(),  std::make_shared<CWDemodulator>(),
        std::make_shared<NBFMDemodulator>(), std::make_shared<DigiDemod>(),
    };
    for (const auto& demod : modes) {
        std::vector<Complex> block(256, Complex(0.3f, -0.2f));
        demod->demodulate(block.data(), 256, nullptr);
        for (const Complex& s : block)
            ASSERT_EQ(s.imag(), 0.0f) << demod->getName().toStdString();
    }
}

TEST(DemodulationModes, DigiBandIs11000HzFromTheLowEdge)
{
    DigiDemod digi;
    float low = -3200, high = 3200;
    digi.setFilterEdges(&low, &high);
    EXPECT_EQ(high, 7800.0f);
    EXPECT_EQ(digi.getHighEdge(), 3200.0f);
    std::vector<Complex> block(64, Complex(1.0f, 1.0f));
    digi.demodulate(block.data(), 64, nullptr);
    for (const Complex& s : block)
        ASSERT_EQ(s, Complex(0.0f, 0.0f));
}

TEST(DemodulationModes, SidebandVolumeScalesAtMostToUnity)
{
    struct Case
    {
        int volume;
        float expected; // for I = 0.25, Q = 0.5
        bool lower;
    };
    // Volume -1: as created, which is full volume.
    for (const Case c :
         {Case{-1, 0.75f, false}, Case{100, 0.75f, false}, Case{50, 0.375f, false}, Case{200, 0.75f, false},
          Case{50, -0.125f, true}, Case{100, -0.25f, true}, Case{-1, -0.25f, true}}) {
        USBdemodulator usb;
        LSBdemodulator lsb;
        Demodulator& d = c.lower ? static_cast<Demodulator&>(lsb) : usb;
        if (c.volume >= 0)
            d.setVolumePercent(c.volume);
        Complex s(0.25f, 0.5f);
        d.demodulate(&s, 1, nullptr);
        EXPECT_FLOAT_EQ(s.real(), c.expected) << c.volume << (c.lower ? " LSB" : " USB");
    }
}

TEST(DemodulationModes, AmRemovesTheCarrierAndEachDemodulatorKeepsItsOwnState)
{
    AMDemodulator a;
    AMDemodulator b;
    std::vector<Complex> carrier(3, Complex(0.6f, 0.8f));
    a.demodulate(carrier.data(), 3, nullptr);
    EXPECT_FLOAT_EQ(carrier[0].real(), 1.0f);
    EXPECT_FLOAT_EQ(carrier[1].real(), 0.98f);
    EXPECT_FLOAT_EQ(carrier[2].real(), 0.9604f);
    // A second AM demodulator starts from its own empty state.
    Complex s(1.0f, 0.0f);
    b.demodulate(&s, 1, nullptr);
    EXPECT_FLOAT_EQ(s.real(), 1.0f);
}

TEST(DemodulationModes, NbfmOutputIsTheFrequencyOverTheModulationFactor)
{
    NBFMDemodulator fm;
    std::vector<Complex> block(200);
    const Signal signal = complexTone(1000, 11000, 0.5f);
    for (long n = 0; n < 200; ++n)
        block[n] = signal(n);
    fm.demodulate(block.data(), 200, nullptr);
    for (int i = 1; i < 200; ++i)
        ASSERT_NEAR(block[i].real(), 1000.0 / (0.3 * 11000.0), 1e-4) << i;
}

TEST(DemodulationModes, EachModeIsHeardAtItsPitch)
{
    struct Case
    {
        std::shared_ptr<Demodulator> demod;
        int rate;
        Signal signal;
        double pitch;
        float rit;
    };
    const int am = 9000, fm = 11000, ssb = 7200, cw = 1600;
    const Case cases[] = {
        // A carrier 50 % modulated by 1 kHz, turning slowly in phase (a small mistuning).
        {std::make_shared<AMDemodulator>(), am,
         [](long n) {
             const double t = double(n) / am;
             const double envelope = 0.3 * (1 + 0.5 * std::sin(2 * M_PI * 1000 * t));
             return Complex(float(envelope * std::cos(2 * M_PI * 20 * t)),
                            float(envelope * std::sin(2 * M_PI * 20 * t)));
         },
         1000, 0},
        // A carrier frequency-modulated by 1 kHz with 2.5 kHz deviation.
        {std::make_shared<NBFMDemodulator>(), fm,
         [](long n) {
             const double t = double(n) / fm;
             const double phase = 2.5 * std::sin(2 * M_PI * 1000 * t); // deviation / tone
             return Complex(0.3f * float(std::cos(phase)), 0.3f * float(std::sin(phase)));
         },
         1000, 0},
        {std::make_shared<USBdemodulator>(), ssb, complexTone(1200, ssb), 1200, 0},
        {std::make_shared<USBdemodulator>(), ssb, complexTone(2500, ssb), 2500, 0},
        {std::make_shared<LSBdemodulator>(), ssb, complexTone(-1200, ssb), 1200, 0},
        {std::make_shared<LSBdemodulator>(), ssb, complexTone(-2500, ssb), 2500, 0},
        {std::make_shared<CWDemodulator>(), cw, complexTone(600, cw), 600, 0},
        // CW tuned onto the carrier: the RIT offset makes the pitch.
        {std::make_shared<CWDemodulator>(), cw, complexTone(0, cw), 700, 700},
        {std::make_shared<USBdemodulator>(), ssb, complexTone(1000, ssb), 1300, 300},
    };
    for (const Case& c : cases) {
        if (c.rit != 0)
            c.demod->setRitFrequency(c.rit);
        const std::vector<float> audio = listen(*c.demod, c.rate, c.signal);
        ASSERT_GT(audio.size(), 48000u) << c.demod->getName().toStdString();
        EXPECT_NEAR(tone::peakFrequency(audio, kAudioRate), c.pitch, c.pitch * 0.005)
            << c.demod->getName().toStdString() << " " << c.pitch;
        EXPECT_GT(tone::toneAmplitude(audio, kAudioRate, c.pitch), 0.01) << c.demod->getName().toStdString();
    }
}

TEST(DemodulationModes, CwInstallResetsTheMorseLevels)
{
    CWDemodulator cw;
    for (int i = 0; i < 100; ++i)
        cw.morseDecoder().process(i % 2 ? -60.0f : -20.0f);
    cw.install();
    float low = 100, high = 800;
    cw.setFilterEdges(&low, &high);
    EXPECT_EQ(high, 800.0f);
    EXPECT_EQ(cw.getLowEdge(), 100.0f);
}
