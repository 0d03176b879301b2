#include "engine/record/RfFormat.h"

#include "engine/SampleContext.h"

#include "RawRfHeaderReader.h"

#include <QtEndian>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

// A little-endian integer of the sample pairs and the trailer.
template <typename T> T at(const uint8_t* bytes, int offset)
{
    return qFromLittleEndian<T>(bytes + offset);
}

TEST(RfFormat, HeaderFieldsSitAtTheirOffsetsLittleEndian)
{
    SampleContext c{};
    c.hw_center = 2400000001LL;
    c.rx_offset = -12500.0f;
    c.ddc_outrate = 96000.0f;
    c.rx_samplerate = 2048000.0f;
    c.rx_gain = 33.5f;
    c.longitude = 2.35f;
    c.latitude = 48.85f;
    c.antenna_bearing = 270.0f;
    c.height = 35.0f;
    c.gps_day = 31;
    c.gps_month = 12;
    c.gps_year = 225; // low byte of 2017
    c.gps_hour = 23;
    c.gps_minutes = 59;
    c.gps_seconds = 58;

    uint8_t b[RfFormat::HeaderSize];
    RfFormat::encodeHeader(RfFormat::headerFromContext(c, 8192), b);

    EXPECT_EQ(b[50], 0x00);
    EXPECT_EQ(b[51], 0x20); // 8192 = 0x2000, low byte first
    const RfBlockHeader h = RawRfHeaderReader::read(b);
    EXPECT_EQ(h.block_type, 0);
    EXPECT_EQ(h.hw_center, 2400000001.0);
    EXPECT_EQ(h.rx_offset, -12500.0f);
    EXPECT_EQ(h.ddc_outrate, 96000.0f);
    EXPECT_EQ(h.rx_samplerate, 2048000.0f);
    EXPECT_EQ(h.rx_gain, 33.5f);
    EXPECT_EQ(h.longitude, 2.35f);
    EXPECT_EQ(h.latitude, 48.85f);
    EXPECT_EQ(h.antenna_bearing, 270.0f);
    EXPECT_EQ(h.height, 35.0f);
    EXPECT_EQ(h.gps_day, 31);
    EXPECT_EQ(h.gps_month, 12);
    EXPECT_EQ(h.gps_year, 17); // the year minus 2000
    EXPECT_EQ(h.gps_hour, 23);
    EXPECT_EQ(h.gps_minutes, 59);
    EXPECT_EQ(h.gps_seconds, 58);
    EXPECT_EQ(h.sample_count, 8192);
}

TEST(RfFormat, HeaderReadsBackIntoAPlaybackContext)
{
    RfBlockHeader h;
    h.hw_center = 145500000.9; // a fraction: the whole hertz below
    h.rx_offset = 1000.0f;
    h.rx_samplerate = 48000.0f;
    h.rx_gain = 12.0f;
    h.longitude = -3.5f;
    h.latitude = 40.25f;
    h.antenna_bearing = 90.0f;
    h.height = 650.0f;
    h.gps_year = 17;
    h.gps_seconds = 7;
    h.sample_count = 4;
    uint8_t b[RfFormat::HeaderSize];
    RfFormat::encodeHeader(h, b);
    RfBlockHeader back = RfFormat::decodeHeader(b);

    SampleContext c{};
    c.live = 1;
    RfFormat::contextFromHeader(back, &c);
    EXPECT_EQ(c.hw_center, 145500000);
    EXPECT_EQ(c.rx_offset, 1000.0f);
    EXPECT_EQ(c.rx_samplerate, 48000.0f);
    EXPECT_EQ(c.rx_gain, 12.0f);
    EXPECT_EQ(c.longitude, -3.5f);
    EXPECT_EQ(c.latitude, 40.25f);
    EXPECT_EQ(c.antenna_bearing, 90.0f);
    EXPECT_EQ(c.height, 650.0f);
    EXPECT_EQ(c.gps_year, 17); // stored byte, not converted back
    EXPECT_EQ(c.gps_seconds, 7);
    EXPECT_EQ(c.live, 0);
}

TEST(RfFormat, SamplesAreTruncatedAndSaturatedToSixteenBits)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct
    {
        float in;
        int16_t stored;
    } cases[] = {{1.0f, 32767},   {-1.0f, -32767}, {0.5f, 16383},   {-0.5f, -16383},
                 {0.0f, 0},       {1.5f, 32767},   {-1.5f, -32768}, {1e9f, 32767},
                 {-1e9f, -32768}, {inf, 32767},    {-inf, -32768},  {nan, 0}};
    for (const auto& c : cases) {
        float iq[2] = {c.in, c.in};
        uint8_t pair[4];
        RfFormat::floatToInt16Pair(iq, pair);
        EXPECT_EQ(at<int16_t>(pair, 0), c.stored) << c.in;
        EXPECT_EQ(at<int16_t>(pair, 2), c.stored) << c.in;
    }
}

