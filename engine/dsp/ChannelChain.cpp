#include "engine/dsp/ChannelChain.h"

#include <QDebug>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// The power level never falls below 10 log10(sqrt(1e-20)) = -100, so silence cannot
// leave it at minus infinity.
constexpr double kPowerFloor = 1e-20;
constexpr float kMaxWidth = 1e9f; // Hz: far above any receiver rate, well inside an int
} // namespace

ChannelChain::ChannelChain(int inputRate, int outputRate) : inputRate(inputRate), outputRate(outputRate)
{
    // The constructor's output rate only serves as the first planning bandwidth; the
    // first SetFilter replaces it.
    decimatedRate = downConverter.PlanDecimation(inputRate, outputRate);
    filter.SetBand(lowCut, highCut, 0, decimatedRate);
}

void ChannelChain::SetOffset(float ncoHz)
{
    std::lock_guard<std::mutex> guard(tuneLock);
    ncoFrequency = ncoHz;
    RestartPassThroughLocked();
    downConverter.SetNcoFrequency(ncoHz);
}

void ChannelChain::RestartPassThroughLocked()
{
    passThroughOscillator.SetFrequency(ncoFrequency, inputRate);
    passThroughOscillator.Reset();
}

bool ChannelChain::SetFilter(float low, float high)
{
    const float fullWidth = 2.0f * std::max(std::fabs(low), std::fabs(high));
    if (!(fullWidth >= 1.0f && fullWidth <= kMaxWidth)) { // also refuses NaN edges
        qDebug() << "Channelizer::setFilter refused: the band" << low << high << "has no usable width";
        return false;
    }
    const int width = int(fullWidth);
    outputRate = width;
    lowCut = low;
    highCut = high;
    if (inputRate / width > 30)
        decimatedRate = downConverter.PlanDecimation(inputRate, width);
    else
        decimatedRate = int(downConverter.PlanHalfBandDecimation(inputRate, width));
    filter.SetBand(low, high, 0, decimatedRate);
    std::lock_guard<std::mutex> guard(tuneLock);
    RestartPassThroughLocked();
    return true;
}

bool ChannelChain::SetInputRate(int rate)
{
    if (rate <= 0) {
        qDebug() << "Channelizer::setInputRate refused:" << rate;
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(tuneLock);
        inputRate = rate;
        RestartPassThroughLocked();
    }
    // The down-converter takes the rate with its new plan, together with its offset.
    SetFilter(lowCut, highCut);
    return true;
}

void ChannelChain::SetStageCallback(int stage, ChannelStageCallback callback)
{
    if (stage >= 1 && stage <= 3)
        callbacks[stage - 1] = callback;
}

void ChannelChain::MixPassThrough(const Complex* block, Complex* out, int count)
{
    if (ncoFrequency != 0.0f)
        passThroughOscillator.Mix(block, out, count);
    else if (out != block)
        std::memcpy(static_cast<void*>(out), block, size_t(count) * sizeof(Complex));
}

int ChannelChain::CicDecimate(const Complex* in, int count, Complex* out, int factor)
{
    constexpr int kRun = 1024; // samples mixed at a time
    Complex mixed[kRun];
    int produced = 0;
    for (int pos = 0; pos < count; pos += kRun) {
        const int n = std::min(kRun, count - pos);
        MixPassThrough(in + pos, mixed, n);
        const int decimated = cic.Decimate(mixed, n, out + produced, factor);
        if (decimated < 0)
            return 0; // a factor the decimator cannot take
        produced += decimated;
    }
    return produced;
}

void ChannelChain::EnsureCapacity(int count, float ratio)
{
    // The down-converter writes at most a block (no stages planned); the filter adds at
    // most 2047 samples of an earlier call to a block; the resampler writes at most its
    // input / ratio + 1 samples.
    if (decimated.size() < size_t(count))
        decimated.resize(std::max(size_t(count), 2 * decimated.size()));
    const size_t filterMax = size_t(count) + CFastFIR::kFrame;
    const size_t resampleMax = size_t(std::ceil(filterMax / double(ratio))) + 2;
    if (filtered.size() < filterMax) {
        filtered.resize(std::max(filterMax, 2 * filtered.size()));
        // A new size clears the resampler's history: grow rarely.
        resampler.SetMaxInputSize(int(filtered.size()));
    }
    if (resampled.size() < resampleMax)
        resampled.resize(std::max(resampleMax, 2 * resampled.size()));
}

int ChannelChain::Process(const Complex* block, int count, SampleContext* ctx)
{
    if (count <= 0)
        return 0;
    const float inRate = float(inputRate);
    const float midRate = float(decimatedRate.load());
    const float ratio = midRate / float(outputRate.load());
    if (callbacks[0] && callbacks[0](block, count, inRate, 1, ctx) == 0)
        return 0;
    EnsureCapacity(count, ratio);

    int n = downConverter.Process(count, block, decimated.data());
    if (n <= 0)
        return n;
    if (callbacks[1] && callbacks[1](decimated.data(), n, midRate, 2, ctx) == 0)
        return 0;
    n = filter.Filter(n, decimated.data(), filtered.data());
    if (n == 0)
        return 0;
    if (callbacks[2] && callbacks[2](filtered.data(), n, midRate, 3, ctx) == 0)
        return 0;
    const int m = resampler.Resample(n, ratio, filtered.data(), resampled.data());
    if (m > 0)
        UpdatePowerLevel(m);
    return m;
}

void ChannelChain::UpdatePowerLevel(int count)
{
    double sum = 0.0;
    const float* x = reinterpret_cast<const float*>(resampled.data());
    for (int i = 0; i < 2 * count; ++i)
        sum += double(x[i]) * x[i];
    const double mean = sum / count;
    if (!std::isfinite(mean))
        return; // a block of garbage must not poison the level for ever
    const double level = 10.0 * std::log10(std::sqrt(std::max(mean, kPowerFloor)));
    powerLevel = float(0.6 * powerLevel.load() + 0.4 * level);
}
