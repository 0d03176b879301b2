#pragma once

#include "ui/panels/DisplayFft.h"
#include "ui/panels/DisplayFrame.h"

#include <vector>

class VisuFifo;

// RX B's small-band display path, one call per 55 ms frame: the newest samples of
// the time-ordered window (the newest block at its end), smoothed (old + 9 new) / 10.
// Without a new block the frame steps back by a sixteenth of the FFT length into
// older samples while they are held, else shows the same samples again. A window
// shorter than the FFT length is skipped; the length itself never changes.
class SmallBandDisplayPath
{
public:
    static constexpr int Length = 8192;
    static constexpr int TryLockMs = 1;

    SmallBandDisplayPath();

    DisplayFrame process(VisuFifo& window);

    int length() const { return fft.length(); }
    const double* smoothed() const { return smoothedDb.data(); }

private:
    DisplayFft fft;
    std::vector<Complex> samples; // the frame's samples, taken under the window's lock
    std::vector<double> raw;
    std::vector<double> smoothedDb;
    int lastBlockCount = 0;
};
