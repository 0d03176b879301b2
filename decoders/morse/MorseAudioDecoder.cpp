#include "decoders/morse/MorseAudioDecoder.h"

#include <algorithm>

void MorseAudioDecoder::feed(const int16_t* block, int count, const Output& out)
{
    const int stride = std::max(step, 1);
    int i = skip;
    for (; i < count; i += stride) {
        if (!toneDetector.addSample(block[i] / 256))
            continue;
        const char c = keyer.stateMachine(toneDetector.tonePresent());
        toneDetector.setWindowBlocks(keyer.unitBlocks());
        if (c && out)
            out(c);
    }
    skip = std::max(i - count, 0);
}
