#include "engine/record/RfBlockReader.h"

#include "RawRfTestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct ReadOutcome
{
    std::vector<int> blockCounts; // sample counts of the blocks read
    RfBlockReader::Status end;
    QString message;
};

ReadOutcome readAll(QByteArray bytes)
{
    ReadOutcome outcome;
    FILE* file = fmemopen(bytes.data(), size_t(bytes.size()), "rb");
    if (bytes.isEmpty())
        file = std::tmpfile(); // fmemopen refuses a size of 0
    RfBlockReader reader(file);
    for (;;) {
        RfBlockHeader h;
        float* samples = nullptr;
        RfBlockReader::Status status = reader.next(&h, &samples);
        if (status != RfBlockReader::Block) {
            EXPECT_EQ(samples, nullptr);
            outcome.end = status;
            outcome.message = reader.message();
            break;
        }
        outcome.blockCounts.push_back(h.sample_count);
        std::free(samples);
    }
    std::fclose(file);
    return outcome;
}

TEST(RfBlockReader, ReadsBlocksWithTheirSamples)
{
    RfBlockHeader h = rawHeader(5);
    QByteArray bytes = rampBlock(h);
    FILE* file = fmemopen(bytes.data(), size_t(bytes.size()), "rb");
    RfBlockReader reader(file);
    RfBlockHeader back;
    float* samples = nullptr;
    ASSERT_EQ(reader.next(&back, &samples), RfBlockReader::Block);
    EXPECT_EQ(back.hw_center, h.hw_center);
    EXPECT_EQ(back.rx_offset, h.rx_offset);
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(samples[2 * i], i / 32767.0, 1e-7);
        EXPECT_NEAR(samples[2 * i + 1], -i / 32767.0, 1e-7);
    }
    std::free(samples);
    EXPECT_EQ(reader.next(&back, &samples), RfBlockReader::EndOfFile);
    std::fclose(file);
}

// Every kind of damaged or unusual file ends the reading at the last whole
// block, with a status saying how it ended.
TEST(RfBlockReader, DamagedFilesEndAtTheLastWholeBlock)
{
    const QByteArray one = rampBlock(rawHeader(10));
    auto spoilt = [](void (*spoil)(RfBlockHeader&)) {
        RfBlockHeader h = rawHeader(10);
        spoil(h);
        return headerBytes(h) + QByteArray(40, '\0');
    };
    const struct
    {
        const char* what;
        QByteArray bytes;
        int blocks;
        RfBlockReader::Status end;
        const char* mentions;
    } cases[] = {
        {"empty file", QByteArray(), 0, RfBlockReader::EndOfFile, "end of file"},
        {"two whole blocks", one + one, 2, RfBlockReader::EndOfFile, "end of file"},
        {"block type cut", one + one.left(2), 1, RfBlockReader::Error, "block_type"},
        {"header cut in the position", one + one.left(30), 1, RfBlockReader::Error, "longitude"},
        {"header cut in the count", one + one.left(52), 1, RfBlockReader::Error, "sample_count"},
        {"samples cut", one + one.left(one.size() - 1), 1, RfBlockReader::Error, "truncated"},
        {"trailer", one + trailerBytes(1, 10, 10), 1, RfBlockReader::EndOfPart, "part 2"},
        {"trailer cut", one + trailerBytes(1, 10, 10).left(12), 1, RfBlockReader::Error, "trailer"},
        {"no samples", one + headerBytes(rawHeader(0)) + one, 1, RfBlockReader::EmptyBlock,
         "without samples"},
        {"count beyond the file", one + headerBytes(rawHeader(1 << 20)), 1, RfBlockReader::Error,
         "truncated"},
        {"negative count", spoilt([](RfBlockHeader& h) { h.sample_count = -5; }), 0, RfBlockReader::Error,
         "sample_count"},
        {"measurement block", spoilt([](RfBlockHeader& h) { h.block_type = 2; }), 0, RfBlockReader::Error,
         "block_type"},
        {"rate 0", spoilt([](RfBlockHeader& h) { h.rx_samplerate = 0; }), 0, RfBlockReader::Error,
         "rx_samplerate"},
        {"centre NaN", spoilt([](RfBlockHeader& h) { h.hw_center = std::nan(""); }), 0, RfBlockReader::Error,
         "hw_center"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ReadOutcome outcome = readAll(c.bytes);
        EXPECT_EQ(int(outcome.blockCounts.size()), c.blocks);
        EXPECT_EQ(outcome.end, c.end);
        EXPECT_TRUE(outcome.message.contains(c.mentions)) << outcome.message.toStdString();
    }
}

TEST(RfBlockReader, HeaderIsReadFieldByFieldNamingTheOneCutShort)
{
    QByteArray bytes = headerBytes(rawHeader(3)).left(21); // into rx_samplerate
    FILE* file = fmemopen(bytes.data(), size_t(bytes.size()), "rb");
    RfBlockHeader h;
    QString field;
    EXPECT_EQ(RfBlockReader::readHeader(&h, file, &field), -1);
    EXPECT_EQ(field, "rx_samplerate");
    EXPECT_EQ(RfBlockReader::readHeader(nullptr, file), 0);
    EXPECT_EQ(RfBlockReader::readHeader(&h, nullptr), 0);
    std::fclose(file);
}

} // namespace
