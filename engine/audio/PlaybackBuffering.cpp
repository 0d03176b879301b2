#include "engine/audio/PlaybackBuffering.h"

PlaybackBuffering::PlaybackBuffering(int blockMs)
    : m_blockMs(qMax(1, blockMs)), m_bufferMs(qBound(1, blockMs, kMaxBufferMs - kMarginMs) + kMarginMs)
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

int PlaybackBuffering::blocksToDrop(int queuedBlocks, qint64 nowMs)
{
    if (m_windowStartMs < 0 || nowMs < m_windowStartMs) {
        m_windowStartMs = nowMs;
        m_fewestQueued = queuedBlocks;
        m_played = 0;
    }
    m_fewestQueued = qMin(m_fewestQueued, queuedBlocks);
    const qint64 elapsed = nowMs - m_windowStartMs;
    if (elapsed < kBacklogWindowMs) {
        ++m_played;
        return 0;
    }
    // Real time within a quarter: the blocks' whole milliseconds undercount a little.
    const bool realTime = qint64(m_played) * m_blockMs * 4 >= elapsed * 3;
    const int standing = m_fewestQueued;
    m_windowStartMs = -1;
    return realTime ? qMax(0, standing - kKeptBlocks) : 0;
}
