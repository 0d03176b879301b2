#include "engine/demod/DigiDemod.h"

#include <algorithm>

namespace {
constexpr float kBandWidth = 11000.0f;
}

DigiDemod::DigiDemod()
{
    minLow = 0;
    maxLow = 0;
    minHigh = 500;
    maxHigh = 10000;
    defaultLow = 10;
    defaultHigh = 3200;
    lowEdge = 0.0f;
    highEdge = 3200.0f;
    mirrored = true;
}

void DigiDemod::setFilterEdges(float* low, float* high)
{
    Demodulator::setFilterEdges(low, high);
    if (low && high)
        *high = *low + kBandWidth;
}

float DigiDemod::demodulate(Complex* samples, int count, SampleContext*)
{
    std::fill(samples, samples + std::max(count, 0), Complex(0.0f, 0.0f));
    return 0.0f;
}
