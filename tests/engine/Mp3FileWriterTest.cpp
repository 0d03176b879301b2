#include "engine/record/Mp3FileWriter.h"

#include "engine/SampleFifo.h"

#include "QueuedSpy.h"
#include "RecordingTestSupport.h"
#include "StereoTone.h"
#include "TempWorkDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr int BlockFrames = 2048;

// Decodes with mpg123 into interleaved floats (16-bit stereo at the file's rate).
QVector<float> decode(const QString& path)
{
    QProcess mpg123;
    mpg123.start("mpg123", {"-q", "-s", "-e", "s16", "--stereo", path});
    if (!mpg123.waitForFinished(20000))
        return {};
    QByteArray pcm = mpg123.readAllStandardOutput();
    QVector<float> out(pcm.size() / 2);
    for (int i = 0; i < out.size(); ++i) {
        int16_t v;
        std::memcpy(&v, pcm.constData() + 2 * i, 2);
        out[i] = v / 32768.0f;
    }
    return out;
}

// mpg123's description of the stream, such as "MPEG 1.0 L III cbr128 48000 stereo".
QString describe(const QString& path)
{
    QProcess info;
    info.start("mpg123", {"-v", "-t", "-n", "1", path});
    info.waitForFinished(20000);
    QRegExp line("MPEG [0-9.]+ L [^\\n]*");
    QString text = QString::fromLocal8Bit(info.readAllStandardError());
    return line.indexIn(text) >= 0 ? line.cap(0).trimmed() : text;
}

TEST(Mp3FileWriter, StereoToneDecodesWithItsLengthPitchAndSides)
{
    if (QStandardPaths::findExecutable("mpg123").isEmpty())
        GTEST_SKIP() << "mpg123 is not installed (scripts/setup-debian.sh installs it)";
    TempWorkDir dir;
    QDir().mkdir("record");
    Mp3FileWriter writer;
    EXPECT_EQ(writer.objectName(), "AudioFileWriter");
    ASSERT_TRUE(writer.startRecording(7100000));
    EXPECT_FALSE(writer.startRecording(14000000)); // running: the frequency stays
    EXPECT_EQ(writer.frequency(), 7100000);

    constexpr int blocks = 47; // 96256 frames, just over 2 s
    for (int b = 0; b < blocks; ++b)
        ASSERT_GT(writer.fifo()->enqueue(stereoToneBlock(BlockFrames, long(b) * BlockFrames, 440.0, 1000.0),
                                         BlockFrames, 0, nullptr),
                  0);
    ASSERT_TRUE(waitFor([&] { return writer.fifo()->size() == 0; }));
    CounterPlugin* counter = counterPlugin();
    ASSERT_TRUE(waitFor([&] { return counter->displayed() == "00:00:02"; }));
    EXPECT_EQ(counter->legend(), "Duree totale (s):");
    writer.stopRecording();
    ASSERT_TRUE(writer.wait(kWaitBoundMs));
    EXPECT_FALSE(writer.isRecording());
    EXPECT_TRUE(waitFor([&] { return counter->isHidden(); }));

    QStringList files = recordings("*.mp3");
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegExp("RX_7\\.100_\\d{8}_\\d{6}\\.mp3").exactMatch(files[0])) << files[0].toStdString();
    EXPECT_EQ(writer.fileName(), "./record/" + files[0]);

    QFile file("record/" + files[0]);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    // ID3v1 at the end: title, artist and album.
    QByteArray tag = bytes.right(128);
    ASSERT_TRUE(tag.startsWith("TAG"));
    EXPECT_EQ(QByteArray(tag.constData() + 3).left(30).trimmed(), "7.100");
    EXPECT_EQ(QByteArray(tag.constData() + 33).left(30).trimmed(), "Q9ZZQ");
    EXPECT_EQ(QByteArray(tag.constData() + 63).left(30).trimmed(), "Orvex");
    // LAME's tag frame in the first audio frame: without it the decoder cannot
    // remove the encoder's delay and padding.
    EXPECT_TRUE(bytes.left(4096).contains("Info") || bytes.left(4096).contains("Xing"));
    EXPECT_TRUE(bytes.left(4096).contains("LAME"));
    // 128 kbit/s constant: about 16000 bytes a second.
    EXPECT_NEAR(bytes.size(), 16000 * 96256 / 48000, 3000);

    EXPECT_EQ(describe(file.fileName()).toStdString(), "MPEG 1.0 L III cbr128 48000 stereo");
    QVector<float> pcm = decode(file.fileName());
    // Gapless thanks to the tag frame: the frames that went in come out.
    EXPECT_NEAR(pcm.size() / 2, blocks * BlockFrames, 100);

    QVector<float> middle = pcm.mid(2 * 4800, 2 * 76800);
    EXPECT_NEAR(zeroCrossingHz(middle, 0), 440.0, 2.0);
    EXPECT_NEAR(zeroCrossingHz(middle, 1), 1000.0, 2.0);
    EXPECT_GT(tonePower(middle, 0, 440.0), 1000 * tonePower(middle, 0, 1000.0));
    EXPECT_GT(tonePower(middle, 1, 1000.0), 1000 * tonePower(middle, 1, 440.0));
}

TEST(Mp3FileWriter, StopBeforeTheFirstBlockLeavesNoFile)
{
    TempWorkDir dir;
    QDir().mkdir("record");
    Mp3FileWriter writer;
    ASSERT_TRUE(writer.startRecording(7100000));
    writer.stopRecording();
    ASSERT_TRUE(writer.wait(kWaitBoundMs));
    EXPECT_FALSE(writer.isRecording());
    EXPECT_TRUE(recordings("*").isEmpty());
    EXPECT_TRUE(writer.fileName().isEmpty());
}

TEST(Mp3FileWriter, ARecordingThatEndsOnAFileErrorSaysWhy)
{
    for (const FileErrorCase& c : fileErrorCases("./record/RX_7.100_")) {
        TempWorkDir dir;
        if (c.folder)
            QDir().mkdir("record");
        Mp3FileWriter writer;
        QueuedSpy failed(&writer, &Mp3FileWriter::recordingFailed);
        FileSizeLimit limit(c.fileSizeLimit);
        ASSERT_TRUE(writer.startRecording(7100000));
        // About 27 kB of sound: the file's buffer reaches the disk more than once.
        for (int b = 0; b < 40; ++b)
            ASSERT_GT(
                writer.fifo()->enqueue(stereoToneBlock(BlockFrames, long(b) * BlockFrames, 440.0, 1000.0),
                                       BlockFrames, 0, nullptr),
                0);
        const bool ended = waitFor([&] { return !writer.isRecording(); });
        limit.restore();
        ASSERT_TRUE(ended) << c.what;
        ASSERT_TRUE(writer.wait(kWaitBoundMs));
        EXPECT_EQ(QDir("record").exists(), c.folder) << c.what;
        ASSERT_TRUE(waitFor([&] { return failed.count() == 1; })) << c.what;
        EXPECT_TRUE(failed.at(0).at(0).toString().contains(c.told))
            << failed.at(0).at(0).toString().toStdString();
        EXPECT_TRUE(counterPlugin()->isHidden()) << c.what;
        // A new recording can start.
        EXPECT_TRUE(writer.startRecording(7100000)) << c.what;
        writer.stopRecording();
        ASSERT_TRUE(writer.wait(kWaitBoundMs));
    }
}

} // namespace
