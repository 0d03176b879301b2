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
        // A rate is refused outside 1 kS/s to 1 GS/s: a tiny one would pause the
        // player for days, a huge one is not a recording of this program.
        {"tiny rate after a good block", one + rampBlock(rawHeader(1, 1e-4f)), 1, RfBlockReader::Error,
         "rx_samplerate"},
        {"rate 1e-30", spoilt([](RfBlockHeader& h) { h.rx_samplerate = 1e-30f; }), 0, RfBlockReader::Error,
         "rx_samplerate"},
        {"rate just below 1 kS/s", spoilt([](RfBlockHeader& h) { h.rx_samplerate = 999.9f; }), 0,
         RfBlockReader::Error, "rx_samplerate"},
        {"rate above 1 GS/s", spoilt([](RfBlockHeader& h) { h.rx_samplerate = 2e9f; }), 0, RfBlockReader::Error,
         "rx_samplerate"},
        {"rate infinite", spoilt([](RfBlockHeader& h) { h.rx_samplerate = HUGE_VALF; }), 0, RfBlockReader::Error,
         "rx_samplerate"},
        {"negative rate", spoilt([](RfBlockHeader& h) { h.rx_samplerate = -48000; }), 0, RfBlockReader::Error,
         "rx_samplerate"},
        {"rate 1 kS/s", rampBlock(rawHeader(10, 1000.0f)), 1, RfBlockReader::EndOfFile, "end of file"},
        {"rate 1 GS/s", rampBlock(rawHeader(10, 1e9f)), 1, RfBlockReader::EndOfFile, "end of file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ReadOutcome outcome = readAll(c.bytes);
        EXPECT_EQ(int(outcome.blockCounts.size()), c.blocks);
        EXPECT_EQ(outcome.end, c.end);
        EXPECT_TRUE(outcome.message.contains(c.mentions)) << outcome.message.toStdString();
    }
}

// Descriptive fields out of their range do not stop a recording whose samples
// are sound: its blocks carry them as 0 ("unknown"), and each field is named
// once however many blocks repeat it.
TEST(RfBlockReader, OutOfRangeMetadataPlaysAsUnknownAndIsNamedOnce)
{
    struct Case
    {
        const char* field;
        void (*spoil)(RfBlockHeader&);
        double (*read)(const RfBlockHeader&);
    };
    const Case cases[] = {
        {"latitude", [](RfBlockHeader& h) { h.latitude = 123; }, [](const RfBlockHeader& h) { return double(h.latitude); }},
        {"longitude", [](RfBlockHeader& h) { h.longitude = -999; },
         [](const RfBlockHeader& h) { return double(h.longitude); }},
        {"longitude", [](RfBlockHeader& h) { h.longitude = std::nanf(""); },
         [](const RfBlockHeader& h) { return double(h.longitude); }},
        {"antenna_bearing", [](RfBlockHeader& h) { h.antenna_bearing = 1e9f; },
         [](const RfBlockHeader& h) { return double(h.antenna_bearing); }},
        {"height", [](RfBlockHeader& h) { h.height = HUGE_VALF; },
         [](const RfBlockHeader& h) { return double(h.height); }},
        {"rx_offset", [](RfBlockHeader& h) { h.rx_offset = 3e38f; },
         [](const RfBlockHeader& h) { return double(h.rx_offset); }},
        {"rx_offset", [](RfBlockHeader& h) { h.rx_offset = 24001; }, // beyond half the 48 kS/s rate
         [](const RfBlockHeader& h) { return double(h.rx_offset); }},
        {"ddc_outrate", [](RfBlockHeader& h) { h.ddc_outrate = -12000; },
         [](const RfBlockHeader& h) { return double(h.ddc_outrate); }},
        {"rx_gain", [](RfBlockHeader& h) { h.rx_gain = std::nanf(""); },
         [](const RfBlockHeader& h) { return double(h.rx_gain); }},
        {"gps_month", [](RfBlockHeader& h) { h.gps_month = 13; },
         [](const RfBlockHeader& h) { return double(h.gps_month); }},
        {"gps_day", [](RfBlockHeader& h) { h.gps_day = 32; }, [](const RfBlockHeader& h) { return double(h.gps_day); }},
        {"gps_hour", [](RfBlockHeader& h) { h.gps_hour = 99; },
         [](const RfBlockHeader& h) { return double(h.gps_hour); }},
        {"gps_minutes", [](RfBlockHeader& h) { h.gps_minutes = 60; },
         [](const RfBlockHeader& h) { return double(h.gps_minutes); }},
        {"gps_seconds", [](RfBlockHeader& h) { h.gps_seconds = 61; },
         [](const RfBlockHeader& h) { return double(h.gps_seconds); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        RfBlockHeader spoilt = rawHeader(4);
        c.spoil(spoilt);
        QByteArray bytes = rampBlock(spoilt) + rampBlock(spoilt);
        FILE* file = fmemopen(bytes.data(), size_t(bytes.size()), "rb");
        RfBlockReader reader(file);
        QStringList warnings;
        for (int block = 0; block < 2; ++block) {
            RfBlockHeader h;
            float* samples = nullptr;
            ASSERT_EQ(reader.next(&h, &samples), RfBlockReader::Block);
            std::free(samples);
            EXPECT_EQ(c.read(h), 0.0);
            EXPECT_EQ(h.rx_samplerate, 48000.0f) << "the fields playback needs stay";
            EXPECT_EQ(h.hw_center, 145500000.0);
            warnings += reader.takeMetadataWarnings();
        }
        ASSERT_EQ(warnings.size(), 1) << warnings.join('|').toStdString();
        EXPECT_TRUE(warnings[0].startsWith(c.field)) << warnings[0].toStdString();
        std::fclose(file);
    }

    // Values at the edges of their ranges, and "no date", are facts.
    RfBlockHeader edges = rawHeader(4);
    edges.latitude = -90;
    edges.longitude = 180;
    edges.rx_offset = 24000;
    edges.gps_seconds = 60;
    QByteArray bytes = rampBlock(edges);
    FILE* file = fmemopen(bytes.data(), size_t(bytes.size()), "rb");
    RfBlockReader reader(file);
    RfBlockHeader h;
    float* samples = nullptr;
    ASSERT_EQ(reader.next(&h, &samples), RfBlockReader::Block);
    std::free(samples);
    EXPECT_TRUE(reader.takeMetadataWarnings().isEmpty());
    EXPECT_EQ(h.latitude, -90.0f);
    EXPECT_EQ(h.rx_offset, 24000.0f);
    std::fclose(file);
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
