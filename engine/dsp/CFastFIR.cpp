#include "engine/dsp/CFastFIR.h"

#include "engine/dsp/CpuDispatch.h"
#include "engine/dsp/FftwPlanLock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

int validFrame(int frame)
{
    const bool powerOfTwo = frame > 0 && (frame & (frame - 1)) == 0;
    return powerOfTwo && frame >= CFastFIR::kMinFrame && frame <= CFastFIR::kMaxFrame ? frame
                                                                                      : CFastFIR::kFrame;
}

// sum (+)= x * h over count complex values, interleaved.
CPU_DISPATCHED void multiplySpectra(const float* __restrict x, const float* __restrict h,
                                    float* __restrict sum, int count, bool accumulate)
{
    if (accumulate) {
        for (int i = 0; i < count; ++i) {
            const float xr = x[2 * i], xi = x[2 * i + 1];
            const float hr = h[2 * i], hi = h[2 * i + 1];
            sum[2 * i] += xr * hr - xi * hi;
            sum[2 * i + 1] += xr * hi + xi * hr;
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        const float xr = x[2 * i], xi = x[2 * i + 1];
        const float hr = h[2 * i], hi = h[2 * i + 1];
        sum[2 * i] = xr * hr - xi * hi;
        sum[2 * i + 1] = xr * hi + xi * hr;
    }
}

} // namespace

CFastFIR::CFastFIR(int frameLength)
    : frame(validFrame(frameLength)), fftSize(2 * frame), partitions((kTaps - 1 + frame - 1) / frame),
      fill(frame)
{
    const size_t bins = size_t(fftSize);
    fftIn = fftwf_alloc_complex(bins);
    sum = fftwf_alloc_complex(bins);
    ifftOut = fftwf_alloc_complex(bins);
    history = fftwf_alloc_complex(bins * size_t(partitions));
    response = fftwf_alloc_complex(bins * size_t(partitions));
    designIn = fftwf_alloc_complex(bins);
    std::memset(fftIn, 0, bins * sizeof(fftwf_complex));
    std::memset(history, 0, bins * size_t(partitions) * sizeof(fftwf_complex));
    std::memset(response, 0, bins * size_t(partitions) * sizeof(fftwf_complex));
    {
        std::lock_guard<std::mutex> guard(fftwPlannerMutex());
        // Out-of-place complex transforms keep their input: the new half of a frame
        // becomes the old half of the next. The forward plan also runs on the design
        // buffer and on every slot of the history (all equally aligned).
        forwardPlan =
            fftwf_plan_dft_1d(fftSize, fftIn, history, FFTW_FORWARD, FFTW_ESTIMATE | FFTW_PRESERVE_INPUT);
        inversePlan = fftwf_plan_dft_1d(fftSize, sum, ifftOut, FFTW_BACKWARD, FFTW_ESTIMATE);
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
    fftwf_free(sum);
    fftwf_free(ifftOut);
    fftwf_free(history);
    fftwf_free(response);
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

    // Windowed-sinc low-pass of half-width B, shifted to the band centre.
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
    }
    // Each partition's transform, with the inverse transform's 1/fftSize folded in.
    for (int p = 0; p < partitions; ++p) {
        const int first = p * frame;
        const int last = p + 1 == partitions ? kTaps : first + frame;
        std::memset(designIn, 0, size_t(fftSize) * sizeof(fftwf_complex));
        for (int i = first; i < last; ++i) {
            designIn[i - first][0] = taps[i].real() / fftSize;
            designIn[i - first][1] = taps[i].imag() / fftSize;
        }
        fftwf_execute_dft(forwardPlan, designIn, response + size_t(p) * size_t(fftSize));
    }
}

int CFastFIR::Filter(int count, const Complex* in, Complex* out)
{
    int written = 0;
    while (count > 0) {
        const int take = std::min(count, fftSize - fill);
        std::memcpy(fftIn + fill, in, take * sizeof(Complex));
        fill += take;
        in += take;
        count -= take;
        if (fill == fftSize) {
            ProcessFrame(out + written);
            written += frame;
        }
    }
    return written;
}

void CFastFIR::ProcessFrame(Complex* out)
{
    fftwf_complex* spectrum = history + size_t(newest) * size_t(fftSize);
    fftwf_execute_dft(forwardPlan, fftIn, spectrum);
    // Partition p of the taps meets the input of p frames ago.
    for (int p = 0; p < partitions; ++p) {
        const int slot = (newest + partitions - p) % partitions;
        multiplySpectra(reinterpret_cast<const float*>(history + size_t(slot) * size_t(fftSize)),
                        reinterpret_cast<const float*>(response + size_t(p) * size_t(fftSize)),
                        reinterpret_cast<float*>(sum), fftSize, p > 0);
    }
    newest = (newest + 1) % partitions;
    fftwf_execute(inversePlan);
    // The second half of the transform is the valid linear convolution.
    std::memcpy(out, ifftOut + frame, size_t(frame) * sizeof(Complex));
    std::memcpy(fftIn, fftIn + frame, size_t(frame) * sizeof(Complex));
    fill = frame;
}
