#pragma once

#include "engine/record/StopSignal.h"

#include <QtGlobal>

// The raw-RF player's time: where its clock stands and the pause it asks for
// between blocks, which a stop ends early. The player uses the steady clock;
// tests hand it one that records the pauses.
class PlaybackClock
{
public:
    virtual ~PlaybackClock() = default;
    virtual qint64 nowUs() = 0;
    // Pauses for up to us; true when a stop ended the pause.
    virtual bool pauseUs(qint64 us, StopSignal& stop) = 0;
};

class SteadyPlaybackClock : public PlaybackClock
{
public:
    qint64 nowUs() override;
    bool pauseUs(qint64 us, StopSignal& stop) override { return stop.waitForUs(us); }
};
