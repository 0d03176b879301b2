// Measurement mode: its pass band, and recordings of synthetic blocks read back
// from the ".zxmsr" files field by field.
#include "decoders/measure/Mesurement.h"
#include "AttachedEngine.h"
#include "ModeBands.h"
#include "QueuedSpy.h"
#include "RawRfHeaderReader.h"
#include "TempWorkDir.h"
#include "WaitFor.h"
#include "decoders/measure/MesurementFileWriter.h"
#include "engine/SampleContext.h"
#include "engine/SampleFifo.h"
#include "engine/plugins/PluginManager.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QThread>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

SampleContext contextFor(int64_t center, float channelRate)
{
    SampleContext c;
    std::memset(&c, 0, sizeof c);
    c.hw_center = center;
    c.rx_offset = -12500.0f;
    c.ddc_outrate = channelRate; // as the common routine stores it before demodulate
    c.channel_rate = channelRate;
    c.rx_samplerate = 2048000.0f;
    c.rx_gain = 32.5f;
    c.longitude = 2.35f;
    c.latitude = 48.85f;
    c.height = 35.0f;
    c.antenna_bearing = 270.0f;
    c.gps_day = 14;
    c.gps_month = 7;
    c.gps_year = 25;
    c.gps_hour = 13;
    c.gps_minutes = 5;
    c.gps_seconds = 59;
    return c;
}

std::vector<Complex> ramp(int count, float start)
{
    std::vector<Complex> samples(count);
    for (int i = 0; i < count; ++i)
        samples[i] = Complex(start + i, -(start + i) / 2);
    return samples;
}

class MesurementTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The plug-in manager is built in the GUI thread before any recorder runs.
        PluginManager::instance();
    }

    void startRecording(MesurementFileWriter* writer)
    {
        ASSERT_TRUE(writer->startRecording());
        EXPECT_TRUE(writer->isRecording());
    }
    // Lets the writer take everything queued, then stops it.
    void finish(MesurementFileWriter* writer)
    {
        // A block the writer has taken is written before it looks at the stop.
        ASSERT_TRUE(waitFor([writer] { return writer->inputFifo()->size() == 0; }));
        writer->requestStop();
        ASSERT_TRUE(writer->wait(kWaitBoundMs));
    }
    QStringList recordings() const { return QDir("record").entryList({"*.zxmsr"}, QDir::Files, QDir::Name); }

    TempWorkDir work;
};

using MesurementOnAChannel = AttachedEngine;

// Measurement keeps the channel's band symmetric, 30 kHz wide once installed
// and between 1 and 160 kHz wide as asked.
TEST_F(MesurementOnAChannel, BoundsTheChannelsBandSymmetrically)
{
    PluginManager::instance();
    attach();
    Mesurement mes;
    expectModeBands(engine, mes, {"MES", {-50000, 50000}, {-15000, 15000}, {-80000, 80000}, {-500, 500}});
    engine.installDemodulator(&mes, 0);
    engine.setBBLowHighCut(-3000, 3000, 0, false);
    EXPECT_EQ((Band{mes.getLowEdge(), mes.getHighEdge()}), (Band{-3000, 3000}));
    engine.installDemodulator(nullptr, 0);
}

TEST_F(MesurementTest, CopiesNothingWhileNotRecording)
{
    Mesurement mes;
    auto samples = ramp(64, 1);
    SampleContext ctx = contextFor(145000000, 30000);
    EXPECT_EQ(mes.demodulate(samples.data(), 64, &ctx), 0.0f);
    EXPECT_EQ(mes.getWriter()->inputFifo()->size(), 0);
    EXPECT_EQ(samples[10].real(), 11.0f);
}

