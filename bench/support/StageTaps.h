#pragma once

#include <vector>

// The whole filter of one decimate-by-2 stage of the engine's plans (length 4 is the
// comb (1 + z^-1)^3 / 8, 11 and 15 to 51 the half-bands), for the reference chains.
std::vector<float> decimatorStageTaps(int length);
