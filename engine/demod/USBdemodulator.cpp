#include "engine/demod/USBdemodulator.h"

USBdemodulator::USBdemodulator()
{
    minLow = 10;
    maxLow = 10;
    minHigh = 2200;
    maxHigh = 25000;
    defaultLow = 10;
    defaultHigh = 3600;
    lowEdge = 10.0f;
    highEdge = 4200.0f;
}

float USBdemodulator::demodulate(Complex* samples, int count, SampleContext*)
{
    const float gain = static_cast<float>(volumeGain());
    for (int i = 0; i < count; ++i)
        samples[i] = Complex((samples[i].real() + samples[i].imag()) * gain, 0.0f);
    return gain;
}
