#pragma once

#include <QtGlobal>

#include <cstdint>
#include <vector>

class ADSBFramer;

// Hands a receiver's complex float samples (full scale 1.0) to the framer as
// the 8-bit unsigned I/Q it reads: each component x becomes 128 + 128 x,
// rounded and clamped to 0..255. Samples are gathered into chunks so that few
// replies fall across a chunk's end, where the framer loses them.
class ADSBFeeder
{
public:
    static constexpr int ChunkSamples = 1 << 17; // 65.5 ms at 2 MS/s

    explicit ADSBFeeder(ADSBFramer& framer, int chunkSamples = ChunkSamples);

    // count complex samples, I then Q.
    void feed(const float* iq, int count);
    // Hands on a partly filled chunk.
    void flush();
    // Samples handed to the framer so far: the time base of the next chunk,
    // in half-microseconds at 2 MS/s.
    qlonglong samplesFramed() const { return timeBase; }

    static uint8_t toByte(float component);

private:
    ADSBFramer& framer;
    std::vector<uint16_t> chunk; // byte pairs, converted in place by the framer
    int filled = 0;
    qlonglong timeBase = 0;
};
