#pragma once

#include "engine/dsp/Complex.h"

#include <atomic>
#include <cstdint>

// Turns 16-bit stereo frames (left = I, right = Q, little-endian) into complex
// samples with a gain and phase correction: I = l / 32768 * gainI,
// Q = r / 32768 * gainQ + I * crossTerm. Bytes of a frame cut off at the end of a
// read are kept and completed by the next read, so the stream never loses its frame
// alignment. The factors may be changed from another thread; they take effect with
// the next call.
//
// A DC blocker runs on the corrected samples of each channel, across calls:
// y = 0.996 * y + x - x_previous. Its output replaces the corrected samples
// only while DC blocking is on (off by default).
class IqFrameDecoder
{
public:
    void setFactors(float gainI, float gainQ, float crossTerm);
    void getFactors(float* gainI, float* gainQ, float* crossTerm) const;
    void setDcBlocking(bool on) { dcBlocking = on; }

    // Number of whole frames that size more bytes complete.
    int framesIn(int size) const { return (pendingBytes + size) / 4; }
    // Decodes bytes into out (room for framesIn(size) samples) and returns the
    // number of samples written.
    int decode(const char* bytes, int size, Complex* out);

private:
    std::atomic<float> gainI{1.0f};
    std::atomic<float> gainQ{1.0f};
    std::atomic<float> crossTerm{0.0f};
    std::atomic<bool> dcBlocking{false};
    Complex dcOut{0.0f, 0.0f};
    Complex dcPreviousIn{0.0f, 0.0f};
    unsigned char pending[4] = {};
    int pendingBytes = 0;
};
