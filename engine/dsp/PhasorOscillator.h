#pragma once

#include "engine/dsp/Complex.h"

#include <atomic>

// Shifts blocks of samples up by a set frequency: each sample is multiplied by a unit
// phasor that turns by a fixed step per sample. The stored phasor is rescaled by
// 1.95 - (c^2 + s^2) so that rounding never lets its amplitude drift; the amplitude
// settles at sqrt(0.95) (-0.22 dB), part of the receive chain's gain.
//
// The phasor advances in runs of kRun samples: inside a run every sample's phasor is the
// run's start phasor times a precomputed rotation, so the products are independent and
// vectorise; the amplitude correction is applied once per run.
//
// The frequency and the restart may be set from another thread while Mix runs on its
// own: they take effect at the start of the next Mix.
class PhasorOscillator
{
public:
    PhasorOscillator();

    // Step = 2 pi hz / sampleRate radians per sample (0 for a rate of 0 or less).
    void SetFrequency(double hz, double sampleRate);
    // Puts the phasor back to (1, 0).
    void Reset();
    // Multiplies count samples by the running phasor, from in to out (which may be in).
    void Mix(const Complex* in, Complex* out, int count);
    void Mix(Complex* samples, int count) { Mix(samples, samples, count); }
    // The same on 2 x pairs samples, the products of even-numbered samples written to
    // even and those of odd-numbered ones to odd (what a decimate-by-2 stage splits its
    // input into): the same values as Mix, without a pass of their own to split them.
    void MixSplit(const Complex* in, Complex* even, Complex* odd, int pairs);

    // Samples per run (see above).
    static constexpr int kRun = 32;

private:
    void ApplyPending();

    std::atomic<float> pendingIncrement{0.0f};
    std::atomic<bool> incrementChanged{true};
    std::atomic<bool> resetRequested{false};

    // rotation[k] = e^{j (k + 1) step}, real and imaginary parts apart
    float rotationRe[kRun];
    float rotationIm[kRun];
    float phasorRe = 1.0f;
    float phasorIm = 0.0f;
};
