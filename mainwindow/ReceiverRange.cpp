#include "ReceiverRange.h"

#include "engine/FrequencyConverter.h"
#include "engine/ReceiverHardware.h"

ReceiverRange ReceiverRange::of(ReceiverHardware* hardware)
{
    if (hardware == nullptr)
        return {};
    if (const FrequencyConverter* converter = hardware->frequencyConverter.load())
        return {converter->In_Min, converter->In_Max};
    return {hardware->getMin_HWRx_CenterFreq(), hardware->getMax_HWRx_CenterFreq()};
}
