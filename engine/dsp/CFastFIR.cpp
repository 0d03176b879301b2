#include "engine/dsp/CFastFIR.h"

#include "engine/dsp/CpuDispatch.h"
#include "engine/dsp/FftwPlanLock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// x *= h over count complex values, interleaved.
CPU_DISPATCHED void multiplySpectra(float* __restrict x, const float* __restrict h, int count)
{
    for (int i = 0; i < count; ++i) {
        const float xr = x[2 * i], xi = x[2 * i + 1];
        const float hr = h[2 * i], hi = h[2 * i + 1];
        x[2 * i] = xr * hr - xi * hi;
        x[2 * i + 1] = xr * hi + xi * hr;
    }
}

} // namespace

CFastFIR::CFastFIR()
{
    fftIn = fftwf_alloc_complex(kFftSize);
    fftOut = fftwf_alloc_complex(kFftSize);
    ifftOut = fftwf_alloc_complex(kFftSize);
    spectrum = fftwf_alloc_complex(kFftSize);
    designIn = fftwf_alloc_complex(kFftSize);
    std::memset(fftIn, 0, kFftSize * sizeof(fftwf_complex));
    std::memset(spectrum, 0, kFftSize * sizeof(fftwf_complex));
    std::memset(designIn, 0, kFftSize * sizeof(fftwf_complex));
    {
        std::lock_guard<std::mutex> guard(fftwPlannerMutex());
        // Out-of-place complex transforms keep their input: the second half of a frame
        // becomes the first half of the next.
        forwardPlan =
            fftwf_plan_dft_1d(kFftSize, fftIn, fftOut, FFTW_FORWARD, FFTW_ESTIMATE | FFTW_PRESERVE_INPUT);
        inversePlan = fftwf_plan_dft_1d(kFftSize, fftOut, ifftOut, FFTW_BACKWARD, FFTW_ESTIMATE);
    }
    // Four-term Blackman-Nuttall window over the 2049 taps.
    for (int i = 0; i < kTaps; ++i) {
        const float phase = 2.0f * float(M_PI) * i / (kTaps - 1);
        window[i] = float(0.3635819 - 0.4891775 * std::cos(phase) + 0.1365995 * std::cos(2 * phase) -
                          0.0106411 * std::cos(3 * phase));
    }
    for (Complex& tap : taps)
        tap = 0.0f;
}

CFastFIR::~CFastFIR()
{
    {
        std::lock_guard<std::mutex> guard(fftwPlannerMutex());
        fftwf_destroy_plan(forwardPlan);
        fftwf_destroy_plan(inversePlan);
    }
    fftwf_free(fftIn);
    fftwf_free(fftOut);
    fftwf_free(ifftOut);
    fftwf_free(spectrum);
    fftwf_free(designIn);
}

void CFastFIR::SetBand(float lowCut, float highCut, float offset, float sampleRate)
{
    if (lowCut == lastLow && highCut == lastHigh && offset == lastOffset && sampleRate == lastRate)
        return;
    // Remembered before the check, so that a refused band is not reported twice.
    lastLow = lowCut;
    lastHigh = highCut;
    lastOffset = offset;
    lastRate = sampleRate;

    const float lo = lowCut + offset;
    const float hi = highCut + offset;
    const float half = sampleRate / 2;
    if (!(lo < hi && -half < lo && lo < half && -half < hi && hi < half)) {
        std::printf("Filter Parameter error\n");
        std::printf("FLowCut=%f FHiCut=%f SampleRate=%f\n", lo, hi, sampleRate);
        std::fflush(stdout);
        return;
    }

    // Windowed-sinc low-pass of half-width B, shifted to the band centre; the 1/4096 of
    // the inverse transform is folded into the taps.
    const float fl = lo / sampleRate;
    const float fh = hi / sampleRate;
    const float halfWidth = (fh - fl) * 0.5f;
    const float centre = (fl + fh) * 2.0f * float(M_PI) * 0.5f;
    constexpr int kMiddle = (kTaps - 1) / 2;
    for (int i = 0; i < kTaps; ++i) {
        const int h = i - kMiddle;
        const double amplitude =
            h == 0 ? 2.0 * halfWidth : std::sin(2.0 * M_PI * h * halfWidth) / (M_PI * h) * window[i];
        taps[i] = Complex(float(amplitude * std::cos(h * double(centre))),
                          float(amplitude * std::sin(h * double(centre))));
        designIn[i][0] = taps[i].real() / kFftSize;
        designIn[i][1] = taps[i].imag() / kFftSize;
    }
    fftwf_execute_dft(forwardPlan, designIn, spectrum);
}

int CFastFIR::Filter(int count, const Complex* in, Complex* out)
{
    int written = 0;
    while (count > 0) {
        const int take = std::min(count, kFftSize - fill);
        std::memcpy(fftIn + fill, in, take * sizeof(Complex));
        fill += take;
        in += take;
        count -= take;
        if (fill == kFftSize) {
            ProcessFrame(out + written);
            written += kFrame;
        }
    }
    return written;
}

void CFastFIR::ProcessFrame(Complex* out)
{
    fftwf_execute(forwardPlan);
    multiplySpectra(reinterpret_cast<float*>(fftOut), reinterpret_cast<const float*>(spectrum), kFftSize);
    fftwf_execute(inversePlan);
    // The second half of the frame is the valid linear convolution.
    std::memcpy(out, ifftOut + kFrame, kFrame * sizeof(Complex));
    std::memcpy(fftIn, fftIn + kFrame, kFrame * sizeof(Complex));
    fill = kFrame;
}
