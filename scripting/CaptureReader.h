#pragma once

#include "engine/dsp/Complex.h"

#include <vector>

class SampleFifo;

// Hands a script the samples of its captures in order, across calls: what one
// call does not take of a block is kept for the next call. Used on the script's
// thread only; the queue has its own lock.
class CaptureReader
{
public:
    // 2 x count numbers, I and Q interleaved: first what the last call left,
    // then the queue's blocks, taken without waiting; entries beyond the samples
    // available are 0.
    std::vector<double> take(SampleFifo& queue, int count);

private:
    std::vector<Complex> rest;
};
