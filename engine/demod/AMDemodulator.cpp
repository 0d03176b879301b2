#include "engine/demod/AMDemodulator.h"

#include <cmath>

AMDemodulator::AMDemodulator()
{
    minLow = 0;
    maxLow = 0;
    minHigh = 1500;
    maxHigh = 7500;
    defaultLow = 0;
    defaultHigh = 4500;
    lowEdge = 0.0f;
    highEdge = 4500.0f;
    mirrored = true;
}

float AMDemodulator::demodulate(Complex* samples, int count, SampleContext*)
{
    for (int i = 0; i < count; ++i) {
        const float re = samples[i].real();
        const float im = samples[i].imag();
        const float magnitude = std::sqrt(re * re + im * im);
        const float y = static_cast<float>(0.98 * dcState + magnitude);
        samples[i] = Complex(y - dcState, 0.0f);
        dcState = y;
    }
    return dcState;
}
