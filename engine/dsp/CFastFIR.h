#pragma once

#include "engine/dsp/Complex.h"

#include <fftw3.h>

// The channel filter: a complex band-pass FIR of 2049 taps designed from a low and a high
// edge in hertz, applied by overlap-save fast convolution with 4096-point FFTs. The taps
// are complex, so the pass band need not be symmetric about zero (a sideband passes, its
// mirror is rejected).
class CFastFIR
{
public:
    static constexpr int kTaps = 2049;
    static constexpr int kFftSize = 4096;
    static constexpr int kFrame = kFftSize / 2; // new samples per FFT frame

    CFastFIR();
    virtual ~CFastFIR();
    CFastFIR(const CFastFIR&) = delete;
    CFastFIR& operator=(const CFastFIR&) = delete;

    // Pass band from lowCut + offset to highCut + offset Hz at sampleRate. An invalid band
    // (low >= high, or an edge at or beyond +-rate/2) is refused with two lines on the
    // standard output and the previous filter stays; the same request again is ignored.
    void SetBand(float lowCut, float highCut, float offset, float sampleRate);
    // Filters count samples. The output comes in whole frames of 2048 samples (often 0);
    // out must have room for count + 2047 samples. Returns the number written. The output
    // lags by the centre tap (1024 samples).
    int Filter(int count, const Complex* in, Complex* out);

    // The designed taps (kTaps values, unit gain at the band centre).
    const Complex* Taps() const { return taps; }

private:
    void ProcessFrame(Complex* out);

    fftwf_complex* fftIn;
    fftwf_complex* fftOut;
    fftwf_complex* ifftOut;
    // The taps' transform, designed in buffers of its own so that a new band never
    // disturbs the frame being collected.
    fftwf_complex* spectrum;
    fftwf_complex* designIn;
    fftwf_plan forwardPlan;
    fftwf_plan inversePlan;
    float lastLow = -1.0f;
    float lastHigh = 1.0f;
    float lastOffset = 1.0f;
    float lastRate = 1.0f;
    int fill = kFrame;
    float window[kTaps];
    Complex taps[kTaps];
};