TEST_F(MesurementTest, RecordingReadsBackFieldByField)
{
    Mesurement mes;
    MesurementFileWriter* writer = mes.getWriter();
    startRecording(writer);
    const int counts[] = {100, 37, 250};
    std::vector<std::vector<Complex>> sent;
    SampleContext ctx = contextFor(145525000, 30000); // edges -15000 .. 15000
    for (int i = 0; i < 3; ++i) {
        sent.push_back(ramp(counts[i], 1000.0f * i));
        std::vector<Complex> block = sent.back();
        mes.demodulate(block.data(), counts[i], &ctx);
        EXPECT_EQ(block[5], sent.back()[5]); // samples left as they were
    }
    finish(writer);

    const QStringList files = recordings();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression("^RX_145\\.525_\\d{8}_\\d{6}\\.zxmsr$").match(files[0]).hasMatch())
        << files[0].toStdString();
    QFile file("record/" + files[0]);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), 3 * 54 + (100 + 37 + 250) * 8);

    int offset = 0;
    for (int i = 0; i < 3; ++i) {
        const RfBlockHeader h = RawRfHeaderReader::read(bytes.constData() + offset);
        EXPECT_EQ(h.block_type, 2);
        EXPECT_EQ(h.hw_center, 145525000.0);
        EXPECT_EQ(h.rx_offset, -12500.0f);
        EXPECT_EQ(h.ddc_outrate, 60000.0f); // twice the channel rate
        EXPECT_EQ(h.rx_samplerate, 2048000.0f);
        EXPECT_EQ(h.rx_gain, 32.5f);
        EXPECT_EQ(h.longitude, 2.35f);
        EXPECT_EQ(h.latitude, 48.85f);
        EXPECT_EQ(h.antenna_bearing, 270.0f);
        EXPECT_EQ(h.height, 35.0f);
        EXPECT_EQ(h.gps_day, 14);
        EXPECT_EQ(h.gps_month, 7);
        EXPECT_EQ(h.gps_year, 25 + 48);
        EXPECT_EQ(h.gps_hour, 13);
        EXPECT_EQ(h.gps_minutes, 5);
        EXPECT_EQ(h.gps_seconds, 59);
        ASSERT_EQ(h.sample_count, counts[i]);
        offset += RfFormat::HeaderSize;
        EXPECT_EQ(std::memcmp(bytes.constData() + offset, sent[i].data(), counts[i] * 8), 0) << "block " << i;
        offset += counts[i] * 8;
    }
}

TEST_F(MesurementTest, LargeRunsContinueInNumberedFiles)
{
    Mesurement mes;
    MesurementFileWriter* writer = mes.getWriter();
    writer->setFileSizeLimit(1000); // a 100-sample block takes 854 bytes
    startRecording(writer);
    const int64_t centers[] = {145000000, 145000000, 430100000, 430100000, 1296000000};
    for (int64_t center : centers) {
        SampleContext ctx = contextFor(center, 4000);
        auto block = ramp(100, 0);
        mes.demodulate(block.data(), 100, &ctx);
    }
    finish(writer);

    const QStringList files = recordings();
    ASSERT_EQ(files.size(), 3);
    const QRegularExpression pattern("^RX_(\\d+\\.\\d{3})_(\\d{8}_\\d{6})(_\\d+)?\\.zxmsr$");
    QStringList stamps, suffixes, mhz;
    for (const QString& f : files) {
        const auto m = pattern.match(f);
        ASSERT_TRUE(m.hasMatch()) << f.toStdString();
        mhz << m.captured(1);
        stamps << m.captured(2);
        suffixes << m.captured(3);
    }
    EXPECT_EQ(stamps[0], stamps[1]);
    EXPECT_EQ(stamps[1], stamps[2]);
    // Each file is named after the centre of the block that opened it.
    EXPECT_EQ(QSet<QString>(suffixes.begin(), suffixes.end()), (QSet<QString>{"", "_2", "_3"}));
    for (int i = 0; i < 3; ++i) {
        const QString expected = suffixes[i].isEmpty() ? "145.000"
                                 : suffixes[i] == "_2" ? "430.100"
                                                       : "1296.000";
        EXPECT_EQ(mhz[i], expected) << files[i].toStdString();
        const qint64 size = QFileInfo("record/" + files[i]).size();
        EXPECT_EQ(size, suffixes[i] == "_3" ? 854 : 2 * 854);
    }
}

TEST_F(MesurementTest, BlocksLeftFromAnEarlierRunAreDiscarded)
{
    Mesurement mes;
    MesurementFileWriter* writer = mes.getWriter();
    // A block copied just before the previous run ended.
    auto* stale = static_cast<Complex*>(std::calloc(10, sizeof(Complex)));
    auto* staleCtx = static_cast<SampleContext*>(std::malloc(sizeof(SampleContext)));
    *staleCtx = contextFor(7000000, 4000);
    ASSERT_GT(writer->inputFifo()->enqueue(stale, 10, 0, staleCtx), 0);

    startRecording(writer);
    SampleContext ctx = contextFor(145000000, 4000);
    auto block = ramp(20, 0);
    mes.demodulate(block.data(), 20, &ctx);
    finish(writer);

    const QStringList files = recordings();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files[0].startsWith("RX_145.000_"));
    EXPECT_EQ(QFileInfo("record/" + files[0]).size(), 54 + 20 * 8);
}

