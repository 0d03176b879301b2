#include "engine/record/RfFormat.h"

#include "engine/SampleContext.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace RfFormat {

const HeaderField headerFields[HeaderFieldCount] = {
    {"block_type", 4},  {"hw_center", 8},    {"rx_offset", 4}, {"ddc_outrate", 4},     {"rx_samplerate", 4},
    {"rx_gain", 4},     {"longitude", 4},    {"latitude", 4},  {"antenna_bearing", 4}, {"height", 4},
    {"gps_day", 1},     {"gps_month", 1},    {"gps_year", 1},  {"gps_hour", 1},        {"gps_minutes", 1},
    {"gps_seconds", 1}, {"sample_count", 4},
};

namespace {

// Little-endian writer and reader over a byte array, independent of the host's order.
class Put
{
public:
    explicit Put(uint8_t* out) : m_out(out) {}
    void u8(uint8_t v) { *m_out++ = v; }
    void u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            *m_out++ = uint8_t(v >> (8 * i));
    }
    void u64(uint64_t v)
    {
        for (int i = 0; i < 8; ++i)
            *m_out++ = uint8_t(v >> (8 * i));
    }
    void i32(int32_t v) { u32(uint32_t(v)); }
    void f32(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(bits);
    }
    void f64(double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        u64(bits);
    }

private:
    uint8_t* m_out;
};

class Get
{
public:
    explicit Get(const uint8_t* in) : m_in(in) {}
    uint8_t u8() { return *m_in++; }
    uint32_t u32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= uint32_t(*m_in++) << (8 * i);
        return v;
    }
    uint64_t u64()
    {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v |= uint64_t(*m_in++) << (8 * i);
        return v;
    }
    int32_t i32() { return int32_t(u32()); }
    float f32()
    {
        uint32_t bits = u32();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    double f64()
    {
        uint64_t bits = u64();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }

private:
    const uint8_t* m_in;
};

} // namespace

int16_t floatToInt16(float x)
{
    float scaled = x * 32767.0f;
    if (!(scaled == scaled))
        return 0;
    if (scaled >= 32767.0f)
        return 32767;
    if (scaled <= -32768.0f)
        return -32768;
    return int16_t(scaled); // truncation toward zero
}

void encodeHeader(const RfBlockHeader& h, uint8_t out[HeaderSize])
{
    Put put(out);
    put.i32(h.block_type);
    put.f64(h.hw_center);
    put.f32(h.rx_offset);
    put.f32(h.ddc_outrate);
    put.f32(h.rx_samplerate);
    put.f32(h.rx_gain);
    put.f32(h.longitude);
    put.f32(h.latitude);
    put.f32(h.antenna_bearing);
    put.f32(h.height);
    put.u8(h.gps_day);
    put.u8(h.gps_month);
    put.u8(h.gps_year);
    put.u8(h.gps_hour);
    put.u8(h.gps_minutes);
    put.u8(h.gps_seconds);
    put.i32(h.sample_count);
}

RfBlockHeader decodeHeader(const uint8_t in[HeaderSize])
{
    Get get(in);
    RfBlockHeader h;
    h.block_type = get.i32();
    h.hw_center = get.f64();
    h.rx_offset = get.f32();
    h.ddc_outrate = get.f32();
    h.rx_samplerate = get.f32();
    h.rx_gain = get.f32();
    h.longitude = get.f32();
    h.latitude = get.f32();
    h.antenna_bearing = get.f32();
    h.height = get.f32();
    h.gps_day = get.u8();
    h.gps_month = get.u8();
    h.gps_year = get.u8();
    h.gps_hour = get.u8();
    h.gps_minutes = get.u8();
    h.gps_seconds = get.u8();
    h.sample_count = get.i32();
    return h;
}

void encodeTrailer(const RfTrailerBlock& t, uint8_t out[TrailerSize])
{
    Put put(out);
    put.i32(t.block_type);
    put.i32(t.file_number);
    put.i32(t.next_file_number);
    put.i32(t.file_samples);
    put.i32(t.total_samples);
}

RfTrailerBlock decodeTrailerBody(const uint8_t in[TrailerSize - 4])
{
    Get get(in);
    RfTrailerBlock t;
    t.file_number = get.i32();
    t.next_file_number = get.i32();
    t.file_samples = get.i32();
    t.total_samples = get.i32();
    return t;
}

RfBlockHeader headerFromContext(const SampleContext& c, int count)
{
    RfBlockHeader h;
    h.block_type = RawBlock;
    h.hw_center = double(c.hw_center);
    h.rx_offset = c.rx_offset;
    h.ddc_outrate = c.ddc_outrate;
    h.rx_samplerate = c.rx_samplerate;
    h.rx_gain = c.rx_gain;
    h.longitude = c.longitude;
    h.latitude = c.latitude;
    h.antenna_bearing = c.antenna_bearing;
    h.height = c.height;
    h.gps_day = c.gps_day;
    h.gps_month = c.gps_month;
    // The context holds the low 8 bits of the full year; + 48 makes 2000 -> 0.
    h.gps_year = uint8_t(c.gps_year + 48);
    h.gps_hour = c.gps_hour;
    h.gps_minutes = c.gps_minutes;
    h.gps_seconds = c.gps_seconds;
    h.sample_count = count;
    return h;
}

