#pragma once

#include "engine/dsp/Complex.h"

#include <fftw3.h>
#include <vector>

// The receiver panels' spectrum transform: N complex samples, weighted by a
// Blackman-Nuttall window, to N levels in dB (20 log10 of the magnitude scaled by
// 2/N) in display order: the first half holds bins N/2 .. N-1 (below the centre),
// the second half bins 0 .. N/2-1. The FFTW plan is made and destroyed under the
// process-wide planner lock, since other threads plan too.
class DisplayFft
{
public:
    // n is an even length of at least 2; anything else becomes 2.
    explicit DisplayFft(int n);
    ~DisplayFft();
    DisplayFft(const DisplayFft&) = delete;
    DisplayFft& operator=(const DisplayFft&) = delete;

    int length() const { return n; }
    // Windows n samples into the transform's input.
    void load(const Complex* samples);
    // Transforms what was loaded; dB receives length() values.
    void transform(double* dB);

    // Fills w with the Blackman-Nuttall window; nothing for a null array or n <= 0.
    static void applyWindow(double* w, int n);

private:
    int n;
    std::vector<double> window;
    fftwf_complex* in = nullptr;
    fftwf_complex* out = nullptr;
    fftwf_plan plan = nullptr;
};
