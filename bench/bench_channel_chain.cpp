// Throughput of the channel chain (mix, decimation plan, channel filter, resampling to
// the channel rate) for both channels, against an equivalent chain built from
// liquid-dsp on the same input: an NCO mix, a multi-stage half-band decimator to the
// same rate, an FFT filter with the same 2049 taps and a fractional resampler to the
// channel rate. Single thread; CPU time of this thread.
//
// Run from a release build: build/release/bench/bench_channel_chain

#include "engine/dsp/CFastFIR.h"
#include "engine/dsp/ChannelChain.h"

#include <complex>
// liquid.h after <complex>, so that its complex type is std::complex<float>
#include <liquid/liquid.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

namespace {

constexpr double kSeconds = 10.0; // of input per configuration
constexpr int kBlock = 16384;     // receiver block
constexpr int kPool = 1 << 20;    // distinct input samples, cycled
constexpr double kTargetMsps = 100.0;
constexpr double kTargetRatio = 1.0;
const float kOffsets[2] = {-150000.0f, 230000.0f}; // channel offsets from the centre, Hz

struct Mode
{
    const char* name;
    float low;
    float high;
};

double threadSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// Tones near both channels over a little noise, at about a tenth of full scale.
std::vector<Complex> makeInput(double rate)
{
    std::vector<Complex> input(kPool);
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 1e-3f);
    const double tones[] = {-kOffsets[0] + 1000.0, -kOffsets[0] + 2500.0, -kOffsets[1] + 700.0, 12345.0};
    for (int n = 0; n < kPool; ++n) {
        std::complex<double> x = 0.0;
        for (double f : tones)
            x += std::polar(0.03, -2.0 * M_PI * f * n / rate);
        input[n] = Complex(float(x.real()) + noise(random), float(x.imag()) + noise(random));
    }
    return input;
}

long blocksFor(double rate)
{
    return long(kSeconds * rate / kBlock);
}

// Our chain: one ChannelChain per channel, each block copied in (the chain mixes in place).
double runOurs(double rate, const std::vector<Complex>& input, long* outputs, ChannelChain* chains[2])
{
    std::vector<Complex> work(kBlock);
    const long blocks = blocksFor(rate);
    const double start = threadSeconds();
    for (long b = 0; b < blocks; ++b) {
        const Complex* source = input.data() + (b * kBlock) % kPool;
        for (int c = 0; c < 2; ++c) {
            std::memcpy(work.data(), source, kBlock * sizeof(Complex));
            const int n = chains[c]->Process(work.data(), kBlock, nullptr);
            *outputs += std::max(n, 0);
        }
    }
    return threadSeconds() - start;
}

struct LiquidChannel
{
    nco_crcf nco;
    msresamp2_crcf decimator;
    fftfilt_cccf filter;
    resamp_crcf resampler;
    int factor; // 2^stages
    std::vector<Complex> mixed, decimated, filtered, resampled;
    int pending = 0; // decimated samples waiting for a full filter block
};

LiquidChannel makeLiquid(double rate, const ChannelChain& ours, const Mode& mode, float offset)
{
    LiquidChannel q;
    const int stages = int(ours.StagePlan().size());
    q.factor = 1 << stages;
    const double decimatedRate = ours.DecimatedRate();
    const float edge = std::max(std::fabs(mode.low), std::fabs(mode.high));
    const float cutoff = std::min(0.45f, float(edge / decimatedRate));

    q.nco = nco_crcf_create(LIQUID_NCO);
    nco_crcf_set_frequency(q.nco, float(2.0 * M_PI * -offset / rate));
    q.decimator = msresamp2_crcf_create(LIQUID_RESAMP_DECIM, stages, cutoff, 0.0f, 100.0f);
    std::vector<Complex> taps(CFastFIR::kTaps);
    CFastFIR design;
    design.SetBand(mode.low, mode.high, 0, float(decimatedRate));
    std::copy(design.Taps(), design.Taps() + CFastFIR::kTaps, taps.begin());
    q.filter = fftfilt_cccf_create(taps.data(), CFastFIR::kTaps, CFastFIR::kFrame);
    q.resampler = resamp_crcf_create(float(ours.OutputRate() / decimatedRate), 14, 0.45f, 80.0f, 64);
    q.mixed.resize(kBlock);
    q.decimated.resize(kBlock / q.factor + 2 * CFastFIR::kFrame);
    q.filtered.resize(CFastFIR::kFrame);
    q.resampled.resize(size_t(CFastFIR::kFrame * ours.OutputRate() / decimatedRate) + 16);
    return q;
}

void destroyLiquid(LiquidChannel& q)
{
    nco_crcf_destroy(q.nco);
    msresamp2_crcf_destroy(q.decimator);
    fftfilt_cccf_destroy(q.filter);
    resamp_crcf_destroy(q.resampler);
}

