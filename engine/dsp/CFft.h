#pragma once

#include "engine/dsp/Complex.h"

#include <fftw3.h>

#include <vector>

// Averaged, windowed power spectrum of blocks of complex samples in log10 units (bels),
// mapped onto the pixel columns and rows of a spectrum plot. The bins are stored with
// the negative frequencies first (bin size / 2 is zero frequency).
//
// The input's real and imaginary parts are exchanged before the transform, so a tone
// at +f lands at -f; a plot that must show it at +f sets invert.
class CFft
{
public:
    static constexpr int kMinSize = 512;
    static constexpr int kMaxSize = 65536;

    CFft();
    virtual ~CFft();
    CFft(const CFft&) = delete;
    CFft& operator=(const CFft&) = delete;

    // size is limited to 512 .. 65536. Clears the averages; rebuilds the arrays when
    // the size or the level offset changes.
    void SetParameters(int size, bool invert, float levelOffsetDb, float sampleRate);
    // The same, only when apply is set; otherwise nothing changes.
    void SetParameters(int size, bool invert, float levelOffsetDb, float sampleRate, bool apply);
    // A count of 0 or less means 1. A count other than the one in force (as asked,
    // before that rule) clears the averages.
    void SetAverageCount(int n);
    void ResetAverages();
    // Transforms one frame (the first `size` samples; a shorter block is padded with
    // zeros) and adds it to the average. Returns the number of frames since the reset.
    int PutInput(int count, const Complex* samples);
    // One value per pixel column (0 = top of the plot, plotHeight = bottom) for the band
    // startHz .. stopHz around the centre. Returns whether the last frame overloaded
    // (a real part above 32000).
    bool GetScreenData(int plotHeight, int plotWidth, float maxDb, float minDb, int startHz, int stopHz,
                       int* pixels);
    // Unnormalised forward transform of Size() samples of the caller's buffer, in
    // place, in natural bin order (bin 0 is zero frequency); no window, no average.
    void FftForward(Complex* buffer);

    int Size() const { return size; }
    // Level of each bin in bels, negative frequencies first.
    const std::vector<float>& Levels() const { return levels; }

private:
    void Rebuild();
    void DestroyPlan();
    void BuildPixelMap(int plotWidth, int startHz, int stopHz);
    int LevelBin(int bin) const;

    bool overload = false;
    bool invert = false;
    int framesAveraged = 0;
    int framesTotal = 0;
    int size = 1024;
    int averageCount = 1;
    // Bin-to-pixel map of the last GetScreenData, kept while its arguments do not change.
    int mapStartHz = 0;
    int mapStopHz = 0;
    int mapWidth = -1;
    int firstBin = 0;
    int lastBin = 0;
    float floor = 0.0f;
    float offset = 0.0f;
    float levelOffsetDb = 0.0f;
    float sampleRate = 1000.0f;
    std::vector<float> window;
    std::vector<float> average;
    std::vector<float> levels;
    std::vector<float> sums;
    // Either the pixel of each bin first .. last (more bins than pixels) or the bin of
    // each pixel.
    std::vector<int> pixelMap;
    fftwf_complex* work = nullptr;
    fftwf_plan plan = nullptr;
};
