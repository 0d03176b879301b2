#include "engine/record/PlaybackPacer.h"

#include <cmath>

void PlaybackPacer::start(qint64 nowUs)
{
    m_startUs = nowUs;
    m_playedUs = 0;
}

qint64 PlaybackPacer::pauseAfter(int count, double rate, qint64 nowUs)
{
    if (count > 0 && rate > 0 && std::isfinite(rate))
        m_playedUs += double(count) * 1e6 / rate;
    const double dueUs = double(m_startUs) + m_playedUs - double(LeadUs);
    const double pauseUs = dueUs - double(nowUs);
    if (pauseUs < -double(MaxLagUs)) {
        // Too far behind: the next block is due now, and the clock goes on from here.
        m_startUs = nowUs - qint64(m_playedUs) + LeadUs;
        return 0;
    }
    if (!(pauseUs > 0))
        return 0;
    // Clamped in double precision: a rate near 0 must neither overflow nor stall for days.
    return pauseUs < double(MaxPauseUs) ? qint64(std::ceil(pauseUs)) : MaxPauseUs;
}
