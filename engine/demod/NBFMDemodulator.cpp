#include "engine/demod/NBFMDemodulator.h"

#include "core/QLogger.h"

// liquid-dsp picks std::complex for its complex type only when <complex> came first.
#include <complex>
#include <liquid/liquid.h>

namespace {
constexpr float kModulationFactor = 0.3f;
}

NBFMDemodulator::NBFMDemodulator() : discriminator(freqdem_create(kModulationFactor))
{
    minLow = 0;
    maxLow = 0;
    minHigh = 3000;
    maxHigh = 70000;
    defaultLow = 0;
    defaultHigh = 5500;
    lowEdge = 0.0f;
    highEdge = 5000.0f;
    mirrored = true;
    QLogger::logTrace(LogModule, QStringLiteral("NBFMDemodulator::NBFMDemodulator() done "));
}

NBFMDemodulator::~NBFMDemodulator()
{
    freqdem_destroy(discriminator);
}

float NBFMDemodulator::demodulate(Complex* samples, int count, SampleContext*)
{
    float audio = 0.0f;
    for (int i = 0; i < count; ++i) {
        freqdem_demodulate(discriminator, samples[i], &audio);
        samples[i] = Complex(audio, 0.0f);
    }
    return audio;
}
