#pragma once

#include <algorithm>

// The engine thread's pause after a fetch that brought no samples: a driver that
// answers "nothing yet" at once would otherwise be asked again at once, at the
// thread's high priority, on a whole core. The pause starts short, so that a short
// gap in the samples costs little delay, doubles with each further empty fetch up
// to CapMs, and is short again once samples come.
class FetchBackoff
{
public:
    static constexpr int FirstMs = 1;
    static constexpr int CapMs = 8;

    // The pause after one more empty fetch.
    int nextPauseMs()
    {
        const int pause = m_nextMs;
        m_nextMs = std::min(CapMs, 2 * m_nextMs);
        return pause;
    }
    // Samples came.
    void reset() { m_nextMs = FirstMs; }

private:
    int m_nextMs = FirstMs;
};
