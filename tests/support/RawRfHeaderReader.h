#pragma once

// Header-only: the support library links only core, and this is included by
// test programs that link engine.

#include "engine/record/RfFormat.h"

#include <QtEndian>

#include <cstdint>
#include <cstring>

// Reads the 54-byte block header that opens every block of the raw-RF and the
// measurement recordings, field by field at the offsets the format documents,
// little-endian, independently of the program's own decoder: the tests' view
// of what a recording holds.
namespace RawRfHeaderReader {

namespace detail {
template <typename T> T at(const uint8_t* bytes, int offset)
{
    return qFromLittleEndian<T>(bytes + offset);
}
inline double doubleAt(const uint8_t* bytes, int offset)
{
    const quint64 bits = qFromLittleEndian<quint64>(bytes + offset);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
inline float floatAt(const uint8_t* bytes, int offset)
{
    const quint32 bits = qFromLittleEndian<quint32>(bytes + offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
} // namespace detail

inline RfBlockHeader read(const void* header)
{
    const auto* b = static_cast<const uint8_t*>(header);
    RfBlockHeader h;
    h.block_type = detail::at<qint32>(b, 0);
    h.hw_center = detail::doubleAt(b, 4);
    h.rx_offset = detail::floatAt(b, 12);
    h.ddc_outrate = detail::floatAt(b, 16);
    h.rx_samplerate = detail::floatAt(b, 20);
    h.rx_gain = detail::floatAt(b, 24);
    h.longitude = detail::floatAt(b, 28);
    h.latitude = detail::floatAt(b, 32);
    h.antenna_bearing = detail::floatAt(b, 36);
    h.height = detail::floatAt(b, 40);
    h.gps_day = b[44];
    h.gps_month = b[45];
    h.gps_year = b[46];
    h.gps_hour = b[47];
    h.gps_minutes = b[48];
    h.gps_seconds = b[49];
    h.sample_count = detail::at<qint32>(b, 50);
    return h;
}

} // namespace RawRfHeaderReader
