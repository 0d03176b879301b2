#include "engine/FrequencyConverter.h"

void FrequencyConverter::set(qint64 lo, qint64 inMin, qint64 inMax)
{
    LO = lo;
    In_Min = inMin;
    In_Max = inMax;
}

qint64 FrequencyConverter::toHardwareFreq(qint64 f) const
{
    if (f > In_Max)
        f = In_Max;
    if (f < In_Min)
        f = In_Min;
    // An oscillator below the signal converts down, one above it converts up.
    return LO <= f ? f - LO : f + LO;
}

qint64 FrequencyConverter::fromHardwareFreq(qint64 h) const
{
    return h > LO ? h - LO : h + LO;
}
