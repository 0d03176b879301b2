#pragma once

#include "decoders/morse/MorseKeying.h"
#include "decoders/morse/MorseToneDetector.h"

#include <cstdint>
#include <functional>

// The Morse decoder's processing, without thread or queue: 16-bit audio
// blocks in, characters out. It takes every step-th value of the stream
// (every second one: one channel of interleaved stereo at 48 kHz), scaled to
// -128..127, and keeps the detector's window at the keying unit's length.
// The stride runs on across blocks, so blocks of any length keep the channel.
class MorseAudioDecoder
{
public:
    using Output = std::function<void(char)>;

    int step = 2;

    // Feeds one block of count values; out receives each decoded character
    // (a space for a word gap).
    void feed(const int16_t* block, int count, const Output& out);

    MorseToneDetector& detector() { return toneDetector; }
    MorseKeying& keying() { return keyer; }

private:
    int skip = 0; // values of the next block before the next one taken
    MorseToneDetector toneDetector;
    MorseKeying keyer;
};
