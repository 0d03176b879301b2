#include "scripting/ScriptSpectrum.h"

#include "engine/dsp/FftwPlanLock.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace ScriptSpectrum {

namespace {

struct FftwFree
{
    void operator()(fftwf_complex* p) const { fftwf_free(p); }
};
using FftwBuffer = std::unique_ptr<fftwf_complex[], FftwFree>;

// The forward transform of the interleaved values, in natural bin order.
FftwBuffer transform(const std::vector<double>& values, int size)
{
    FftwBuffer in(static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * size)));
    FftwBuffer out(static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * size)));
    if (!in || !out)
        return nullptr;
    fftwf_plan plan;
    {
        std::lock_guard<std::mutex> guard(fftwPlannerMutex());
        plan = fftwf_plan_dft_1d(size, in.get(), out.get(), FFTW_FORWARD, FFTW_ESTIMATE);
    }
    std::fill_n(&in[0][0], 2 * static_cast<size_t>(size), 0.0f);
    const size_t used = std::min(values.size(), 2 * static_cast<size_t>(size));
    for (size_t i = 0; i < used; ++i)
        in[i / 2][i % 2] = static_cast<float>(values[i]);
    fftwf_execute(plan);
    {
        std::lock_guard<std::mutex> guard(fftwPlannerMutex());
        fftwf_destroy_plan(plan);
    }
    return out;
}

// The bin shown at output position i.
int binAt(int i, int size)
{
    return (i + size / 2) % size;
}

} // namespace

std::vector<float> fft(const std::vector<double>& values, int size)
{
    const FftwBuffer bins = transform(values, size);
    if (!bins)
        return {};
    std::vector<float> result(2 * static_cast<size_t>(size));
    for (int i = 0; i < size; ++i) {
        const int bin = binAt(i, size);
        result[2 * i] = static_cast<float>(double(bins[bin][0]) / size);
        result[2 * i + 1] = static_cast<float>(double(bins[bin][1]) / size);
    }
    return result;
}

std::vector<float> power(const std::vector<double>& values, int size)
{
    const FftwBuffer bins = transform(values, size);
    if (!bins)
        return {};
    const float w = 1.0f / static_cast<float>(size);
    std::vector<float> result(size);
    for (int i = 0; i < size; ++i) {
        const int bin = binAt(i, size);
        const float re = bins[bin][0] * w;
        const float im = bins[bin][1] * w;
        const float db = 20.0f * std::log10(re * re + im * im);
        result[i] = db < PowerFloorDb ? PowerFloorDb : db;
    }
    return result;
}

} // namespace ScriptSpectrum
