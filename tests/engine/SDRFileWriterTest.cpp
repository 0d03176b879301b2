#include "engine/record/SDRFileWriter.h"

#include "engine/SampleContext.h"
#include "engine/SampleFifo.h"
#include "engine/record/RfBlockReader.h"

#include "QueuedSpy.h"
#include "RecordingTestSupport.h"
#include "TempWorkDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

SampleContext* newContext(qint64 centre, float rate)
{
    auto* c = static_cast<SampleContext*>(std::calloc(1, sizeof(SampleContext)));
    c->hw_center = centre;
    c->rx_samplerate = rate;
    c->rx_offset = 2500.0f;
    c->gps_year = 225; // 2017
    c->live = 1;
    return c;
}

// Queues a block whose sample i is (base + i, -(base + i)) / 32767.
void queueBlock(SDRFileWriter& writer, int count, qint64 centre = 145500000, float rate = 48000.0f,
                int base = 0)
{
    auto* samples = static_cast<float*>(std::malloc(sizeof(float) * 2 * count));
    for (int i = 0; i < count; ++i) {
        samples[2 * i] = float((base + i) % 30000) / 32767.0f;
        samples[2 * i + 1] = -samples[2 * i];
    }
    ASSERT_GT(writer.fifo()->enqueue(samples, count, 0, newContext(centre, rate)), 0);
}

// Waits until the writer took every queued block, then stops it.
void finish(SDRFileWriter& writer)
{
    ASSERT_TRUE(waitFor([&] { return writer.fifo()->size() == 0 || !writer.isWriting(); }));
    writer.stopWriting();
    ASSERT_TRUE(writer.wait(kWaitBoundMs));
}

struct FileContent
{
    std::vector<RfBlockHeader> headers;
    std::vector<float> samples;
    RfBlockReader::Status end;
};

FileContent readRecording(const QString& path)
{
    FileContent content;
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    EXPECT_NE(file, nullptr) << path.toStdString();
    if (file == nullptr)
        return content;
    RfBlockReader reader(file);
    for (;;) {
        RfBlockHeader h;
        float* samples = nullptr;
        content.end = reader.next(&h, &samples);
        if (content.end != RfBlockReader::Block)
            break;
        content.headers.push_back(h);
        content.samples.insert(content.samples.end(), samples, samples + 2 * h.sample_count);
        std::free(samples);
    }
    std::fclose(file);
    return content;
}

TEST(SDRFileWriter, RecordingReadsBackBlockByBlock)
{
    TempWorkDir dir;
    QDir().mkdir("record");
    SDRFileWriter writer;
    ASSERT_TRUE(writer.startWriting(0));
    EXPECT_TRUE(writer.isWriting());
    EXPECT_FALSE(writer.startWriting(0));
    for (int b = 0; b < 3; ++b)
        queueBlock(writer, 512, 145500000, 48000.0f, 512 * b);
    finish(writer);
    EXPECT_FALSE(writer.isWriting());

    QStringList files = recordings("*.orvex");
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegExp("RX_145\\.500_\\d{8}_\\d{6}\\.orvex").exactMatch(files[0])) << files[0].toStdString();
    EXPECT_EQ(writer.fileName(), "./record/" + files[0]);
    EXPECT_EQ(QFileInfo("record/" + files[0]).size(), 3 * (54 + 4 * 512));

    FileContent content = readRecording("record/" + files[0]);
    EXPECT_EQ(content.end, RfBlockReader::EndOfFile);
    ASSERT_EQ(content.headers.size(), 3u);
    EXPECT_EQ(content.headers[0].hw_center, 145500000.0);
    EXPECT_EQ(content.headers[0].rx_offset, 2500.0f);
    EXPECT_EQ(content.headers[0].gps_year, 17);
    ASSERT_EQ(content.samples.size(), 2u * 1536);
    for (int i = 0; i < 1536; ++i) {
        ASSERT_NEAR(content.samples[2 * i], i / 32767.0, 1.0 / 32767) << i;
        ASSERT_NEAR(content.samples[2 * i + 1], -i / 32767.0, 1.0 / 32767) << i;
    }
}

TEST(SDRFileWriter, FilePastTheSizeLimitGetsATrailerAndTheNextNumber)
{
    TempWorkDir dir;
    QDir().mkdir("record");
    SDRFileWriter writer;
    writer.setFileSizeLimit(5000); // three blocks of 2102 bytes pass it
    ASSERT_TRUE(writer.startWriting(0));
    for (int b = 0; b < 3; ++b)
        queueBlock(writer, 512);
    // Retuned before the block that opens the second file.
    for (int b = 0; b < 2; ++b)
        queueBlock(writer, 512, 7100000);
    finish(writer);

    QStringList first = recordings("RX_145.500_*.orvex");
    QStringList second = recordings("RX_7.100_*_2.orvex");
    ASSERT_EQ(first.size(), 1);
    ASSERT_EQ(second.size(), 1);
    // Both files share the recording's time stamp.
    EXPECT_EQ(first[0].mid(11, 15), second[0].mid(9, 15));

    QFile file("record/" + first[0]);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), 3 * 2102 + 20);
    int32_t trailer[5];
    std::memcpy(trailer, bytes.constData() + 3 * 2102, sizeof trailer);
    EXPECT_EQ(trailer[0], 10);
    EXPECT_EQ(trailer[1], 1);
    EXPECT_EQ(trailer[2], 2);
    EXPECT_EQ(trailer[3], 1536);
    EXPECT_EQ(trailer[4], 1536);
    EXPECT_EQ(readRecording("record/" + first[0]).end, RfBlockReader::EndOfPart);

    FileContent rest = readRecording("record/" + second[0]);
    EXPECT_EQ(rest.headers.size(), 2u);
    EXPECT_EQ(rest.end, RfBlockReader::EndOfFile); // the last file has no trailer
}

