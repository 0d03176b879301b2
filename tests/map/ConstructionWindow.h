#pragma once

#include "WaitFor.h"

// Serves events until the 1 ms window in which a new map object defers its
// setters' signals has passed for every object made so far: their timers fall
// due before this one's, however slow the machine is.
inline bool finishConstruction()
{
    return serveEventsPast(2);
}
