#pragma once

#include "engine/record/RfFormat.h"

#include <QtGlobal>

// Paces a raw-RF playback on the recording's own sample clock: a block is due
// when the samples before it, at their own rates, have had time to play, less
// a small lead. Being due on that clock rather than a pause per block, late
// wake-ups and the time spent reading do not add up, and short blocks (shorter
// than the lead) still play at their rate. Times are in microseconds on any
// steady clock.
class PlaybackPacer
{
public:
    // Blocks are queued this much ahead of their time, so that the consumer
    // has the next one before it runs dry.
    static constexpr qint64 LeadUs = 10000;
    // A playback this far behind its clock (a machine that slept, a consumer
    // that stalled) resumes at its pace from where it is instead of rushing
    // the missed time through at once.
    static constexpr qint64 MaxLagUs = 1000000;
    // The longest pause: the duration of the largest block at the lowest rate
    // a file may carry.
    static constexpr qint64 MaxPauseUs = qint64(RfFormat::MaxBlockSamples / RfFormat::MinSampleRate * 1e6);

    // The first block is due at nowUs.
    void start(qint64 nowUs);
    // A block of count samples at rate was queued; returns the pause before
    // the next one is due (0 when it is due already, at most MaxPauseUs). A
    // count or rate that is not positive takes no time.
    qint64 pauseAfter(int count, double rate, qint64 nowUs);

private:
    qint64 m_startUs = 0;
    double m_playedUs = 0; // recording time queued since start
};
