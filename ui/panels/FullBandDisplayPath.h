#pragma once

#include "ui/panels/DisplayFft.h"
#include "ui/panels/DisplayFrame.h"

#include <memory>
#include <vector>

class VisuFifo;

// RX A's full-band display path, one call per 50 ms frame: takes the window's
// samples (try-lock, skipped when the engine holds it), computes the spectrum,
// sums it for the averaged display line and smooths it for the scanner and the
// latest-spectrum store. Without a new block the read position moves on by a
// quarter of the FFT length while the held samples allow.
class FullBandDisplayPath
{
public:
    static constexpr int InitialLength = 32768;
    static constexpr int TryLockMs = 1;

    FullBandDisplayPath();

    // wantedLength: the engine's full-band FFT length.
    DisplayFrame process(VisuFifo& window, int wantedLength);

    int length() const { return fft->length(); }
    void setIntegrator(int frames) { integrator = frames; }
    // The line for the display, when the last frame completed an averaging run.
    bool averageReady() const { return shownReady; }
    const double* average() const { return shown.data(); }
    // (2 old + 8 new) / 10 of every processed frame.
    const double* smoothed() const { return smoothedDb.data(); }
    // Every third processed frame goes to the latest-spectrum store.
    bool storeDue() const { return lastProcessed && processedFrames % 3 == 0; }

private:
    void rebuild(int n);

    std::unique_ptr<DisplayFft> fft;
    std::vector<Complex> samples; // the frame's samples, taken under the window's lock
    std::vector<double> raw;
    std::vector<double> smoothedDb;
    std::vector<double> averageDb;
    std::vector<double> shown;
    bool shownReady = false;
    int frameCount = 0;
    int integrator = 1;
    int lastBlockCount = 0;
    int processedFrames = 0;
    bool lastProcessed = false;
};
