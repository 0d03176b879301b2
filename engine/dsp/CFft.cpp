#include "engine/dsp/CFft.h"

#include "engine/dsp/FftwPlanLock.h"

#include <algorithm>
#include <cmath>

CFft::CFft()
{
    SetParameters(2048, false, 0.0f, 1000.0f);
}

CFft::~CFft()
{
    DestroyPlan();
}

void CFft::DestroyPlan()
{
    std::lock_guard<std::mutex> guard(fftwPlannerMutex());
    if (plan)
        fftwf_destroy_plan(plan);
    fftwf_free(work);
    plan = nullptr;
    work = nullptr;
}

void CFft::SetParameters(int newSize, bool newInvert, float newLevelOffsetDb, float newSampleRate)
{
    mapWidth = -1;
    invert = newInvert;
    sampleRate = newSampleRate;
    newSize = std::clamp(newSize, kMinSize, kMaxSize);
    if (work == nullptr || newSize != size || newLevelOffsetDb != levelOffsetDb) {
        size = newSize;
        levelOffsetDb = newLevelOffsetDb;
        Rebuild();
    }
    ResetAverages();
}

void CFft::SetParameters(int newSize, bool newInvert, float newLevelOffsetDb, float newSampleRate, bool apply)
{
    if (apply)
        SetParameters(newSize, newInvert, newLevelOffsetDb, newSampleRate);
}

void CFft::Rebuild()
{
    DestroyPlan();
    work = fftwf_alloc_complex(size);
    {
        std::lock_guard<std::mutex> guard(fftwPlannerMutex());
        plan = fftwf_plan_dft_1d(size, work, work, FFTW_FORWARD, FFTW_ESTIMATE);
    }
    average.assign(size, 0.0f);
    levels.assign(size, 0.0f);
    sums.assign(size, 0.0f);
    // Levels in bels: log10(power + floor) + offset, where the offset scales a full-scale
    // tone and the floor puts silence at -220 dB.
    const float offsetDb = levelOffsetDb - 20.0f * std::log10(size / 2.0f);
    floor = std::pow(10.0f, (-220.0f - offsetDb) / 10.0f);
    offset = offsetDb / 10.0f;
    // Hann window scaled by 2.
    window.resize(size);
    for (int i = 0; i < size; ++i)
        window[i] = float((0.5 - 0.5 * std::cos(2.0 * M_PI * i / (size - 1))) * 2.0);
}

void CFft::SetAverageCount(int n)
{
    if (n == averageCount)
        return;
    averageCount = std::max(n, 1);
    ResetAverages();
}

void CFft::ResetAverages()
{
    std::fill(levels.begin(), levels.end(), 0.0f);
    std::fill(sums.begin(), sums.end(), 0.0f);
    framesAveraged = 0;
    framesTotal = 0;
}

int CFft::PutInput(int count, const Complex* samples)
{
    const int n = std::clamp(count, 0, size);
    overload = false;
    for (int i = 0; i < n; ++i) {
        if (samples[i].real() > 32000.0f)
            overload = true;
        work[i][0] = samples[i].imag() * window[i];
        work[i][1] = samples[i].real() * window[i];
    }
    for (int i = n; i < size; ++i)
        work[i][0] = work[i][1] = 0.0f;
    fftwf_execute(plan);

    ++framesTotal;
    if (framesAveraged < averageCount)
        ++framesAveraged;
    const bool filling = framesTotal <= averageCount;
    const int half = size / 2;
    for (int k = 0; k < size; ++k) {
        const int bin = (k + half) % size; // negative frequencies first
        const float power = work[k][0] * work[k][0] + work[k][1] * work[k][1];
        sums[bin] += filling ? power : power - average[bin];
        average[bin] = sums[bin] / framesAveraged;
        levels[bin] = std::log10(average[bin] + floor) + offset;
    }
    return framesTotal;
}

void CFft::FftForward(Complex* buffer)
{
    if (buffer == nullptr)
        return;
    // The plan is made for the aligned work array; the caller's buffer may not be.
    for (int i = 0; i < size; ++i) {
        work[i][0] = buffer[i].real();
        work[i][1] = buffer[i].imag();
    }
    fftwf_execute(plan);
    for (int i = 0; i < size; ++i)
        buffer[i] = Complex(work[i][0], work[i][1]);
}

void CFft::BuildPixelMap(int plotWidth, int startHz, int stopHz)
{
    mapStartHz = startHz;
    mapStopHz = stopHz;
    mapWidth = plotWidth;
    const auto binOf = [this](int hz) {
        const double bin = size / 2 + std::trunc(double(hz) * size / sampleRate);
        return int(std::clamp(bin, 0.0, double(size - 1)));
    };
    firstBin = binOf(startHz);
    lastBin = std::max(binOf(stopHz), firstBin);
    const int span = lastBin - firstBin;
    if (span > plotWidth) {
        pixelMap.resize(span + 1);
        for (int i = 0; i <= span; ++i)
            pixelMap[i] = std::min(int(int64_t(i) * plotWidth / span), plotWidth - 1);
    } else {
        pixelMap.resize(plotWidth);
        for (int x = 0; x < plotWidth; ++x)
            pixelMap[x] = firstBin + int(int64_t(span) * x / plotWidth);
    }
}

int CFft::LevelBin(int bin) const
{
    return invert ? (size - bin) % size : bin;
}

bool CFft::GetScreenData(int plotHeight, int plotWidth, float maxDb, float minDb, int startHz, int stopHz,
                         int* pixels)
{
    if (plotWidth <= 0 || pixels == nullptr)
        return overload;
    plotHeight = std::max(plotHeight, 0);
    if (plotWidth != mapWidth || startHz != mapStartHz || stopHz != mapStopHz)
        BuildPixelMap(plotWidth, startHz, stopHz);

    const float range = maxDb - minDb;
    const auto rowOf = [&](int bin) {
        const float level = levels[LevelBin(bin)];
        if (range == 0.0f)
            return level >= maxDb / 10 ? 0 : plotHeight;
        const double y = (level - maxDb / 10.0) * (-10.0 / range) * plotHeight;
        if (std::isnan(y))
            return plotHeight;
        return int(std::clamp(y, 0.0, double(plotHeight)));
    };
    const int span = lastBin - firstBin;
    if (span > plotWidth) {
        std::fill(pixels, pixels + plotWidth, plotHeight);
        for (int i = 0; i <= span; ++i) {
            int& pixel = pixels[pixelMap[i]];
            pixel = std::min(pixel, rowOf(firstBin + i)); // the strongest bin wins
        }
    } else {
        for (int x = 0; x < plotWidth; ++x)
            pixels[x] = rowOf(pixelMap[x]);
    }
    return overload;
}
