#include "engine/dsp/PhasorOscillator.h"

#include <algorithm>
#include <cmath>

PhasorOscillator::PhasorOscillator()
{
    ApplyPending();
}

void PhasorOscillator::SetFrequency(double hz, double sampleRate)
{
    const double step = sampleRate > 0 ? 2.0 * M_PI * hz / sampleRate : 0.0;
    pendingIncrement.store(static_cast<float>(step), std::memory_order_relaxed);
    incrementChanged.store(true, std::memory_order_release);
}

void PhasorOscillator::Reset()
{
    resetRequested.store(true, std::memory_order_release);
}

void PhasorOscillator::ApplyPending()
{
    if (resetRequested.exchange(false, std::memory_order_acquire)) {
        phasorRe = 1.0f;
        phasorIm = 0.0f;
    }
    if (incrementChanged.exchange(false, std::memory_order_acquire)) {
        const double step = pendingIncrement.load(std::memory_order_relaxed);
        for (int k = 0; k < kRun; ++k) {
            rotationRe[k] = static_cast<float>(std::cos((k + 1) * step));
            rotationIm[k] = static_cast<float>(std::sin((k + 1) * step));
        }
    }
}

void PhasorOscillator::Mix(Complex* samples, int count)
{
    ApplyPending();
    float* x = reinterpret_cast<float*>(samples);
    for (int start = 0; start < count; start += kRun) {
        const int run = std::min(kRun, count - start);
        const float c = phasorRe;
        const float s = phasorIm;
        float* xs = x + 2 * start;
        for (int k = 0; k < run; ++k) {
            const float pr = c * rotationRe[k] - s * rotationIm[k];
            const float pi = c * rotationIm[k] + s * rotationRe[k];
            const float xr = xs[2 * k];
            const float xi = xs[2 * k + 1];
            xs[2 * k] = xr * pr - xi * pi;
            xs[2 * k + 1] = xr * pi + xi * pr;
        }
        // The gain correction comes from the phasor before the turn, as in a per-sample
        // recursion; its fixed point is c^2 + s^2 = 0.95.
        const float gain = static_cast<float>(1.95 - (double(c) * c + double(s) * s));
        const float turnRe = rotationRe[run - 1];
        const float turnIm = rotationIm[run - 1];
        phasorRe = (c * turnRe - s * turnIm) * gain;
        phasorIm = (c * turnIm + s * turnRe) * gain;
    }
}
