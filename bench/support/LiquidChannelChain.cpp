#include "LiquidChannelChain.h"

#include "StageTaps.h"

#include <cmath>
#include <cstring>

namespace {
constexpr int kFrame = 2048;
constexpr int kChannelTaps = 2049;

} // namespace

LiquidChannelChain::LiquidChannelChain(double inputRate, double ncoHz, const std::vector<int>& stagePlan,
                                       const Complex* filterTaps, double decimatedRate, double outputRate)
{
    oscillator = nco_crcf_create(LIQUID_NCO);
    nco_crcf_set_frequency(oscillator, float(2.0 * M_PI * ncoHz / inputRate));
    for (int length : stagePlan) {
        std::vector<float> taps = decimatorStageTaps(length);
        decimators.push_back(firdecim_crcf_create(2, taps.data(), unsigned(taps.size())));
    }
    std::vector<Complex> taps(filterTaps, filterTaps + kChannelTaps);
    filter = fftfilt_cccf_create(taps.data(), kChannelTaps, kFrame);
    // Our resampler's kernel: 28 input samples, zero crossings at whole input samples.
    resampler = resamp_crcf_create(float(outputRate / decimatedRate), 14, 0.45f, 80.0f, 64);
    filtered.resize(kFrame);
    perFrame = size_t(std::ceil(kFrame * outputRate / decimatedRate)) + 2;
}

LiquidChannelChain::~LiquidChannelChain()
{
    nco_crcf_destroy(oscillator);
    for (firdecim_crcf decimator : decimators)
        firdecim_crcf_destroy(decimator);
    fftfilt_cccf_destroy(filter);
    resamp_crcf_destroy(resampler);
}

int LiquidChannelChain::Process(Complex* block, int count)
{
    nco_crcf_mix_block_up(oscillator, block, block, unsigned(count));
    for (firdecim_crcf decimator : decimators) {
        count /= 2; // the plans halve even block lengths
        firdecim_crcf_execute_block(decimator, block, unsigned(count), block);
    }
    decimated.insert(decimated.end(), block, block + count);
    const size_t frames = decimated.size() / kFrame;
    if (output.size() < frames * perFrame)
        output.resize(frames * perFrame);
    int produced = 0;
    size_t used = 0;
    for (; used + kFrame <= decimated.size(); used += kFrame) {
        fftfilt_cccf_execute(filter, decimated.data() + used, filtered.data());
        unsigned int written = 0;
        resamp_crcf_execute_block(resampler, filtered.data(), kFrame, output.data() + produced, &written);
        produced += int(written);
    }
    decimated.erase(decimated.begin(), decimated.begin() + long(used));
    return produced;
}