TEST(SDRFileWriter, SampleLimitStopsAfterTheBlockThatCrossesIt)
{
    TempWorkDir dir;
    QDir().mkdir("record");
    SDRFileWriter writer;
    ASSERT_TRUE(writer.startWriting(1000));
    for (int b = 0; b < 4; ++b)
        queueBlock(writer, 512);
    ASSERT_TRUE(waitFor([&] { return !writer.isWriting(); }));
    ASSERT_TRUE(writer.wait(kWaitBoundMs));
    QStringList files = recordings("*.orvex");
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(readRecording("record/" + files[0]).samples.size(), 2u * 1024);
    EXPECT_EQ(writer.fifo()->size(), 0); // the rest was dropped
}

TEST(SDRFileWriter, ElapsedTimeGoesToTheCounter)
{
    TempWorkDir dir;
    QDir().mkdir("record");
    SDRFileWriter writer;
    CounterPlugin* counter = counterPlugin();
    ASSERT_NE(counter, nullptr);
    ASSERT_TRUE(writer.startWriting(0));
    for (int b = 0; b < 2; ++b)
        queueBlock(writer, 48000);
    ASSERT_TRUE(waitFor([&] { return counter->displayed() == "00:00:02"; }));
    EXPECT_TRUE(!counter->isHidden());
    EXPECT_EQ(counter->legend(), "Duree totale (s) :");
    finish(writer);
    EXPECT_TRUE(waitFor([&] { return counter->isHidden(); }));
}

TEST(SDRFileWriter, WithoutTheRecordFolderTheRecordingEndsAndTheNextStartsClean)
{
    TempWorkDir dir;
    SDRFileWriter writer;
    ASSERT_TRUE(writer.startWriting(0));
    for (int b = 0; b < 3; ++b)
        queueBlock(writer, 512);
    ASSERT_TRUE(waitFor([&] { return !writer.isWriting(); }));
    ASSERT_TRUE(writer.wait(kWaitBoundMs));
    EXPECT_FALSE(QDir("record").exists());
    EXPECT_TRUE(counterPlugin()->isHidden());

    QDir().mkdir("record");
    ASSERT_TRUE(writer.startWriting(0));
    queueBlock(writer, 100);
    finish(writer);
    QStringList files = recordings("*.orvex");
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(readRecording("record/" + files[0]).samples.size(), 2u * 100);
}

TEST(SDRFileWriter, ARecordingThatEndsOnAFileErrorSaysWhy)
{
    for (const FileErrorCase& c : fileErrorCases("./record/RX_145.500_")) {
        TempWorkDir dir;
        if (c.folder)
            QDir().mkdir("record");
        SDRFileWriter writer;
        QueuedSpy failed(&writer, &SDRFileWriter::recordingFailed);
        FileSizeLimit limit(c.fileSizeLimit);
        ASSERT_TRUE(writer.startWriting(0));
        // Enough blocks for the file's buffer to reach the disk more than once.
        for (int b = 0; b < 10; ++b)
            queueBlock(writer, 512);
        const bool ended = waitFor([&] { return !writer.isWriting(); });
        limit.restore();
        ASSERT_TRUE(ended) << c.what;
        ASSERT_TRUE(writer.wait(kWaitBoundMs));
        ASSERT_TRUE(waitFor([&] { return failed.count() == 1; })) << c.what;
        EXPECT_TRUE(failed.at(0).at(0).toString().contains(c.told))
            << failed.at(0).at(0).toString().toStdString();
        EXPECT_TRUE(counterPlugin()->isHidden()) << c.what;
    }
}

TEST(SDRFileWriter, AStoppedRecordingReportsNoFailure)
{
    TempWorkDir dir;
    QDir().mkdir("record");
    SDRFileWriter writer;
    QueuedSpy failed(&writer, &SDRFileWriter::recordingFailed);
    ASSERT_TRUE(writer.startWriting(0));
    queueBlock(writer, 512);
    finish(writer);
    serveEventsPast(50);
    EXPECT_TRUE(failed.isEmpty());
}

TEST(SDRFileWriter, StopBeforeTheFirstBlockLeavesNoFile)
{
    TempWorkDir dir;
    QDir().mkdir("record");
    SDRFileWriter writer;
    bool announced = false;
    QString announcedName = "none";
    QObject::connect(&writer, &SDRFileWriter::newFileWritten, [&](QString name) {
        announced = true;
        announcedName = name;
    });
    ASSERT_TRUE(writer.startWriting(0));
    writer.setNotifyOnEnd(true);
    writer.stopWriting();
    ASSERT_TRUE(writer.wait(kWaitBoundMs));
    EXPECT_FALSE(writer.isWriting());
    EXPECT_TRUE(recordings("*").isEmpty());
    EXPECT_TRUE(announced);
    EXPECT_TRUE(announcedName.isEmpty());
}

} // namespace
