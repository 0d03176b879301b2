#include "decoders/measure/Probe.h"

void Probe::setValues(double first, double second, int fourth)
{
    values[0] = static_cast<float>(first);
    values[1] = static_cast<float>(second);
    values[3] = static_cast<float>(fourth);
}

void Probe::setThird(double value)
{
    values[2] = static_cast<float>(value);
}
