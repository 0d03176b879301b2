#include "decoders/adsb/ADSBFeeder.h"

#include "decoders/adsb/ADSBFramer.h"

#include <algorithm>
#include <cmath>

ADSBFeeder::ADSBFeeder(ADSBFramer& f, int chunkSamples) : framer(f), chunk(size_t(std::max(chunkSamples, 1)))
{
}

uint8_t ADSBFeeder::toByte(float component)
{
    const float scaled = 128.0f + 128.0f * component;
    if (!(scaled > 0.0f)) // also NaN
        return 0;
    return uint8_t(std::min(std::lround(scaled), 255L));
}

void ADSBFeeder::feed(const float* iq, int count)
{
    auto* bytes = reinterpret_cast<uint8_t*>(chunk.data());
    for (int n = 0; n < count; ++n) {
        bytes[2 * filled] = toByte(iq[2 * n]);
        bytes[2 * filled + 1] = toByte(iq[2 * n + 1]);
        if (++filled == int(chunk.size()))
            flush();
    }
}

void ADSBFeeder::flush()
{
    if (filled == 0)
        return;
    framer.processSamples(chunk.data(), 2 * filled, timeBase);
    timeBase += filled;
    filled = 0;
}