// Two runs started in the same second: the second never replaces what the
// first wrote; a name already taken gets the next free number.
TEST_F(MesurementTest, RunsInTheSameSecondKeepEveryRecording)
{
    const QDateTime start(QDate(2025, 7, 14), QTime(13, 5, 59));
    struct Block
    {
        int64_t centre;
        int samples;
    };
    struct File
    {
        QString name;
        qint64 bytes;
    };
    const struct
    {
        const char* what;
        QList<Block> first, second;
        QList<File> expected;
    } cases[] = {
        {"same centre",
         {{145000000, 20}},
         {{145000000, 30}},
         {{"RX_145.000_14072025_130559.zxmsr", 54 + 20 * 8},
          {"RX_145.000_14072025_130559_2.zxmsr", 54 + 30 * 8}}},
        {"the first run went on in _2",
         {{145000000, 100}, {145000000, 100}, {145000000, 100}},
         {{145000000, 10}},
         {{"RX_145.000_14072025_130559.zxmsr", 2 * 854},
          {"RX_145.000_14072025_130559_2.zxmsr", 854},
          {"RX_145.000_14072025_130559_3.zxmsr", 54 + 10 * 8}}},
        {"another centre",
         {{145000000, 20}},
         {{430100000, 30}},
         {{"RX_145.000_14072025_130559.zxmsr", 54 + 20 * 8},
          {"RX_430.100_14072025_130559.zxmsr", 54 + 30 * 8}}},
    };
    for (const auto& c : cases) {
        TempWorkDir caseWork;
        Mesurement mes;
        MesurementFileWriter* writer = mes.getWriter();
        writer->setFileSizeLimit(1000); // a 100-sample block takes 854 bytes
        writer->setClock([start] { return start; });
        for (const QList<Block>& run : {c.first, c.second}) {
            startRecording(writer);
            for (const Block& b : run) {
                SampleContext ctx = contextFor(b.centre, 4000);
                auto block = ramp(b.samples, 0);
                mes.demodulate(block.data(), b.samples, &ctx);
            }
            finish(writer);
        }
        QList<File> found;
        for (const QString& name : recordings())
            found.append({name, QFileInfo("record/" + name).size()});
        ASSERT_EQ(found.size(), c.expected.size()) << c.what << ": " << recordings().join(' ').toStdString();
        for (int i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].name.toStdString(), c.expected[i].name.toStdString()) << c.what;
            EXPECT_EQ(found[i].bytes, c.expected[i].bytes) << c.what << " " << found[i].name.toStdString();
        }
    }
}

TEST_F(MesurementTest, RefusedBlocksAreFreed)
{
    Mesurement mes;
    MesurementFileWriter* writer = mes.getWriter();
    startRecording(writer);
    writer->inputFifo()->accepting = false;
    SampleContext ctx = contextFor(145000000, 4000);
    auto block = ramp(500, 0);
    for (int i = 0; i < 20; ++i)
        mes.demodulate(block.data(), 500, &ctx); // LeakSanitizer checks nothing is lost
    writer->inputFifo()->accepting = true;
    finish(writer);
    EXPECT_TRUE(recordings().isEmpty());
}

