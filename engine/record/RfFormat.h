#pragma once

#include <QString>

#include <cstdint>
#include <vector>

struct SampleContext;

// The raw-RF recording format (".orvex"): no file header, a plain sequence of
// blocks. Every number is little-endian, floats are IEEE 754, nothing is
// padded. A sample block is a 54-byte header followed by sample_count samples;
// a file closed because it reached the size limit ends with a 20-byte trailer.
namespace RfFormat {

constexpr int HeaderSize = 54;
constexpr int TrailerSize = 20;
constexpr int BytesPerSample = 4; // int16 I, int16 Q

enum BlockType : int32_t {
    RawBlock = 0,         // 16-bit samples (the raw-RF recorder)
    MeasurementBlock = 2, // same header, float samples (the measurement recorder)
    TrailerBlock = 10,    // the recording continues in the next numbered file
};

// A file is closed after the block that takes it past this many bytes.
constexpr qint64 DefaultFileSizeLimit = 0x3FFFFFFF;
// The largest block a reader accepts (128 MiB of float samples).
constexpr int MaxBlockSamples = 1 << 24;
// The receiver rates a reader accepts (1 kS/s to 1 GS/s), and its highest centre.
constexpr double MinSampleRate = 1e3;
constexpr double MaxSampleRate = 1e9;
constexpr double MaxCenterHz = 1e12;

} // namespace RfFormat

struct RfBlockHeader
{
    int32_t block_type = RfFormat::RawBlock;
    double hw_center = 0;
    float rx_offset = 0;
    float ddc_outrate = 0;
    float rx_samplerate = 0;
    float rx_gain = 0;
    float longitude = 0;
    float latitude = 0;
    float antenna_bearing = 0;
    float height = 0;
    uint8_t gps_day = 0;
    uint8_t gps_month = 0;
    uint8_t gps_year = 0; // year - 2000 for the years 2000 to 2255
    uint8_t gps_hour = 0;
    uint8_t gps_minutes = 0;
    uint8_t gps_seconds = 0;
    int32_t sample_count = 0;
};

struct RfTrailerBlock
{
    int32_t block_type = RfFormat::TrailerBlock;
    int32_t file_number = 0;      // this file within the recording, the first is 1
    int32_t next_file_number = 0; // file_number + 1
    int32_t file_samples = 0;     // samples written to this file
    int32_t total_samples = 0;    // samples of the whole recording so far (saturated)
};

namespace RfFormat {

// Header fields in file order: the name a reader reports when a field is cut short.
struct HeaderField
{
    const char* name;
    int width;
};
constexpr int HeaderFieldCount = 17;
extern const HeaderField headerFields[HeaderFieldCount];

void encodeHeader(const RfBlockHeader& header, uint8_t out[HeaderSize]);
RfBlockHeader decodeHeader(const uint8_t in[HeaderSize]);
void encodeTrailer(const RfTrailerBlock& trailer, uint8_t out[TrailerSize]);
// Decodes a trailer whose block type was already read: in holds the 16 bytes after it.
RfTrailerBlock decodeTrailerBody(const uint8_t in[TrailerSize - 4]);

// The header of a block of count samples taken with context.
RfBlockHeader headerFromContext(const SampleContext& context, int count);
// Fills the fields a played-back block carries; leaves the others as they are.
void contextFromHeader(const RfBlockHeader& header, SampleContext* context);

// One part of a sample as a 16-bit integer: times 32767, truncated toward
// zero and saturated at the 16-bit limits (NaN gives 0).
int16_t floatToInt16(float x);
// One complex sample to its stored pair, each part as floatToInt16.
void floatToInt16Pair(const float* iq, uint8_t out[BytesPerSample]);
// One stored pair back to a complex sample: each part divided by 32767.
void int16PairToFloat(const uint8_t in[BytesPerSample], float* iq);

// Why a header cannot be played, or an empty text when it can. bytesLeft is
// what the file holds after the header (negative when unknown). Only the
// fields that playback sizes, divides or tunes with are checked here.
QString checkHeader(const RfBlockHeader& header, qint64 bytesLeft);

// A descriptive field (position, bearing, height, date and time, offset,
// output rate, gain) whose stored value is outside its range.
struct OutOfRangeField
{
    const char* name;
    double value;
};
// Sets every descriptive field that is outside its range to 0, "unknown", so
// that nothing downstream takes it for a fact, and names them. Call it on a
// header that checkHeader accepted (the offset is judged against the rate).
std::vector<OutOfRangeField> clearOutOfRangeMetadata(RfBlockHeader* header);

} // namespace RfFormat