void contextFromHeader(const RfBlockHeader& h, SampleContext* c)
{
    c->hw_center = int64_t(h.hw_center); // checked finite and in range by checkHeader
    c->rx_offset = h.rx_offset;
    c->rx_samplerate = h.rx_samplerate;
    c->rx_gain = h.rx_gain;
    c->longitude = h.longitude;
    c->latitude = h.latitude;
    c->height = h.height;
    c->antenna_bearing = h.antenna_bearing;
    c->gps_day = h.gps_day;
    c->gps_month = h.gps_month;
    c->gps_year = h.gps_year;
    c->gps_hour = h.gps_hour;
    c->gps_minutes = h.gps_minutes;
    c->gps_seconds = h.gps_seconds;
    c->live = 0;
}

void floatToInt16Pair(const float* iq, uint8_t out[BytesPerSample])
{
    for (int part = 0; part < 2; ++part) {
        uint16_t v = uint16_t(floatToInt16(iq[part]));
        out[2 * part] = uint8_t(v);
        out[2 * part + 1] = uint8_t(v >> 8);
    }
}

void int16PairToFloat(const uint8_t in[BytesPerSample], float* iq)
{
    for (int part = 0; part < 2; ++part) {
        int16_t v = int16_t(uint16_t(in[2 * part] | (in[2 * part + 1] << 8)));
        iq[part] = float(double(v) / 32767.0);
    }
}

QString checkHeader(const RfBlockHeader& h, qint64 bytesLeft)
{
    if (h.block_type == MeasurementBlock)
        return QStringLiteral("block_type 2: a measurement block, not a raw-RF block");
    if (h.block_type != RawBlock)
        return QStringLiteral("block_type %1 is unknown").arg(h.block_type);
    if (h.sample_count < 0 || h.sample_count > MaxBlockSamples)
        return QStringLiteral("sample_count %1 is outside 0 to %2").arg(h.sample_count).arg(MaxBlockSamples);
    if (bytesLeft >= 0 && qint64(h.sample_count) * BytesPerSample > bytesLeft)
        return QStringLiteral("sample_count %1 needs %2 bytes, the file holds %3 more: truncated")
            .arg(h.sample_count)
            .arg(qint64(h.sample_count) * BytesPerSample)
            .arg(bytesLeft);
    if (!(h.rx_samplerate >= MinSampleRate && h.rx_samplerate <= MaxSampleRate))
        return QStringLiteral("rx_samplerate %1 S/s is outside %2 to %3 S/s")
            .arg(double(h.rx_samplerate))
            .arg(MinSampleRate, 0, 'f', 0)
            .arg(MaxSampleRate, 0, 'f', 0);
    if (!std::isfinite(h.hw_center) || h.hw_center < 0 || h.hw_center > MaxCenterHz)
        return QStringLiteral("hw_center %1 is not a frequency").arg(h.hw_center);
    return {};
}

namespace {

// Keeps a float field when it lies in [low, high] (NaN never does), else sets it to 0.
void keepFloatWithin(float& field, double low, double high, const char* name, std::vector<OutOfRangeField>& out)
{
    if (field >= low && field <= high)
        return;
    out.push_back({name, double(field)});
    field = 0;
}

void keepByteAtMost(uint8_t& field, int high, const char* name, std::vector<OutOfRangeField>& out)
{
    if (field <= high)
        return;
    out.push_back({name, double(field)});
    field = 0;
}

} // namespace

std::vector<OutOfRangeField> clearOutOfRangeMetadata(RfBlockHeader* h)
{
    std::vector<OutOfRangeField> out;
    const double halfRate = double(h->rx_samplerate) / 2;
    const double anyFinite = std::numeric_limits<float>::max();
    keepFloatWithin(h->rx_offset, -halfRate, halfRate, "rx_offset", out);
    keepFloatWithin(h->ddc_outrate, 0, MaxSampleRate, "ddc_outrate", out);
    keepFloatWithin(h->rx_gain, -anyFinite, anyFinite, "rx_gain", out);
    keepFloatWithin(h->longitude, -180, 180, "longitude", out);
    keepFloatWithin(h->latitude, -90, 90, "latitude", out);
    keepFloatWithin(h->antenna_bearing, -360, 360, "antenna_bearing", out);
    keepFloatWithin(h->height, -1000, 100000, "height", out);
    // 0 stands for "no date" in the day and month.
    keepByteAtMost(h->gps_day, 31, "gps_day", out);
    keepByteAtMost(h->gps_month, 12, "gps_month", out);
    keepByteAtMost(h->gps_hour, 23, "gps_hour", out);
    keepByteAtMost(h->gps_minutes, 59, "gps_minutes", out);
    keepByteAtMost(h->gps_seconds, 60, "gps_seconds", out); // 60: a leap second
    return out;
}

} // namespace RfFormat
