#include "engine/record/WaveFileWriter.h"

#include "engine/SampleFifo.h"

#include "RecordingTestSupport.h"
#include "StereoTone.h"
#include "TempWorkDir.h"

#include <QDir>
#include <QFile>

#include <sndfile.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(WaveFileWriter, FirstBlockIsWrittenToTheFileItOpens)
{
    TempWorkDir dir;
    QDir().mkdir("record");
    WaveFileWriter writer;
    EXPECT_EQ(writer.objectName(), "WaveFileWriter");
    ASSERT_TRUE(writer.startRecording(145500000));
    float* block = stereoToneBlock(2048, 0, 440.0, 1000.0);
    QVector<float> expected(block, block + 2 * 2048);
    ASSERT_GT(writer.fifo()->enqueue(block, 2048, 0, nullptr), 0);
    ASSERT_TRUE(waitFor([&] { return writer.fifo()->size() == 0; }));
    CounterPlugin* counter = counterPlugin();
    ASSERT_TRUE(waitFor([&] { return !counter->isHidden(); }));
    EXPECT_EQ(counter->legend(), "Duree totale (s):");
    EXPECT_EQ(counter->displayed(), "00:00:00");
    writer.stopRecording();
    ASSERT_TRUE(writer.wait(kWaitBoundMs));
    EXPECT_TRUE(waitFor([&] { return counter->isHidden(); }));

    QStringList files = recordings("*.wav");
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegExp("RX_145\\.500_\\d{8}_\\d{6}\\.wav").exactMatch(files[0])) << files[0].toStdString();

    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName("record/" + files[0]).constData(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.frames, 2048);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.samplerate, 48000);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    QVector<float> back(2 * 2048);
    EXPECT_EQ(sf_readf_float(file, back.data(), 2048), 2048);
    sf_close(file);
    EXPECT_EQ(back, expected);
}

TEST(WaveFileWriter, StopBeforeTheFirstBlockLeavesNoFile)
{
    TempWorkDir dir;
    QDir().mkdir("record");
    WaveFileWriter writer;
    ASSERT_TRUE(writer.startRecording(145500000));
    writer.stopRecording();
    ASSERT_TRUE(writer.wait(kWaitBoundMs));
    EXPECT_FALSE(writer.isRecording());
    EXPECT_TRUE(recordings("*").isEmpty());
}

// A recording that could not create its file leaves nothing behind for the next one.
TEST(WaveFileWriter, WithoutTheRecordFolderTheRecordingEndsAndTheNextStartsClean)
{
    TempWorkDir dir;
    WaveFileWriter writer;
    ASSERT_TRUE(writer.startRecording(145500000));
    for (int b = 0; b < 3; ++b)
        ASSERT_GT(writer.fifo()->enqueue(stereoToneBlock(2048, 2048L * b, 440.0, 1000.0), 2048, 0, nullptr),
                  0);
    ASSERT_TRUE(waitFor([&] { return !writer.isRecording(); }));
    ASSERT_TRUE(writer.wait(kWaitBoundMs));
    EXPECT_TRUE(counterPlugin()->isHidden());

    QDir().mkdir("record");
    ASSERT_TRUE(writer.startRecording(145500000));
    ASSERT_GT(writer.fifo()->enqueue(stereoToneBlock(256, 0, 440.0, 1000.0), 256, 0, nullptr), 0);
    ASSERT_TRUE(waitFor([&] { return writer.fifo()->size() == 0; }));
    writer.stopRecording();
    ASSERT_TRUE(writer.wait(kWaitBoundMs));
    QStringList files = recordings("*.wav");
    ASSERT_EQ(files.size(), 1);
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName("record/" + files[0]).constData(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.frames, 256);
    sf_close(file);
}

} // namespace
