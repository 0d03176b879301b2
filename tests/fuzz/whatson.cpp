// Fuzz target of the schedule service's answer: any bytes give either no
// entries or stations with a frequency and finite coordinates.
#include "decoders/whatson/ScheduleReply.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ScheduleReply reply(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    if (!reply.isArray() && !reply.entries().isEmpty())
        std::abort();
    for (const RFStation& s : reply.stations()) {
        if (s.frequency == 0 || !std::isfinite(s.latitude) || !std::isfinite(s.longitude))
            std::abort();
        (void)s.isListedAt(QTime(12, 0));
    }
    return 0;
}
