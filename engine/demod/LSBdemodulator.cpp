#include "engine/demod/LSBdemodulator.h"

LSBdemodulator::LSBdemodulator()
{
    minLow = -25000;
    maxLow = -2200;
    minHigh = -10;
    maxHigh = -10;
    defaultLow = -3600;
    defaultHigh = -10;
    lowEdge = -4200.0f;
    highEdge = -10.0f;
}

float LSBdemodulator::demodulate(Complex* samples, int count, SampleContext*)
{
    const float gain = static_cast<float>(volumeGain());
    for (int i = 0; i < count; ++i)
        samples[i] = Complex((samples[i].real() - samples[i].imag()) * gain, 0.0f);
    return gain;
}
