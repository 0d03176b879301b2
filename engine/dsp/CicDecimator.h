#pragma once

#include "engine/dsp/Complex.h"

#include <cstdint>

// Lowers the rate of complex samples by an integer factor: a two-stage integrator-comb
// decimator in 32-bit integers, then a 32-tap filter at the output rate that flattens the
// comb's droop over the pass band (up to 0.2 of the output rate, within +-0.06 dB for
// factors of 8 and more) and cuts 0.3 to 0.5 of the output rate by 54 dB or more. What
// folds onto the pass band is rejected by the comb's nulls at multiples of the output
// rate only: 51 dB for a tone 0.05 of the output rate from such a multiple, 25 dB at 0.2.
//
// Samples are scaled by 32767 and limited to +-1 first, so the comb's growth of
// factor^2 stays inside 32 bits for factors up to 256; the integrators wrap around,
// which the combs undo. The output has the input's level at every factor.
//
// All state belongs to the instance: each stream needs its own decimator.
class CicDecimator
{
public:
    static constexpr int kMaxFactor = 256;
    static constexpr int kTaps = 32;

    // Decimates count samples by factor (1 to kMaxFactor) into out, which holds
    // count / factor + 1 samples; returns the number written. The decimation phase runs
    // on across calls; a new factor restarts the decimator. Another factor is refused (-1).
    int Decimate(const Complex* in, int count, Complex* out, int factor);
    // Back to the state of a new decimator.
    void Reset();

private:
    // One output of the compensation filter for a new comb output.
    Complex Compensate(Complex combOutput);

    int factor = 0;
    int phase = 0; // inputs since the last output
    // I and Q of each register; unsigned, so that wrapping around is defined.
    uint32_t integrator1[2] = {};
    uint32_t integrator2[2] = {};
    uint32_t comb1Delay[2] = {};
    uint32_t comb2Delay[2] = {};
    // Compensation filter inputs, newest first from historyPos, stored twice so that
    // the 32 newest always lie side by side.
    Complex history[2 * kTaps] = {};
    int historyPos = 0;
};
