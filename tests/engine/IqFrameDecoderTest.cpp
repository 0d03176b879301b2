#include "engine/audio/IqFrameDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
std::vector<char> frames(const std::vector<int16_t>& interleaved)
{
    std::vector<char> bytes;
    for (int16_t v : interleaved) {
        bytes.push_back(char(v & 0xff));
        bytes.push_back(char((v >> 8) & 0xff));
    }
    return bytes;
}
} // namespace

TEST(IqFrameDecoder, ConvertsFramesWithTheCorrectionFactors)
{
    struct Case
    {
        float gainI, gainQ, cross;
        int16_t left, right;
        float i, q;
    };
    for (const Case c : {Case{1, 1, 0, 16384, -16384, 0.5f, -0.5f}, Case{1, 1, 0.1f, 16384, 0, 0.5f, 0.05f},
                         Case{1, 1, 0, -32768, 32767, -1.0f, 32767 / 32768.0f},
                         Case{2, 0.5f, 0, 8192, 8192, 0.5f, 0.125f}}) {
        IqFrameDecoder decoder;
        decoder.setFactors(c.gainI, c.gainQ, c.cross);
        const auto bytes = frames({c.left, c.right});
        Complex out;
        ASSERT_EQ(decoder.decode(bytes.data(), int(bytes.size()), &out), 1);
        EXPECT_FLOAT_EQ(out.real(), c.i);
        EXPECT_FLOAT_EQ(out.imag(), c.q);
    }
}

TEST(IqFrameDecoder, ACutFrameIsCompletedByTheNextRead)
{
    IqFrameDecoder decoder;
    std::vector<int16_t> values;
    for (int i = 0; i < 2050; ++i)
        values.push_back(int16_t(i % 2 ? -i : i));
    const auto bytes = frames(values); // 1025 frames, 4100 bytes
    std::vector<Complex> out(1025);
    // A read of 4098 bytes gives 1024 frames and keeps the last 2 bytes.
    EXPECT_EQ(decoder.framesIn(4098), 1024);
    ASSERT_EQ(decoder.decode(bytes.data(), 4098, out.data()), 1024);
    EXPECT_EQ(decoder.framesIn(1), 0);
    EXPECT_EQ(decoder.decode(bytes.data() + 4098, 1, out.data() + 1024), 0);
    EXPECT_EQ(decoder.decode(bytes.data() + 4099, 1, out.data() + 1024), 1);
    for (int f = 0; f < 1025; ++f) {
        ASSERT_FLOAT_EQ(out[f].real(), values[2 * f] / 32768.0f) << f;
        ASSERT_FLOAT_EQ(out[f].imag(), values[2 * f + 1] / 32768.0f) << f;
    }
}

TEST(IqFrameDecoder, FactorsReadBack)
{
    IqFrameDecoder decoder;
    float i = 0, q = 0, c = 1;
    decoder.getFactors(&i, &q, &c);
    EXPECT_EQ(i, 1.0f);
    EXPECT_EQ(q, 1.0f);
    EXPECT_EQ(c, 0.0f);
    decoder.setFactors(0.9f, 1.1f, -0.02f);
    decoder.getFactors(&i, &q, &c);
    EXPECT_EQ(c, -0.02f);
}

TEST(IqFrameDecoder, DcBlockingRemovesEachChannelsOffsetAcrossReads)
{
    // A 1 kHz tone at 48 kHz riding on an offset of +0.25 on I and -0.125 on Q.
    std::vector<int16_t> values;
    const int count = 9600;
    for (int n = 0; n < count; ++n) {
        const double tone = 0.25 * std::sin(2 * M_PI * 1000.0 * n / 48000.0);
        values.push_back(int16_t(std::lround((0.25 + tone) * 32768)));
        values.push_back(int16_t(std::lround((-0.125 + tone) * 32768)));
    }
    const auto bytes = frames(values);
    IqFrameDecoder plain;
    IqFrameDecoder blocked;
    blocked.setDcBlocking(true);
    std::vector<Complex> kept(count);
    std::vector<Complex> removed(count);
    ASSERT_EQ(plain.decode(bytes.data(), int(bytes.size()), kept.data()), count);
    // In uneven reads, one of them cutting a frame: the blocker's state carries over.
    int done = 0;
    for (int at = 0, size = 4098; at < int(bytes.size()); at += size)
        done +=
            blocked.decode(bytes.data() + at, std::min(size, int(bytes.size()) - at), removed.data() + done);
    ASSERT_EQ(done, count);

    // The first sample passes as it is (y = x), then the offset decays away.
    EXPECT_FLOAT_EQ(removed[0].real(), kept[0].real());
    Complex keptMean = 0, removedMean = 0;
    for (int n = count / 2; n < count; ++n) { // after the blocker settled (time constant 250 samples)
        keptMean += kept[n];
        removedMean += removed[n];
    }
    keptMean /= float(count / 2);
    removedMean /= float(count / 2);
    EXPECT_NEAR(keptMean.real(), 0.25, 0.01);
    EXPECT_NEAR(keptMean.imag(), -0.125, 0.01);
    EXPECT_NEAR(removedMean.real(), 0.0, 0.01);
    EXPECT_NEAR(removedMean.imag(), 0.0, 0.01);
    // The tone itself goes through (the blocker's corner is about 30 Hz).
    EXPECT_NEAR(removed[count - 1].real() - removedMean.real(), kept[count - 1].real() - keptMean.real(),
                0.02);
}
