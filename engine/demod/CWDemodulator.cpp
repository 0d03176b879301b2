#include "engine/demod/CWDemodulator.h"

CWDemodulator::CWDemodulator()
{
    minLow = 100;
    maxLow = 100;
    minHigh = 250;
    maxHigh = 1200;
    defaultLow = 40;
    defaultHigh = 800;
    lowEdge = 400.0f;
    highEdge = 800.0f;
}

float CWDemodulator::demodulate(Complex* samples, int count, SampleContext*)
{
    const float gain = static_cast<float>(volumeGain());
    for (int i = 0; i < count; ++i)
        samples[i] = Complex((samples[i].real() + samples[i].imag()) * gain, 0.0f);
    return gain;
}

void CWDemodulator::setFilterEdges(float* low, float* high)
{
    Demodulator::setFilterEdges(low, high);
    decoder.resetLevels();
}

void CWDemodulator::install()
{
    decoder.resetLevels();
}
