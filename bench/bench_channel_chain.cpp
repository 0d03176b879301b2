// Throughput of the channel chain (mix, decimation plan, channel filter, resampling to
// the channel rate) for two channels on one core, against two references doing the
// same job on the same input:
// - plain: a plain hand-written chain kept in bench/support (PlainChannelChain) with
//   the same plan and taps; its output must equal ours within float rounding;
// - liquid: liquid-dsp used as well as it can be (whole-block calls, the same plan and
//   taps; its own resampling kernel); its output level must equal ours within 0.5 dB.
// Every variant gets each input block copied into a work block of its own (each works
// in place) and is timed by the CPU time of this thread. The variants run interleaved,
// in a rotating order, over several rounds; the figures are medians over the rounds.
//
// Run from a release build: build/release/bench/bench_channel_chain [rounds]

#include "LiquidChannelChain.h"
#include "PlainChannelChain.h"

#include "engine/dsp/CFastFIR.h"
#include "engine/dsp/ChannelChain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kBlock = 16384;             // receiver block
constexpr int kPool = 1 << 20;            // distinct input samples, cycled
constexpr long kRoundSamples = 1L << 25;  // per channel and variant in a round
constexpr double kCheckSeconds = 1.0;     // of input for the output checks
constexpr int kCheckSkip = 2048;          // first channel samples left out of the checks
constexpr double kEqualBelowDb = -40.0;   // ours vs plain: largest difference vs output RMS
constexpr double kLevelToleranceDb = 0.5; // ours vs liquid
constexpr double kTargetMsps = 500.0;     // per channel, 2.048 MS/s USB
constexpr double kTargetRatioToPlain = 1.5;
const double kOffsets[2] = {-150000.0, 230000.0}; // channel offsets from the centre, Hz

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
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Tones in both channels over a little noise, at about a tenth of full scale.
std::vector<Complex> makeInput(double rate)
{
    std::vector<Complex> input(kPool);
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 1e-3f);
    const double tones[] = {kOffsets[0] + 1000.0, kOffsets[0] + 2500.0, kOffsets[1] + 700.0, 12345.0};
    for (int n = 0; n < kPool; ++n) {
        std::complex<double> x = 0.0;
        for (double f : tones)
            x += std::polar(0.03, 2.0 * M_PI * f * n / rate);
        input[n] = Complex(float(x.real()) + noise(random), float(x.imag()) + noise(random));
    }
    return input;
}

// One way of running both channels: takes a work block (its to use) for a channel and
// returns the number of channel samples it produced.
struct Variant
{
    std::string name;
    std::function<int(int channel, Complex* block, int count)> process;
    std::function<const Complex*(int channel)> output;
};

struct Chains
{
    std::unique_ptr<ChannelChain> ours[2];
    std::unique_ptr<PlainChannelChain> plain[2];
    std::unique_ptr<LiquidChannelChain> liquid[2];
};

Chains makeChains(double rate, const Mode& mode)
{
    Chains c;
    for (int ch = 0; ch < 2; ++ch) {
        c.ours[ch] = std::make_unique<ChannelChain>(int(rate), 3300);
        c.ours[ch]->SetOffset(float(-kOffsets[ch]));
        c.ours[ch]->SetFilter(mode.low, mode.high);
        CFastFIR design;
        design.SetBand(mode.low, mode.high, 0, float(c.ours[ch]->DecimatedRate()));
        const std::vector<int> plan = c.ours[ch]->StagePlan();
        c.plain[ch] = std::make_unique<PlainChannelChain>(
            rate, -kOffsets[ch], plan, design.Taps(), c.ours[ch]->DecimatedRate(), c.ours[ch]->OutputRate());
        c.liquid[ch] = std::make_unique<LiquidChannelChain>(
            rate, -kOffsets[ch], plan, design.Taps(), c.ours[ch]->DecimatedRate(), c.ours[ch]->OutputRate());
    }
    return c;
}

