#include "engine/audio/IqFrameDecoder.h"

namespace {
constexpr float kScale = 1.0f / 32768.0f;
constexpr float kDcPole = 0.996f;

int16_t sampleAt(const unsigned char* p)
{
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}
} // namespace

void IqFrameDecoder::setFactors(float newGainI, float newGainQ, float newCrossTerm)
{
    gainI = newGainI;
    gainQ = newGainQ;
    crossTerm = newCrossTerm;
}

void IqFrameDecoder::getFactors(float* outGainI, float* outGainQ, float* outCrossTerm) const
{
    if (outGainI)
        *outGainI = gainI;
    if (outGainQ)
        *outGainQ = gainQ;
    if (outCrossTerm)
        *outCrossTerm = crossTerm;
}

int IqFrameDecoder::decode(const char* bytes, int size, Complex* out)
{
    const float gi = gainI;
    const float gq = gainQ;
    const float cross = crossTerm;
    const bool blocked = dcBlocking;
    const auto convert = [&](const unsigned char* frame) {
        const float i = sampleAt(frame) * kScale * gi;
        const float q = sampleAt(frame + 2) * kScale * gq + i * cross;
        const Complex corrected(i, q);
        dcOut = kDcPole * dcOut + corrected - dcPreviousIn;
        dcPreviousIn = corrected;
        return blocked ? dcOut : corrected;
    };

    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    int written = 0;
    int used = 0;
    if (pendingBytes > 0) {
        while (pendingBytes < 4 && used < size)
            pending[pendingBytes++] = in[used++];
        if (pendingBytes < 4)
            return 0;
        out[written++] = convert(pending);
        pendingBytes = 0;
    }
    for (; used + 4 <= size; used += 4)
        out[written++] = convert(in + used);
    while (used < size)
        pending[pendingBytes++] = in[used++];
    return written;
}
