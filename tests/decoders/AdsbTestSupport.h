#pragma once

// Header-only helpers of the ADS-B tests.

#include "decoders/adsb/ModeSDecoder.h"
#include "tests/fixtures/decoder_signals/ModeSFrames.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

// A settable wall clock, in milliseconds, that other threads may read;
// starts at a realistic date.
struct TestClock
{
    std::atomic<qint64> ms{1700000000000};
    MillisecondClock function()
    {
        return [this] { return ms.load(); };
    }
    void advanceSeconds(double s) { ms += qint64(s * 1000.0); }
};

// Hands the decoder a frame the way the framer does: a calloc'd buffer of
// bits + 2 bytes, len = bits + 1.
inline void feedFrame(ModeSDecoder& decoder, const modesfixture::Frame& frame, qlonglong frameTime = 0)
{
    const int bits = int(frame.size()) * 8;
    auto* msg = static_cast<unsigned char*>(std::calloc(size_t(bits + 2), 1));
    std::memcpy(msg, frame.data(), frame.size());
    decoder.SL_newADSBRawMessage(msg, bits + 1, frameTime);
}

inline void feedHex(ModeSDecoder& decoder, const char* hex, qlonglong frameTime = 0)
{
    feedFrame(decoder, modesfixture::fromHex(hex), frameTime);
}
