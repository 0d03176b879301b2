// Fuzz target of the NMEA parser: any bytes, and every committed value either
// in its range or still its "no value" marker.
#include "map/gps/NmeaParser.h"

#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkCommitted(const NmeaFix& f)
{
    check(f.latitude == NmeaFix::NoAngle || (f.latitude >= -90000000 && f.latitude <= 90000000));
    check(f.longitude == NmeaFix::NoAngle || (f.longitude >= -180000000 && f.longitude <= 180000000));
    check(f.hasPosition() || (f.latitude == NmeaFix::NoAngle && f.longitude == NmeaFix::NoAngle));
    check(!f.hasTime() || f.time < 24000000);
    const quint32 day = f.date / 10000, month = f.date / 100 % 100;
    check(!f.hasDate() || (day >= 1 && day <= 31 && month >= 1 && month <= 12));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NmeaParser parser;
    for (size_t i = 0; i < size; ++i)
        if (parser.feed(char(data[i])))
            checkCommitted(parser.fix());
    return 0;
}
