// Fuzz target of the accessory message parser: any bytes, and every message
// it hands out with a number within its cap.
#include "hardware/accessory/AccessoryParser.h"

#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using Kind = AccessoryMessage::Kind;
    constexpr qint64 MaxNumber = 999999999;
    AccessoryParser parser;
    for (size_t i = 0; i < size; ++i) {
        const AccessoryMessage m = parser.feed(char(data[i]));
        switch (m.kind) {
        case Kind::Rotor:
        case Kind::Indicator:
            check(m.value >= 0 && m.value <= MaxNumber && m.code >= 0 && m.code <= MaxNumber);
            break;
        case Kind::Step:
            check(m.value >= -MaxNumber && m.value <= MaxNumber);
            break;
        case Kind::Frequency:
            check(m.value >= 0 && m.value <= 999999999999999999);
            break;
        case Kind::None:
        case Kind::Dropped:
            check(m.value == 0 && m.code == 0);
            break;
        }
    }
    return 0;
}
