#include "engine/audio/PlaybackBuffering.h"

PlaybackBuffering::PlaybackBuffering(int blockMs)
    : m_bufferMs(qBound(1, blockMs, kMaxBufferMs - kMarginMs) + kMarginMs)
{
}

bool PlaybackBuffering::underrun(qint64 gapMs)
{
    if (gapMs > kMaxBufferMs)
        return false;
    const int grown = qMin(m_bufferMs + kGrowthMs, kMaxBufferMs);
    const bool grew = grown != m_bufferMs;
    m_bufferMs = grown;
    return grew;
}
