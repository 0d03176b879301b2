#include "ToneAnalysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <fftw3.h>

namespace tone {

double peakFrequency(const std::vector<float>& samples, double rate, double minHz, double maxHz)
{
    if (samples.size() < 16)
        return 0.0;
    int n = 1;
    while (n * 2 <= static_cast<int>(samples.size()) && n < (1 << 20))
        n *= 2;
    std::vector<float> in(n);
    for (int i = 0; i < n; ++i)
        in[i] = samples[i] * static_cast<float>(0.5 - 0.5 * std::cos(2.0 * M_PI * i / (n - 1)));
    std::vector<std::complex<float>> out(n / 2 + 1);
    fftwf_plan plan =
        fftwf_plan_dft_r2c_1d(n, in.data(), reinterpret_cast<fftwf_complex*>(out.data()), FFTW_ESTIMATE);
    fftwf_execute(plan);
    fftwf_destroy_plan(plan);

    const double binHz = rate / n;
    const int first = std::max(1, static_cast<int>(minHz / binHz));
    const int last = std::min(n / 2 - 1, static_cast<int>(maxHz / binHz));
    int best = first;
    for (int k = first; k <= last; ++k)
        if (std::abs(out[k]) > std::abs(out[best]))
            best = k;
    const double a = std::log(std::abs(out[best - 1]) + 1e-20);
    const double b = std::log(std::abs(out[best]) + 1e-20);
    const double c = std::log(std::abs(out[best + 1]) + 1e-20);
    const double denominator = a - 2.0 * b + c;
    const double shift = denominator != 0.0 ? 0.5 * (a - c) / denominator : 0.0;
    return (best + shift) * binHz;
}

double zeroCrossingFrequency(const std::vector<float>& samples, double rate)
{
    double firstCrossing = -1.0;
    double lastCrossing = -1.0;
    int crossings = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f) {
            const double fraction = samples[i - 1] / static_cast<double>(samples[i - 1] - samples[i]);
            const double at = static_cast<double>(i - 1) + fraction;
            if (firstCrossing < 0.0)
                firstCrossing = at;
            lastCrossing = at;
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0.0;
    return (crossings - 1) * rate / (lastCrossing - firstCrossing);
}

double rms(const std::vector<float>& samples)
{
    if (samples.empty())
        return 0.0;
    double sum = 0.0;
    for (float s : samples)
        sum += static_cast<double>(s) * s;
    return std::sqrt(sum / samples.size());
}

double toneAmplitude(const std::vector<float>& samples, double rate, double hz)
{
    if (samples.empty())
        return 0.0;
    const double w = 2.0 * M_PI * hz / rate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0;
    double s2 = 0.0;
    for (float x : samples) {
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 2.0 * std::sqrt(std::max(0.0, power)) / samples.size();
}

double typicalToneAmplitude(const std::vector<float>& samples, double rate, double hz, long chunkSize)
{
    std::vector<double> amplitudes;
    for (long at = 0; chunkSize > 0 && at + chunkSize <= long(samples.size()); at += chunkSize)
        amplitudes.push_back(toneAmplitude(slice(samples, at, at + chunkSize), rate, hz));
    if (amplitudes.empty())
        return 0.0;
    auto middle = amplitudes.begin() + amplitudes.size() / 2;
    std::nth_element(amplitudes.begin(), middle, amplitudes.end());
    return *middle;
}

std::vector<float> activeSection(const std::vector<float>& samples, float threshold, double trim)
{
    const auto loud = [threshold](float s) { return std::fabs(s) > threshold; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    if (first == samples.end())
        return {};
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud).base();
    const long length = last - first;
    const long cut = static_cast<long>(length * std::clamp(trim, 0.0, 0.5));
    return std::vector<float>(first + cut, last - cut);
}

Span longestUnbroken(const std::vector<float>& samples, float quietLevel, long maxQuiet)
{
    Span longest;
    Span current{-1, -1};
    for (long i = 0; i < long(samples.size()); ++i) {
        if (std::fabs(samples[i]) <= quietLevel)
            continue;
        if (current.begin < 0 || i - current.end > maxQuiet)
            current.begin = i;
        current.end = i + 1;
        if (current.size() > longest.size())
            longest = current;
    }
    return longest;
}

std::vector<float> slice(const std::vector<float>& samples, long begin, long end)
{
    const long size = static_cast<long>(samples.size());
    begin = std::clamp(begin, 0L, size);
    end = std::clamp(end, begin, size);
    return std::vector<float>(samples.begin() + begin, samples.begin() + end);
}

} // namespace tone
