#include "ui/panels/DisplayFft.h"

#include "engine/dsp/FftwPlanLock.h"
#include "ui/panels/BinLevel.h"

#include <cmath>
#include <mutex>

DisplayFft::DisplayFft(int length) : n(length >= 2 && length % 2 == 0 ? length : 2), window(size_t(n))
{
    applyWindow(window.data(), n);
    in = fftwf_alloc_complex(size_t(n));
    out = fftwf_alloc_complex(size_t(n));
    for (int i = 0; i < n; ++i)
        in[i][0] = in[i][1] = 0;
    std::lock_guard<std::mutex> guard(fftwPlannerMutex());
    plan = fftwf_plan_dft_1d(n, in, out, FFTW_FORWARD, FFTW_ESTIMATE);
}

DisplayFft::~DisplayFft()
{
    {
        std::lock_guard<std::mutex> guard(fftwPlannerMutex());
        fftwf_destroy_plan(plan);
    }
    fftwf_free(in);
    fftwf_free(out);
}

void DisplayFft::load(const Complex* samples)
{
    for (int i = 0; i < n; ++i) {
        in[i][0] = float(samples[i].real() * window[i]);
        in[i][1] = float(samples[i].imag() * window[i]);
    }
}

void DisplayFft::transform(double* dB)
{
    fftwf_execute(plan);
    const int half = n / 2;
    const BinLevel level(2.0 / n);
    for (int k = 0; k < half; ++k) {
        dB[k] = level(out[half + k][0], out[half + k][1]);
        dB[half + k] = level(out[k][0], out[k][1]);
    }
}

void DisplayFft::applyWindow(double* w, int count)
{
    if (w == nullptr || count <= 0)
        return;
    if (count == 1) {
        w[0] = 1.0;
        return;
    }
    const double step = 2.0 * M_PI / (count - 1);
    for (int i = 0; i < count; ++i)
        w[i] = 0.3635819 - 0.4891775 * std::cos(step * i) + 0.1365995 * std::cos(2 * step * i) -
               0.0106411 * std::cos(3 * step * i);
}