TEST(RfFormat, StoredPairsReadBackDividedBy32767)
{
    uint8_t pair[4] = {0xff, 0x7f, 0x01, 0x80}; // 32767, -32767
    float iq[2];
    RfFormat::int16PairToFloat(pair, iq);
    EXPECT_EQ(iq[0], 1.0f);
    EXPECT_EQ(iq[1], -1.0f);
    float in[2] = {0.123456f, -0.654321f};
    RfFormat::floatToInt16Pair(in, pair);
    RfFormat::int16PairToFloat(pair, iq);
    EXPECT_NEAR(iq[0], in[0], 1.0 / 32767);
    EXPECT_NEAR(iq[1], in[1], 1.0 / 32767);
}

TEST(RfFormat, TrailerHoldsFiveLittleEndianIntegers)
{
    RfTrailerBlock t;
    t.file_number = 1;
    t.next_file_number = 2;
    t.file_samples = 1536;
    t.total_samples = 1536;
    uint8_t b[RfFormat::TrailerSize];
    RfFormat::encodeTrailer(t, b);
    EXPECT_EQ(at<int32_t>(b, 0), 10);
    EXPECT_EQ(at<int32_t>(b, 4), 1);
    EXPECT_EQ(at<int32_t>(b, 8), 2);
    EXPECT_EQ(at<int32_t>(b, 12), 1536);
    EXPECT_EQ(at<int32_t>(b, 16), 1536);
}

TEST(RfFormat, HeaderCheckRefusesWhatCannotBePlayed)
{
    auto good = [] {
        RfBlockHeader h;
        h.hw_center = 7100000;
        h.rx_samplerate = 48000;
        h.sample_count = 100;
        return h;
    };
    struct Case
    {
        const char* what;
        void (*spoil)(RfBlockHeader&);
        qint64 bytesLeft;
        const char* mentions; // empty: accepted
    } cases[] = {
        {"a good block", [](RfBlockHeader&) {}, 400, ""},
        {"size unknown", [](RfBlockHeader&) {}, -1, ""},
        {"no samples", [](RfBlockHeader& h) { h.sample_count = 0; }, 0, ""},
        {"samples beyond the file", [](RfBlockHeader&) {}, 399, "truncated"},
        {"negative count", [](RfBlockHeader& h) { h.sample_count = -1; }, 400, "sample_count"},
        {"huge count", [](RfBlockHeader& h) { h.sample_count = 1 << 30; }, -1, "sample_count"},
        {"measurement block", [](RfBlockHeader& h) { h.block_type = 2; }, 400, "block_type"},
        {"unknown type", [](RfBlockHeader& h) { h.block_type = 77; }, 400, "block_type"},
        {"rate 0", [](RfBlockHeader& h) { h.rx_samplerate = 0; }, 400, "rx_samplerate"},
        {"negative rate", [](RfBlockHeader& h) { h.rx_samplerate = -48000; }, 400, "rx_samplerate"},
        {"rate NaN", [](RfBlockHeader& h) { h.rx_samplerate = std::nanf(""); }, 400, "rx_samplerate"},
        {"centre NaN", [](RfBlockHeader& h) { h.hw_center = std::nan(""); }, 400, "hw_center"},
        {"centre too far", [](RfBlockHeader& h) { h.hw_center = 1e300; }, 400, "hw_center"},
        // Descriptive fields do not decide: the reader sets them aside (RfBlockReaderTest).
        {"offset NaN", [](RfBlockHeader& h) { h.rx_offset = std::nanf(""); }, 400, ""},
        {"height infinite", [](RfBlockHeader& h) { h.height = HUGE_VALF; }, 400, ""},
        {"rate below 1 kS/s", [](RfBlockHeader& h) { h.rx_samplerate = 1e-4f; }, 400, "rx_samplerate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RfBlockHeader h = good();
        c.spoil(h);
        QString problem = RfFormat::checkHeader(h, c.bytesLeft);
        if (*c.mentions == '\0')
            EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        else
            EXPECT_TRUE(problem.contains(c.mentions)) << problem.toStdString();
    }
}

} // namespace
