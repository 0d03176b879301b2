#include "ui/panels/SmallBandDisplayPath.h"

#include "engine/VisuFifo.h"

#include <algorithm>

SmallBandDisplayPath::SmallBandDisplayPath()
    : fft(Length), samples(size_t(Length)), raw(size_t(Length), 0.0), smoothedDb(size_t(Length), 0.0)
{
}

DisplayFrame SmallBandDisplayPath::process(VisuFifo& window)
{
    DisplayFrame frame;
    VisuFifoSnapshot snapshot(window, TryLockMs);
    if (!snapshot.locked())
        return frame;
    const int n = length();
    if (snapshot->buffer == nullptr || snapshot->capacity < n)
        return frame;
    if (snapshot->blockCount == lastBlockCount && snapshot->readPosition + n / 16 + n <= snapshot->capacity)
        snapshot->readPosition += n / 16;
    lastBlockCount = snapshot->blockCount;
    const int start = snapshot->capacity - n - std::max(0, snapshot->readPosition);
    if (!snapshot->samplesInOrder(start, n, samples.data()))
        return frame;
    frame.rate = snapshot->rate;
    frame.centre = snapshot->centre;
    frame.offset = snapshot->offset;
    snapshot.release();
    fft.load(samples.data());
    fft.transform(raw.data());
    for (int k = 0; k < n; ++k)
        smoothedDb[k] = (9 * raw[k] + smoothedDb[k]) / 10;
    frame.processed = true;
    return frame;
}
