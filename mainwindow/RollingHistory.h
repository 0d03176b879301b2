#pragma once

#include <algorithm>

// A history of length values, newest last: moves every value but the first one
// place left, so the caller can store the newest last, and widens [low, high]
// to take in the values moved.
inline void rollLeft(double* values, int length, double& low, double& high)
{
    for (int i = 0; i < length - 1; ++i) {
        values[i] = values[i + 1];
        low = std::min(low, values[i]);
        high = std::max(high, values[i]);
    }
}
