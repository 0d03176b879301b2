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
    if (resetRequested.load(std::memory_order_relaxed) && resetRequested.exchange(false, std::memory_order_acquire)) {
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
// Multiplies the samples of whole runs by the phasor (c, s) turned by rotation[k] for the
// k-th sample of a run, advancing the phasor from run to run. Store(i, re, im) puts the
// i-th product where it goes.
template <typename Store>
inline void mixRunsInto(const float* x, int count, float* phasorRe, float* phasorIm,
                        const float* __restrict rotationRe, const float* __restrict rotationIm, int runLength,
                        Store&& store)
{
    float c = *phasorRe;
    float s = *phasorIm;
    for (int start = 0; start < count; start += runLength) {
        const int run = std::min(runLength, count - start);
        const float* xs = x + 2 * start;
        for (int k = 0; k < run; ++k) {
            const float pr = c * rotationRe[k] - s * rotationIm[k];
            const float pi = c * rotationIm[k] + s * rotationRe[k];
            const float xr = xs[2 * k];
            const float xi = xs[2 * k + 1];
            store(start + k, xr * pr - xi * pi, xr * pi + xi * pr);
        }
        // The gain correction comes from the phasor before the turn, as in a per-sample
        // recursion; its fixed point is c^2 + s^2 = 0.95.
        const float gain = static_cast<float>(1.95 - (double(c) * c + double(s) * s));
        const float turnRe = rotationRe[run - 1];
        const float turnIm = rotationIm[run - 1];
        const float nextRe = (c * turnRe - s * turnIm) * gain;
        const float nextIm = (c * turnIm + s * turnRe) * gain;
        c = nextRe;
        s = nextIm;
    }
    *phasorRe = c;
    *phasorIm = s;
}

// y may be x.
CPU_DISPATCHED void mixRuns(const float* x, float* y, int count, float* phasorRe, float* phasorIm,
                            const float* __restrict rotationRe, const float* __restrict rotationIm,
                            int runLength)
{
    mixRunsInto(x, count, phasorRe, phasorIm, rotationRe, rotationIm, runLength, [y](int i, float re, float im) {
        y[2 * i] = re;
        y[2 * i + 1] = im;
    });
}

// Even-numbered products to even, odd-numbered ones to odd; count and runLength are even.
// The products are those of mixRuns, a pair of samples per step.
CPU_DISPATCHED void mixRunsSplit(const float* x, float* __restrict even, float* __restrict odd, int count,
                                 float* phasorRe, float* phasorIm, const float* __restrict rotationRe,
                                 const float* __restrict rotationIm, int runLength)
{
    float c = *phasorRe;
    float s = *phasorIm;
    for (int start = 0; start < count; start += runLength) {
        const int run = std::min(runLength, count - start);
        const float* xs = x + 2 * start;
        float* es = even + start;
        float* os = odd + start;
        for (int j = 0; j < run / 2; ++j) {
            const float pr0 = c * rotationRe[2 * j] - s * rotationIm[2 * j];
            const float pi0 = c * rotationIm[2 * j] + s * rotationRe[2 * j];
            const float pr1 = c * rotationRe[2 * j + 1] - s * rotationIm[2 * j + 1];
            const float pi1 = c * rotationIm[2 * j + 1] + s * rotationRe[2 * j + 1];
            const float xr0 = xs[4 * j];
            const float xi0 = xs[4 * j + 1];
            const float xr1 = xs[4 * j + 2];
            const float xi1 = xs[4 * j + 3];
            es[2 * j] = xr0 * pr0 - xi0 * pi0;
            es[2 * j + 1] = xr0 * pi0 + xi0 * pr0;
            os[2 * j] = xr1 * pr1 - xi1 * pi1;
            os[2 * j + 1] = xr1 * pi1 + xi1 * pr1;
        }
        const float gain = static_cast<float>(1.95 - (double(c) * c + double(s) * s));
        const float turnRe = rotationRe[run - 1];
        const float turnIm = rotationIm[run - 1];
        const float nextRe = (c * turnRe - s * turnIm) * gain;
        const float nextIm = (c * turnIm + s * turnRe) * gain;
        c = nextRe;
        s = nextIm;
    }
    *phasorRe = c;
    *phasorIm = s;
}
} // namespace

void PhasorOscillator::Mix(const Complex* in, Complex* out, int count)
{
    ApplyPending();
    mixRuns(reinterpret_cast<const float*>(in), reinterpret_cast<float*>(out), count, &phasorRe, &phasorIm,
            rotationRe, rotationIm, kRun);
}

void PhasorOscillator::MixSplit(const Complex* in, Complex* even, Complex* odd, int pairs)
{
    ApplyPending();
    mixRunsSplit(reinterpret_cast<const float*>(in), reinterpret_cast<float*>(even), reinterpret_cast<float*>(odd),
                 2 * pairs, &phasorRe, &phasorIm, rotationRe, rotationIm, kRun);
}