TEST_F(MesurementTest, FileThatCannotBeCreatedIsReported)
{
    QFile blocker("record"); // a plain file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    Mesurement mes;
    MesurementFileWriter* writer = mes.getWriter();
    QueuedSpy failed(writer, &MesurementFileWriter::recordingFailed);
    startRecording(writer);
    SampleContext ctx = contextFor(145000000, 4000);
    auto block = ramp(20, 0);
    mes.demodulate(block.data(), 20, &ctx);
    ASSERT_TRUE(writer->wait(kWaitBoundMs)); // the run ends by itself
    EXPECT_FALSE(writer->isRecording());
    EXPECT_TRUE(waitFor([&] { return failed.count() > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(failed.count(), 1);
}

TEST_F(MesurementTest, SampleLimitEndsTheRunAndAnnouncesTheFile)
{
    Mesurement mes;
    MesurementFileWriter* writer = mes.getWriter();
    writer->setSampleLimit(150);
    writer->setEmitWhenDone(true);
    QueuedSpy done(writer, &MesurementFileWriter::newFileWritten);
    startRecording(writer);
    SampleContext ctx = contextFor(145000000, 4000);
    auto block = ramp(100, 0);
    mes.demodulate(block.data(), 100, &ctx);
    mes.demodulate(block.data(), 100, &ctx);
    ASSERT_TRUE(writer->wait(kWaitBoundMs));
    ASSERT_TRUE(waitFor([&] { return done.count() > 0; }));
    QCoreApplication::processEvents();
    ASSERT_EQ(done.count(), 1);
    EXPECT_TRUE(done.at(0).at(0).toString().startsWith("./record/RX_145.000_"));
    EXPECT_EQ(QFileInfo(done.at(0).at(0).toString()).size(), 2 * (54 + 800));
}

TEST_F(MesurementTest, UninstallStopsARunningRecording)
{
    Mesurement mes;
    startRecording(mes.getWriter());
    mes.uninstall();
    EXPECT_TRUE(mes.getWriter()->isStopRequested());
    ASSERT_TRUE(mes.getWriter()->wait(kWaitBoundMs));
    EXPECT_FALSE(mes.getWriter()->isRecording());
}

TEST(MesurementFileWriter, ElapsedTimeFromTheTrueRate)
{
    // Edges of +-H Hz: samples come at 2H, the header holds 4H.
    EXPECT_EQ(MesurementFileWriter::elapsedSeconds(30000, 60000.0f), 1);
    EXPECT_EQ(MesurementFileWriter::elapsedSeconds(3LL * 160000 * 3600, 320000.0f), 3 * 3600);
    EXPECT_EQ(MesurementFileWriter::elapsedSeconds(1000, 0.0f), 0);
    EXPECT_EQ(MesurementFileWriter::fileNameFor(145525000.0, "14072025_130559", 1),
              "./record/RX_145.525_14072025_130559.zxmsr");
    EXPECT_EQ(MesurementFileWriter::fileNameFor(7100000.0, "14072025_130559", 3),
              "./record/RX_7.100_14072025_130559_3.zxmsr");
}

TEST(MesurementFileWriter, BlockHeaderGoesWholeToAWritableFileOnly)
{
    TempWorkDir work;
    RfBlockHeader header;
    header.block_type = RfFormat::MeasurementBlock;
    header.hw_center = 145525000.0;
    header.ddc_outrate = 60000.0f;
    header.gps_year = 25;
    header.sample_count = 1234;

    FILE* writable = std::fopen("header.bin", "w+b");
    ASSERT_NE(writable, nullptr);
    EXPECT_EQ(MesurementFileWriter::writeBlockHeader(&header, writable), RfFormat::HeaderSize);
    std::rewind(writable);
    uint8_t bytes[RfFormat::HeaderSize + 1];
    ASSERT_EQ(std::fread(bytes, 1, sizeof bytes, writable), size_t(RfFormat::HeaderSize));
    const RfBlockHeader back = RawRfHeaderReader::read(bytes);
    EXPECT_EQ(back.block_type, RfFormat::MeasurementBlock);
    EXPECT_EQ(back.hw_center, 145525000.0);
    EXPECT_EQ(back.ddc_outrate, 60000.0f);
    EXPECT_EQ(back.gps_year, 25);
    EXPECT_EQ(back.sample_count, 1234);

    FILE* readOnly = std::fopen("header.bin", "rb");
    ASSERT_NE(readOnly, nullptr);
    const struct
    {
        const char* what;
        const RfBlockHeader* header;
        FILE* file;
    } refused[] = {
        {"no header", nullptr, writable}, {"no file", &header, nullptr}, {"read-only", &header, readOnly}};
    for (const auto& c : refused)
        EXPECT_EQ(MesurementFileWriter::writeBlockHeader(c.header, c.file), 0) << c.what;
    std::fclose(readOnly);
    std::fclose(writable);
}

TEST(MesurementFileWriter, FloatsToShortsScaleTruncateAndSaturate)
{
    const struct
    {
        float i, q;
        int16_t outI, outQ;
    } cases[] = {
        {0.5f, -0.25f, 16383, -8191}, // I first, then Q
        {1.0f, -1.0f, 32767, -32767},
        {1.5f, -1.5f, 32767, -32768}, // beyond full scale: the limits, never a wrap
        {-0.00005f, 0.00001f, -1, 0}, // toward zero
        {std::nanf(""), 0.75f, 0, 24575},
    };
    for (const auto& c : cases) {
        const float in[2] = {c.i, c.q};
        int16_t out[2] = {7, 7};
        MesurementFileWriter::floatToShorts(in, out);
        EXPECT_EQ(out[0], c.outI) << c.i;
        EXPECT_EQ(out[1], c.outQ) << c.q;
    }
}

} // namespace
