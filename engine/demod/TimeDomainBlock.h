#pragma once

#include "engine/dsp/Complex.h"

#include <cstdint>

// Header of a block for the time-domain view.
struct TimeDomainHeader
{
    int32_t sampleCount;
    int32_t sampleRate;
    int32_t byteCount; // 8 * sampleCount
};

// What a demodulator puts into the time-domain queue: all three parts are malloc'd
// and the consumer frees the header, the samples and the record.
struct TimeDomainBlock
{
    TimeDomainHeader* header;
    Complex* samples;
};