long liquidBlock(LiquidChannel& q, const Complex* source)
{
    nco_crcf_mix_block_up(q.nco, const_cast<Complex*>(source), q.mixed.data(), kBlock);
    for (int i = 0; i < kBlock; i += q.factor) {
        if (q.factor == 1)
            q.decimated[q.pending++] = q.mixed[i];
        else
            msresamp2_crcf_execute(q.decimator, q.mixed.data() + i, &q.decimated[q.pending++]);
    }
    long produced = 0;
    int used = 0;
    for (; used + CFastFIR::kFrame <= q.pending; used += CFastFIR::kFrame) {
        fftfilt_cccf_execute(q.filter, q.decimated.data() + used, q.filtered.data());
        unsigned int written = 0;
        resamp_crcf_execute_block(q.resampler, q.filtered.data(), CFastFIR::kFrame, q.resampled.data(),
                                  &written);
        produced += written;
    }
    std::memmove(q.decimated.data(), q.decimated.data() + used, (q.pending - used) * sizeof(Complex));
    q.pending -= used;
    return produced;
}

double runLiquid(double rate, LiquidChannel channels[2], const std::vector<Complex>& input, long* outputs)
{
    const long blocks = blocksFor(rate);
    const double start = threadSeconds();
    for (long b = 0; b < blocks; ++b) {
        const Complex* source = input.data() + (b * kBlock) % kPool;
        for (int c = 0; c < 2; ++c)
            *outputs += liquidBlock(channels[c], source);
    }
    return threadSeconds() - start;
}

} // namespace

int main()
{
    const double rates[] = {2048000.0, 10000000.0};
    const Mode modes[] = {{"USB 10..3600", 10.0f, 3600.0f}, {"NBFM -5500..5500", -5500.0f, 5500.0f}};

    std::printf("Channel chain throughput: %g s of input per case, blocks of %d samples, both channels "
                "(offsets %+g and %+g Hz) on one core\n\n",
                kSeconds, kBlock, kOffsets[0], kOffsets[1]);
    double worstMsps = 1e30, worstRatio = 1e30;
    for (double rate : rates) {
        const auto input = makeInput(rate);
        for (const Mode& mode : modes) {
            ChannelChain a(int(rate), 3300), b(int(rate), 3300);
            ChannelChain* chains[2] = {&a, &b};
            for (int c = 0; c < 2; ++c) {
                chains[c]->SetOffset(-kOffsets[c]);
                chains[c]->SetFilter(mode.low, mode.high);
            }
            LiquidChannel liquid[2] = {makeLiquid(rate, a, mode, kOffsets[0]),
                                       makeLiquid(rate, b, mode, kOffsets[1])};

            long ourOutputs = 0, liquidOutputs = 0;
            const double ourTime = runOurs(rate, input, &ourOutputs, chains);
            const double liquidTime = runLiquid(rate, liquid, input, &liquidOutputs);
            for (LiquidChannel& q : liquid)
                destroyLiquid(q);

            const double samples = double(blocksFor(rate)) * kBlock; // per channel
            const double ourMsps = 2 * samples / ourTime / 1e6;      // per channel: half the time each
            const double liquidMsps = 2 * samples / liquidTime / 1e6;
            const double ratio = ourMsps / liquidMsps;
            worstMsps = std::min(worstMsps, ourMsps);
            worstRatio = std::min(worstRatio, ratio);

            std::printf("%5.3f MS/s  %-17s stages", rate / 1e6, mode.name);
            for (int taps : a.StagePlan())
                std::printf(" %d", taps);
            std::printf(" -> %d Hz, channel %d Hz\n", a.DecimatedRate(), a.OutputRate());
            std::printf(
                "    ours:       %8.1f Msamples/s per channel, real-time factor %6.1f (both channels), "
                "%ld outputs\n",
                ourMsps, samples / rate / ourTime, ourOutputs);
            std::printf(
                "    liquid-dsp: %8.1f Msamples/s per channel, real-time factor %6.1f (both channels), "
                "%ld outputs\n",
                liquidMsps, samples / rate / liquidTime, liquidOutputs);
            std::printf("    ratio ours/liquid: %.2f\n\n", ratio);
        }
    }
    std::printf("Targets: at least %.0f input Msamples/s per channel (lowest: %.1f) %s; ratio ours/liquid at "
                "least %.1f (lowest: %.2f) %s\n",
                kTargetMsps, worstMsps, worstMsps >= kTargetMsps ? "met" : "NOT MET", kTargetRatio,
                worstRatio, worstRatio >= kTargetRatio ? "met" : "NOT MET");
    return 0;
}
