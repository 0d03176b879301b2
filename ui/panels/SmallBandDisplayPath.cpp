#include "ui/panels/SmallBandDisplayPath.h"

#include "engine/VisuFifo.h"

#include <QMutex>
#include <algorithm>

SmallBandDisplayPath::SmallBandDisplayPath()
    : fft(Length), raw(size_t(Length), 0.0), smoothedDb(size_t(Length), 0.0)
{
}

DisplayFrame SmallBandDisplayPath::process(VisuFifo& window)
{
    DisplayFrame frame;
    if (!window.mutex->tryLock(TryLockMs))
        return frame;
    const int n = length();
    if (window.buffer == nullptr || window.capacity < n) {
        window.mutex->unlock();
        return frame;
    }
    if (window.blockCount == lastBlockCount && window.readPosition + n / 16 + n <= window.capacity)
        window.readPosition += n / 16;
    lastBlockCount = window.blockCount;
    const int start = window.capacity - n - std::max(0, window.readPosition);
    if (start < 0) {
        window.mutex->unlock();
        return frame;
    }

    frame.rate = window.rate;
    frame.centre = window.centre;
    frame.offset = window.offset;
    fft.load(window.buffer + start);
    window.mutex->unlock();
    fft.transform(raw.data());
    for (int k = 0; k < n; ++k)
        smoothedDb[k] = (9 * raw[k] + smoothedDb[k]) / 10;
    frame.processed = true;
    return frame;
}
