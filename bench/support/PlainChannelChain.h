#pragma once

#include "engine/dsp/Complex.h"

#include <fftw3.h>

#include <vector>

// The yardstick of the channel chain benchmark: the same job as ChannelChain, written
// the plain way a careful engineer would write it without tuning it for speed. The
// same decimation plan, the same taps, the same channel filter and resampling kernel,
// so that its output equals ChannelChain's within float rounding:
// - mix: every sample times a phasor read from a table of e^{j w k}, turned once per
//   table length by a phasor kept in double precision; amplitude sqrt(0.95), the
//   steady amplitude of the engine's oscillator;
// - decimate by 2 per stage: direct symmetric FIR on the interleaved samples behind a
//   history, the zero taps of the half-bands skipped;
// - channel filter: overlap-save with FFTW, 4096-point frames of 2048 new samples;
// - resample: the 28-point windowed sinc read from its table, position in double.
class PlainChannelChain
{
public:
    // stagePlan: the filter length of each decimate-by-2 stage (4 for the comb),
    // filterTaps: the 2049 taps of the channel filter (unit gain).
    PlainChannelChain(double inputRate, double ncoHz, const std::vector<int>& stagePlan,
                      const Complex* filterTaps, double decimatedRate, double outputRate);
    ~PlainChannelChain();
    PlainChannelChain(const PlainChannelChain&) = delete;
    PlainChannelChain& operator=(const PlainChannelChain&) = delete;

    // Runs a block through the chain (the block is used as work space); returns the
    // number of channel samples now in Output().
    int Process(Complex* block, int count);
    const Complex* Output() const { return output.data(); }

private:
    struct Stage
    {
        std::vector<float> taps; // the whole filter
        int history;             // input samples kept from the previous block
        std::vector<Complex> buffer;
    };

    void Mix(Complex* block, int count);
    static int Decimate(Stage& stage, Complex* block, int count);
    int Filter(const Complex* in, int count, Complex* out);
    int Resample(const Complex* in, int count, Complex* out);

    // mixer
    std::vector<Complex> phasorTable;
    double turnRe, turnIm; // e^{j w L} for the table length L
    double phasorRe = 1.0, phasorIm = 0.0;
    int tablePosition = 0;
    // decimators
    std::vector<Stage> stages;
    // channel filter
    fftwf_complex* frame;
    fftwf_complex* bins;
    fftwf_complex* result;
    fftwf_plan forward;
    fftwf_plan inverse;
    std::vector<Complex> response;
    int fill;
    // resampler
    double ratio;
    double position = 0;
    std::vector<float> kernel;
    std::vector<Complex> resampleInput; // 28 samples of history, then the block
    std::vector<Complex> filtered;
    std::vector<Complex> output;
};
