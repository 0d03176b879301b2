#include "engine/record/PlaybackClock.h"

#include <chrono>

qint64 SteadyPlaybackClock::nowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}
