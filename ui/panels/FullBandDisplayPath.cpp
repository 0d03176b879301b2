#include "ui/panels/FullBandDisplayPath.h"

#include "engine/VisuFifo.h"

#include <QDebug>
#include <algorithm>

namespace {
// The largest power of two not above n (n >= 2).
int powerOfTwoBelow(int n)
{
    int p = 2;
    while (p <= n / 2)
        p *= 2;
    return p;
}
} // namespace

FullBandDisplayPath::FullBandDisplayPath()
{
    rebuild(InitialLength);
}

void FullBandDisplayPath::rebuild(int n)
{
    fft = std::make_unique<DisplayFft>(n);
    samples.resize(size_t(fft->length()));
    raw.assign(size_t(fft->length()), 0.0);
    smoothedDb.assign(raw.size(), 0.0);
    averageDb.assign(raw.size(), 0.0);
    shown.assign(raw.size(), 0.0);
    frameCount = 0;
}

DisplayFrame FullBandDisplayPath::process(VisuFifo& window, int wantedLength)
{
    DisplayFrame frame;
    shownReady = false;
    lastProcessed = false;
    VisuFifoSnapshot snapshot(window, TryLockMs);
    if (!snapshot.locked())
        return frame;

    const int n = length();
    const int blocks = snapshot->blockCount;
    if (blocks == 0 || snapshot->buffer == nullptr || snapshot->capacity < 2)
        return frame;
    if (blocks == lastBlockCount) {
        // No new block: look further into the held samples, or skip the frame.
        const int next = snapshot->readPosition + n / 4;
        if (next + n > snapshot->capacity)
            return frame;
        snapshot->readPosition = next;
    }
    lastBlockCount = blocks;

    // Follow the engine's length, but never beyond what the window holds: a window
    // that stays shorter would otherwise freeze the display and re-plan every frame.
    const int wanted = std::min(std::max(wantedLength, 2), powerOfTwoBelow(snapshot->capacity));
    if (wanted != n) {
        snapshot.release();
        qDebug() << "realloc fftin size is now " << wanted;
        rebuild(wanted);
        return frame;
    }
    if (!snapshot->samplesInOrder(snapshot->readPosition, n, samples.data()))
        return frame;
    frame.rate = snapshot->rate;
    frame.centre = snapshot->centre;
    frame.offset = snapshot->offset;
    snapshot.release();
    fft->load(samples.data());
    fft->transform(raw.data());

    if (++frameCount < integrator) {
        for (int k = 0; k < n; ++k) {
            averageDb[k] += raw[k];
            smoothedDb[k] = (2 * smoothedDb[k] + 8 * raw[k]) / 10;
        }
    } else {
        // The run ends with this frame: sum, divide and clear in the same pass.
        // Divided whenever more than one frame was summed, also after the averaging
        // count was lowered in the middle of a run.
        const double divisor = frameCount > 1 ? frameCount : 1;
        for (int k = 0; k < n; ++k) {
            shown[k] = (averageDb[k] + raw[k]) / divisor;
            averageDb[k] = 0.0;
            smoothedDb[k] = (2 * smoothedDb[k] + 8 * raw[k]) / 10;
        }
        frameCount = 0;
        shownReady = true;
    }
    ++processedFrames;
    lastProcessed = true;
    frame.processed = true;
    return frame;
}
