#pragma once

// Synthetic signals and simple measurements shared by the DSP tests.

#include "engine/dsp/Complex.h"

#include <cmath>
#include <complex>
#include <vector>

namespace dsptest {

// A complex tone of `cycles` cycles per sample, starting at phase 0 at sample `first`.
inline std::vector<Complex> tone(int count, double cycles, float amplitude = 1.0f, long first = 0)
{
    std::vector<Complex> out(count);
    for (int i = 0; i < count; ++i) {
        const double phase = 2.0 * M_PI * cycles * double(first + i);
        out[i] = Complex(float(amplitude * std::cos(phase)), float(amplitude * std::sin(phase)));
    }
    return out;
}

// Amplitude of the component at `cycles` per sample over samples [from, to).
inline double amplitudeAt(const std::vector<Complex>& x, double cycles, size_t from = 0, size_t to = 0)
{
    if (to == 0 || to > x.size())
        to = x.size();
    std::complex<double> sum = 0.0;
    for (size_t n = from; n < to; ++n)
        sum += std::complex<double>(x[n]) * std::polar(1.0, -2.0 * M_PI * cycles * double(n));
    return std::abs(sum) / double(to - from);
}

// Frequency in cycles per sample of a single complex tone: the mean turn between
// neighbouring samples over [from, to).
inline double toneFrequency(const std::vector<Complex>& x, size_t from = 0, size_t to = 0)
{
    if (to == 0 || to > x.size())
        to = x.size();
    std::complex<double> turn = 0.0;
    for (size_t n = from + 1; n < to; ++n)
        turn += std::complex<double>(x[n]) * std::conj(std::complex<double>(x[n - 1]));
    return std::arg(turn) / (2.0 * M_PI);
}

// Mean |x| over [from, to).
inline double meanMagnitude(const std::vector<Complex>& x, size_t from = 0, size_t to = 0)
{
    if (to == 0 || to > x.size())
        to = x.size();
    double sum = 0.0;
    for (size_t n = from; n < to; ++n)
        sum += std::abs(x[n]);
    return sum / double(to - from);
}

inline double toDb(double ratio)
{
    return 20.0 * std::log10(ratio);
}

} // namespace dsptest