std::vector<Variant> variantsOf(Chains& c)
{
    return {
        {"ours", [&c](int ch, Complex* b, int n) { return c.ours[ch]->Process(b, n, nullptr); },
         [&c](int ch) { return c.ours[ch]->Output(); }},
        {"plain", [&c](int ch, Complex* b, int n) { return c.plain[ch]->Process(b, n); },
         [&c](int ch) { return c.plain[ch]->Output(); }},
        {"liquid", [&c](int ch, Complex* b, int n) { return c.liquid[ch]->Process(b, n); },
         [&c](int ch) { return c.liquid[ch]->Output(); }},
    };
}

// Channel 0's output for the first seconds of input.
std::vector<Complex> checkOutput(Variant& v, const std::vector<Complex>& input, double rate)
{
    std::vector<Complex> work(kBlock), out;
    const long blocks = long(kCheckSeconds * rate / kBlock);
    for (long b = 0; b < blocks; ++b) {
        std::memcpy(work.data(), input.data() + (b * kBlock) % kPool, sizeof(Complex) * kBlock);
        const int n = v.process(0, work.data(), kBlock);
        const Complex* produced = v.output(0);
        out.insert(out.end(), produced, produced + std::max(n, 0));
    }
    return out;
}

double rmsOf(const std::vector<Complex>& x, size_t from, size_t to)
{
    double sum = 0;
    for (size_t i = from; i < to; ++i)
        sum += std::norm(x[i]);
    return std::sqrt(sum / double(std::max<size_t>(1, to - from)));
}

// Seconds of thread CPU for kRoundSamples per channel.
double timeRound(Variant& v, const std::vector<Complex>& input, long* outputs)
{
    std::vector<Complex> work(kBlock);
    const long blocks = kRoundSamples / kBlock;
    const double start = threadSeconds();
    for (long b = 0; b < blocks; ++b) {
        const Complex* source = input.data() + (b * kBlock) % kPool;
        for (int ch = 0; ch < 2; ++ch) {
            std::memcpy(work.data(), source, sizeof(Complex) * kBlock);
            *outputs += std::max(v.process(ch, work.data(), kBlock), 0);
        }
    }
    return threadSeconds() - start;
}

double median(std::vector<double> x)
{
    std::sort(x.begin(), x.end());
    const size_t n = x.size();
    return n % 2 ? x[n / 2] : 0.5 * (x[n / 2 - 1] + x[n / 2]);
}

struct CaseResult
{
    bool checksPassed;
    double oursMsps;
    double ratioToPlain;
};

