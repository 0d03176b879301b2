#include "FrequencyError.h"

#include "engine/FrequencyConverter.h"

std::optional<float> frequencyErrorPpm(qint64 realFrequency, int offset, qint64 centre, double currentPpm,
                                       const FrequencyConverter* converter)
{
    qint64 atCentre = realFrequency - offset;
    qint64 reference = centre;
    if (currentPpm != 0.0)
        reference = qint64(double(centre) * (1.0 + currentPpm / 1000000.0));
    if (converter != nullptr) {
        atCentre = converter->toHardwareFreq(atCentre);
        reference = converter->toHardwareFreq(reference);
    }
    if (reference <= 0)
        return std::nullopt;
    return float(double(atCentre - reference) * 1000000.0 / double(reference));
}
