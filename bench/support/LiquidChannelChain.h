#pragma once

#include "engine/dsp/Complex.h"

#include <complex>
// liquid.h after <complex>, so that its complex type is std::complex<float>
#include <liquid/liquid.h>

#include <vector>

// The channel chain's job done with liquid-dsp objects, each called on whole blocks: an
// oscillator mixing the block, one FIR decimator by 2 per stage of the same plan with
// the same taps, an FFT filter with the same 2049 channel taps on 2048-sample frames,
// and liquid's arbitrary-rate resampler to the channel rate (its own kernel, 28 taps
// long like ours, cut off near the input's Nyquist frequency).
class LiquidChannelChain
{
public:
    LiquidChannelChain(double inputRate, double ncoHz, const std::vector<int>& stagePlan,
                       const Complex* filterTaps, double decimatedRate, double outputRate);
    ~LiquidChannelChain();
    LiquidChannelChain(const LiquidChannelChain&) = delete;
    LiquidChannelChain& operator=(const LiquidChannelChain&) = delete;

    // Runs a block through the chain (the block is used as work space); returns the
    // number of channel samples now in Output().
    int Process(Complex* block, int count);
    const Complex* Output() const { return output.data(); }

private:
    nco_crcf oscillator;
    std::vector<firdecim_crcf> decimators;
    fftfilt_cccf filter;
    resamp_crcf resampler;
    std::vector<Complex> decimated; // waiting for a whole filter frame
    std::vector<Complex> filtered;
    std::vector<Complex> output;
    size_t perFrame; // most outputs of one filter frame
};
