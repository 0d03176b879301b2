#include "StageTaps.h"

#include "engine/dsp/DecimateBy2.h"

std::vector<float> decimatorStageTaps(int length)
{
    if (length == 4)
        return {0.125f, 0.375f, 0.375f, 0.125f};
    static const float kEleven[] = {0.0060431030578911304f, -0.04937251657247543f, 0.2933294475078583f};
    const float* even = length == 11 ? kEleven : halfBandEvenTaps(length);
    std::vector<float> taps(length, 0.0f);
    const int centre = (length - 1) / 2;
    for (int i = 0; 2 * i < centre; ++i)
        taps[2 * i] = taps[length - 1 - 2 * i] = even[i];
    taps[centre] = 0.5f;
    return taps;
}