CaseResult runCase(double rate, const Mode& mode, int rounds)
{
    const std::vector<Complex> input = makeInput(rate);

    // Output checks on fresh chains.
    Chains fresh = makeChains(rate, mode);
    std::vector<Variant> checked = variantsOf(fresh);
    const auto ours = checkOutput(checked[0], input, rate);
    const auto plain = checkOutput(checked[1], input, rate);
    const auto liquid = checkOutput(checked[2], input, rate);
    const size_t common = std::min(ours.size(), plain.size());
    double largest = 0;
    for (size_t i = kCheckSkip; i < common; ++i)
        largest = std::max(largest, double(std::abs(ours[i] - plain[i])));
    const double oursRms = rmsOf(ours, kCheckSkip, ours.size());
    const double differenceDb = 20 * std::log10(std::max(largest, 1e-30) / oursRms);
    const double levelDb = 20 * std::log10(rmsOf(liquid, kCheckSkip, liquid.size()) / oursRms);
    const bool equal = ours.size() == plain.size() && differenceDb < kEqualBelowDb;
    const bool sameLevel = std::fabs(levelDb) <= kLevelToleranceDb;

    // Timed rounds, variants interleaved in a rotating order.
    Chains chains = makeChains(rate, mode);
    std::vector<Variant> variants = variantsOf(chains);
    std::vector<std::vector<double>> msps(variants.size());
    std::vector<double> toPlain, toLiquid;
    std::vector<long> outputs(variants.size(), 0);
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> seconds(variants.size());
        for (size_t k = 0; k < variants.size(); ++k) {
            const size_t v = (k + size_t(round)) % variants.size();
            seconds[v] = timeRound(variants[v], input, &outputs[v]);
            msps[v].push_back(2.0 * double(kRoundSamples) / seconds[v] / 1e6);
        }
        toPlain.push_back(seconds[1] / seconds[0]);
        toLiquid.push_back(seconds[2] / seconds[0]);
    }

    std::printf("%6.3f MS/s  %-17s stages", rate / 1e6, mode.name);
    for (int taps : chains.ours[0]->StagePlan())
        std::printf(" %d", taps);
    std::printf(" -> %d Hz, channel %d Hz\n", chains.ours[0]->DecimatedRate(), chains.ours[0]->OutputRate());
    std::printf("    check: ours vs plain: %zu and %zu samples, largest difference %.1f dB of the output RMS "
                "(equal below %.0f dB)  %s\n",
                ours.size(), plain.size(), differenceDb, kEqualBelowDb, equal ? "equal" : "DIFFERENT");
    std::printf(
        "    check: ours vs liquid: %zu and %zu samples, output levels %+.2f dB apart (within %.1f dB)  "
        "%s\n",
        ours.size(), liquid.size(), levelDb, kLevelToleranceDb, sameLevel ? "same" : "DIFFERENT");
    for (size_t v = 0; v < variants.size(); ++v) {
        const auto [low, high] = std::minmax_element(msps[v].begin(), msps[v].end());
        std::printf(
            "    %-7s %8.1f Msamples/s per channel (rounds: %.1f .. %.1f), real-time factor %7.1f for "
            "both channels, %ld outputs\n",
            variants[v].name.c_str(), median(msps[v]), *low, *high, median(msps[v]) * 1e6 / rate / 2,
            outputs[v]);
    }
    const double ratioToPlain = median(toPlain);
    std::printf("    ours / plain %.2f (target %.1f)  %s;  ours / liquid %.2f\n\n", ratioToPlain,
                kTargetRatioToPlain, ratioToPlain >= kTargetRatioToPlain ? "met" : "NOT MET",
                median(toLiquid));
    return {equal && sameLevel, median(msps[0]), ratioToPlain};
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const double rates[] = {2048000.0, 10000000.0};
    const Mode modes[] = {{"USB 10..3600", 10.0f, 3600.0f}, {"NBFM -5500..5500", -5500.0f, 5500.0f}};

    std::printf(
        "Channel chain throughput: blocks of %d samples, both channels (offsets %+g and %+g Hz) on one "
        "core, %ld samples per channel and variant in each of %d rounds\n\n",
        kBlock, kOffsets[0], kOffsets[1], kRoundSamples, rounds);
    bool checks = true;
    double worstRatio = 1e30;
    double usbMsps = 0;
    for (double rate : rates) {
        for (const Mode& mode : modes) {
            const CaseResult r = runCase(rate, mode, rounds);
            checks = checks && r.checksPassed;
            worstRatio = std::min(worstRatio, r.ratioToPlain);
            if (rate == rates[0] && &mode == &modes[0])
                usbMsps = r.oursMsps;
        }
    }
    std::printf("Outputs checked: %s\n", checks ? "all equal" : "SOME DIFFER");
    std::printf(
        "Targets: 2.048 MS/s USB at least %.0f Msamples/s per channel (%.1f) %s; ours / plain at least %.1f "
        "in every case (lowest %.2f) %s\n",
        kTargetMsps, usbMsps, usbMsps >= kTargetMsps ? "met" : "NOT MET", kTargetRatioToPlain, worstRatio,
        worstRatio >= kTargetRatioToPlain ? "met" : "NOT MET");
    return checks ? 0 : 1;
}
