#include "engine/dsp/PhasorOscillator.h"

#include "engine/dsp/CpuDispatch.h"

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
    // Plain loads first: an exchange is a locked instruction, and Mix runs many times
    // between two changes.
    if (resetRequested.load(std::memory_order_relaxed) &&
        resetRequested.exchange(false, std::memory_order_acquire)) {
        phasorRe = 1.0f;
        phasorIm = 0.0f;
    }
    if (incrementChanged.load(std::memory_order_relaxed) &&
        incrementChanged.exchange(false, std::memory_order_acquire)) {
        const double step = pendingIncrement.load(std::memory_order_relaxed);
        for (int k = 0; k < kRun; ++k) {
            rotationRe[k] = static_cast<float>(std::cos((k + 1) * step));
            rotationIm[k] = static_cast<float>(std::sin((k + 1) * step));
        }
    }
}

namespace {
constexpr int kRun = PhasorOscillator::kRun;

// The phasor (c, s) turned by a run of run samples. The gain correction comes from the
// phasor before the turn, as in a per-sample recursion; its fixed point is
// c^2 + s^2 = 0.95.
inline void advance(float& c, float& s, int run, const float* rotationRe, const float* rotationIm)
{
    const float gain = static_cast<float>(1.95 - (double(c) * c + double(s) * s));
    const float turnRe = rotationRe[run - 1];
    const float turnIm = rotationIm[run - 1];
    const float nextRe = (c * turnRe - s * turnIm) * gain;
    const float nextIm = (c * turnIm + s * turnRe) * gain;
    c = nextRe;
    s = nextIm;
}

// The run samples of x times the phasor (c, s) turned by rotation[k] for the k-th, into y.
inline void mixRun(const float* x, float* y, int run, float c, float s, const float* __restrict rotationRe,
                   const float* __restrict rotationIm)
{
    for (int k = 0; k < run; ++k) {
        const float pr = c * rotationRe[k] - s * rotationIm[k];
        const float pi = c * rotationIm[k] + s * rotationRe[k];
        const float xr = x[2 * k];
        const float xi = x[2 * k + 1];
        y[2 * k] = xr * pr - xi * pi;
        y[2 * k + 1] = xr * pi + xi * pr;
    }
}

// The same for an even run, the products of even-numbered samples to even and those of
// odd-numbered ones to odd, a pair of samples per step.
inline void mixRunSplit(const float* x, float* __restrict even, float* __restrict odd, int run, float c,
                        float s, const float* __restrict rotationRe, const float* __restrict rotationIm)
{
    for (int j = 0; j < run / 2; ++j) {
        const float pr0 = c * rotationRe[2 * j] - s * rotationIm[2 * j];
        const float pi0 = c * rotationIm[2 * j] + s * rotationRe[2 * j];
        const float pr1 = c * rotationRe[2 * j + 1] - s * rotationIm[2 * j + 1];
        const float pi1 = c * rotationIm[2 * j + 1] + s * rotationRe[2 * j + 1];
        const float xr0 = x[4 * j];
        const float xi0 = x[4 * j + 1];
        const float xr1 = x[4 * j + 2];
        const float xi1 = x[4 * j + 3];
        even[2 * j] = xr0 * pr0 - xi0 * pi0;
        even[2 * j + 1] = xr0 * pi0 + xi0 * pr0;
        odd[2 * j] = xr1 * pr1 - xi1 * pi1;
        odd[2 * j + 1] = xr1 * pi1 + xi1 * pr1;
    }
}

// Multiplies count samples by the phasor, run after run, advancing it from run to run.
// Whole runs are mixed with their length known to the compiler, which then lays out
// their loop without counting and testing. y may be x.
CPU_DISPATCHED void mixRuns(const float* x, float* y, int count, float* phasorRe, float* phasorIm,
                            const float* __restrict rotationRe, const float* __restrict rotationIm)
{
    float c = *phasorRe;
    float s = *phasorIm;
    int start = 0;
    for (; start + kRun <= count; start += kRun) {
        mixRun(x + 2 * start, y + 2 * start, kRun, c, s, rotationRe, rotationIm);
        advance(c, s, kRun, rotationRe, rotationIm);
    }
    if (start < count) {
        mixRun(x + 2 * start, y + 2 * start, count - start, c, s, rotationRe, rotationIm);
        advance(c, s, count - start, rotationRe, rotationIm);
    }
    *phasorRe = c;
    *phasorIm = s;
}

// The same with the products split into even and odd (count is even).
CPU_DISPATCHED void mixRunsSplit(const float* x, float* __restrict even, float* __restrict odd, int count,
                                 float* phasorRe, float* phasorIm, const float* __restrict rotationRe,
                                 const float* __restrict rotationIm)
{
    float c = *phasorRe;
    float s = *phasorIm;
    int start = 0;
    for (; start + kRun <= count; start += kRun) {
        mixRunSplit(x + 2 * start, even + start, odd + start, kRun, c, s, rotationRe, rotationIm);
        advance(c, s, kRun, rotationRe, rotationIm);
    }
    if (start < count) {
        mixRunSplit(x + 2 * start, even + start, odd + start, count - start, c, s, rotationRe, rotationIm);
        advance(c, s, count - start, rotationRe, rotationIm);
    }
    *phasorRe = c;
    *phasorIm = s;
}
} // namespace

void PhasorOscillator::Mix(const Complex* in, Complex* out, int count)
{
    ApplyPending();
    mixRuns(reinterpret_cast<const float*>(in), reinterpret_cast<float*>(out), count, &phasorRe, &phasorIm,
            rotationRe, rotationIm);
}

void PhasorOscillator::MixSplit(const Complex* in, Complex* even, Complex* odd, int pairs)
{
    ApplyPending();
    mixRunsSplit(reinterpret_cast<const float*>(in), reinterpret_cast<float*>(even),
                 reinterpret_cast<float*>(odd), 2 * pairs, &phasorRe, &phasorIm, rotationRe, rotationIm);
}
