#pragma once

#include <QtGlobal>

// How far behind the receiver the sound plays, decided without a device. The audio
// output asks it how large the sound device's buffer is to be, tells it of underruns, and
// shows it the audio queued before the device.
//
// The buffer holds one audio block and a margin for the output thread's late wake-ups,
// grown by a step after each underrun up to a ceiling: a busy machine earns a longer
// buffer, a quiet one keeps a short one. An underrun after a pause in the audio longer
// than the ceiling is the pause's, not the buffer's.
//
// Audio that stays queued before the device through a whole window in which the device
// played in real time (the fewest blocks seen queued over it) is not a burst on its way
// through but a backlog left by a stall; it would delay the sound for ever, so all of it
// but one block is dropped. A device that plays slower (one that is starting) keeps its
// queue.
class PlaybackBuffering
{
public:
    static constexpr int kMarginMs = 30;
    static constexpr int kGrowthMs = 10;
    static constexpr int kMaxBufferMs = 150;
    static constexpr int kBacklogWindowMs = 500;
    static constexpr int kKeptBlocks = 1;

    explicit PlaybackBuffering(int blockMs);

    int bufferMs() const { return m_bufferMs; }
    // The device ran dry; gapMs after the block before came. True when the buffer grew
    // (the device is to be opened again with bufferMs()).
    bool underrun(qint64 gapMs);
    // A block goes to the device at nowMs (a steady clock) while queuedBlocks wait
    // behind it: the number of the oldest of them to drop now.
    int blocksToDrop(int queuedBlocks, qint64 nowMs);

private:
    const int m_blockMs;
    int m_bufferMs;
    qint64 m_windowStartMs = -1;
    int m_fewestQueued = 0;
    int m_played = 0; // blocks over the window
};
