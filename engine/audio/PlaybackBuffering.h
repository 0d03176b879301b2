#pragma once

#include <QtGlobal>

// How large the sound device's buffer is, decided without a device. The audio output
// asks it how large the buffer is to be and tells it of underruns.
//
// The buffer holds one audio block and a margin for the output thread's late wake-ups,
// grown by a step after each underrun up to a ceiling: a busy machine earns a longer
// buffer, a quiet one keeps a short one. An underrun after a pause in the audio longer
// than the ceiling is the pause's, not the buffer's.
class PlaybackBuffering
{
public:
    static constexpr int kMarginMs = 30;
    static constexpr int kGrowthMs = 10;
    static constexpr int kMaxBufferMs = 150;

    explicit PlaybackBuffering(int blockMs);

    int bufferMs() const { return m_bufferMs; }
    // The device ran dry; gapMs after the block before came. True when the buffer grew
    // (the device is to be opened again with bufferMs()).
    bool underrun(qint64 gapMs);

private:
    int m_bufferMs;
};
