#pragma once

#include "engine/dsp/Complex.h"

#include <fftw3.h>

// The channel filter: a complex band-pass FIR of 2049 taps designed from a low and a high
// edge in hertz, applied by fast convolution. The taps are complex, so the pass band need
// not be symmetric about zero (a sideband passes, its mirror is rejected).
//
// The taps are cut into partitions of one frame each and every frame is convolved with
// all of them at once in the frequency domain (uniformly partitioned overlap-save): the
// output is the one long transform's, but it comes a frame at a time, and a frame of 512
// samples is 16 ms at the 32 kHz of a voice channel instead of 64 ms for 2048.
class CFastFIR
{
public:
    static constexpr int kTaps = 2049;
    static constexpr int kFrame = 512; // new samples per frame, unless another is asked
    static constexpr int kMinFrame = 64;
    static constexpr int kMaxFrame = 4096;

    // frame: the new samples per transform, a power of two from kMinFrame to kMaxFrame
    // (others are taken as kFrame). 2048 and more give one partition: the plain filter.
    explicit CFastFIR(int frame = kFrame);
    virtual ~CFastFIR();
    CFastFIR(const CFastFIR&) = delete;
    CFastFIR& operator=(const CFastFIR&) = delete;

    // Pass band from lowCut + offset to highCut + offset Hz at sampleRate. An invalid band
    // (low >= high, or an edge at or beyond +-rate/2) is refused with two lines on the
    // standard output and the previous filter stays; the same request again is ignored.
    void SetBand(float lowCut, float highCut, float offset, float sampleRate);
    // Filters count samples. The output comes in whole frames (often 0); out must have
    // room for count + Frame() - 1 samples. Returns the number written. The output lags
    // by the centre tap (1024 samples).
    int Filter(int count, const Complex* in, Complex* out);

    int Frame() const { return frame; }
    // The designed taps (kTaps values, unit gain at the band centre).
    const Complex* Taps() const { return taps; }

private:
    void ProcessFrame(Complex* out);

    const int frame;
    const int fftSize; // two frames: the previous one and the new one
    // Each partition holds a frame of taps, the last one frame + 1 (the transform's
    // two frames take a frame of output from frame + 1 taps without wrapping round).
    const int partitions;
    fftwf_complex* fftIn;
    fftwf_complex* sum;
    fftwf_complex* ifftOut;
    // The transforms of the last `partitions` input frames, newest at `newest`.
    fftwf_complex* history;
    // The transforms of the taps' partitions, designed in buffers of their own so that a
    // new band never disturbs the frame being collected.
    fftwf_complex* response;
    fftwf_complex* designIn;
    fftwf_plan forwardPlan;
    fftwf_plan inversePlan;
    float lastLow = -1.0f;
    float lastHigh = 1.0f;
    float lastOffset = 1.0f;
    float lastRate = 1.0f;
    int fill;
    int newest = 0;
    float window[kTaps];
    Complex taps[kTaps];
};
