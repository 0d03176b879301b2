#include "engine/record/SDRFileReader.h"

#include "engine/SampleContext.h"
#include "engine/SampleFifo.h"
#include "engine/record/PlaybackPacer.h"

#include "DebugCapture.h"
#include "RawRfTestFiles.h"
#include "RecordingTestSupport.h"
#include "TempWorkDir.h"
#include "WaitFor.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <numeric>
#include <vector>

namespace {

struct Taken
{
    int count;
    SampleContext context;
    std::vector<float> samples;
};

// Plays like the engine: takes blocks while the playback runs, for at most timeoutMs.
std::vector<Taken> consume(SDRFileReader& player, int timeoutMs = kWaitBoundMs)
{
    std::vector<Taken> taken;
    QElapsedTimer clock;
    clock.start();
    while ((player.isPlaybackRunning() || player.fifo()->size() > 0) && clock.elapsed() < timeoutMs) {
        int count = 0;
        SampleContext* context = nullptr;
        auto* samples = static_cast<float*>(player.fifo()->dequeue(&count, 0, &context, true));
        if (samples == nullptr)
            continue;
        taken.push_back({count, *context, std::vector<float>(samples, samples + 2 * count)});
        std::free(samples);
        std::free(context);
    }
    return taken;
}

// The player's clock, moved only by the pauses the player asks for, which it records.
class RecordingClock : public PlaybackClock
{
public:
    qint64 nowUs() override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_now;
    }
    bool pauseUs(qint64 us, StopSignal& stop) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pauses.push_back(us);
        m_now += us;
        return stop.isSet();
    }
    std::vector<qint64> pauses()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_pauses;
    }

private:
    std::mutex m_mutex;
    qint64 m_now = 0;
    std::vector<qint64> m_pauses;
};

// Hands the player a recording clock and returns it (the player owns it).
RecordingClock* recordPauses(SDRFileReader& player)
{
    auto clock = std::make_unique<RecordingClock>();
    RecordingClock* kept = clock.get();
    player.setClock(std::move(clock));
    return kept;
}

TEST(SDRFileReader, PlaysTheRecordingAtItsPaceWithItsContexts)
{
    TempWorkDir dir;
    QByteArray bytes;
    RfBlockHeader h = rawHeader(4800); // 100 ms each at 48 kS/s
    h.hw_center = 145500000.9;
    h.gps_year = 17;
    for (int b = 0; b < 4; ++b)
        bytes += rampBlock(h);
    writeFile("rec.orvex", bytes);

    SDRFileReader player;
    RecordingClock* clock = recordPauses(player);
    bool finished = false;
    QObject::connect(&player, &SDRFileReader::SIG_reading_finished, [&] { finished = true; });
    ASSERT_TRUE(player.startPlaying("rec.orvex"));
    EXPECT_TRUE(player.isPlaying());
    std::vector<Taken> taken = consume(player);
    ASSERT_TRUE(player.wait(kWaitBoundMs));

    ASSERT_EQ(taken.size(), 4u);
    EXPECT_TRUE(finished);
    EXPECT_FALSE(player.isPlaybackRunning());
    EXPECT_TRUE(player.errorText().isEmpty());
    // The next block is due 100 ms after each one, the first one less the lead.
    EXPECT_EQ(clock->pauses(), (std::vector<qint64>{90000, 100000, 100000, 100000}));

    const Taken& first = taken.front();
    EXPECT_EQ(first.count, 4800);
    EXPECT_EQ(first.context.hw_center, 145500000);
    EXPECT_EQ(first.context.rx_samplerate, 48000.0f);
    EXPECT_EQ(first.context.rx_offset, -12500.0f);
    EXPECT_EQ(first.context.gps_year, 17);
    EXPECT_EQ(first.context.live, 0);
    EXPECT_NEAR(first.samples[2 * 1000], 1000 / 32767.0, 1e-7);
    EXPECT_NEAR(first.samples[2 * 1000 + 1], -1000 / 32767.0, 1e-7);
}

// However long its blocks, a recording takes its own duration (less the lead)
// on the player's clock.
TEST(SDRFileReader, PlaysForTheRecordingsDurationWhateverItsBlockLength)
{
    TempWorkDir dir;
    const struct
    {
        int blocks;
        int count;
        float rate;
        qint64 durationUs;
    } cases[] = {
        {4, 4800, 48000.0f, 400000},    // 100 ms blocks
        {30, 720, 48000.0f, 450000},    // 15 ms blocks
        {40, 8192, 2048000.0f, 160000}, // 4 ms blocks, shorter than the lead
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.blocks << " blocks of " << c.count << " at " << c.rate);
        QByteArray bytes;
        for (int b = 0; b < c.blocks; ++b)
            bytes += rampBlock(rawHeader(c.count, c.rate));
        writeFile("rec.orvex", bytes);
        SDRFileReader player;
        RecordingClock* clock = recordPauses(player);
        ASSERT_TRUE(player.startPlaying("rec.orvex"));
        EXPECT_EQ(consume(player).size(), size_t(c.blocks));
        ASSERT_TRUE(player.wait(kWaitBoundMs));
        const std::vector<qint64> pauses = clock->pauses();
        EXPECT_EQ(std::accumulate(pauses.begin(), pauses.end(), qint64(0)),
                  c.durationUs - PlaybackPacer::LeadUs);
    }
}

TEST(SDRFileReader, KeepsAtMostFourBlocksQueued)
{
    TempWorkDir dir;
    QByteArray bytes;
    for (int b = 0; b < 20; ++b)
        bytes += rampBlock(rawHeader(100, 1e6f)); // no pause: only the queue paces
    writeFile("fast.orvex", bytes);

    SDRFileReader player;
    ASSERT_TRUE(player.startPlaying("fast.orvex"));
    // The queue fills to four; watched a while longer, it never holds more
    // (a slower machine only watches fewer of the player's passes).
    ASSERT_TRUE(waitFor([&] { return player.fifo()->size() >= 4; }));
    int most = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 200) {
        most = qMax(most, player.fifo()->size());
        QThread::usleep(200);
    }
    EXPECT_EQ(most, 4);
    EXPECT_EQ(consume(player).size(), 20u);
    ASSERT_TRUE(player.wait(kWaitBoundMs));
}

TEST(SDRFileReader, DamagedFileEndsAfterItsWholeBlocksWithAMessage)
{
    TempWorkDir dir;
    QByteArray whole = rampBlock(rawHeader(100, 1e6f));
    RfBlockHeader bad = rawHeader(100, 1e6f);
    bad.sample_count = 1 << 30;
    const struct
    {
        const char* what;
        QByteArray bytes;
        size_t blocks;
        const char* mentions; // empty: a clean end
    } cases[] = {
        {"truncated samples", whole + whole.left(whole.size() - 3), 1, "truncated"},
        {"truncated header", whole + whole.left(20), 1, "rx_samplerate"},
        {"huge count", whole + headerBytes(bad), 1, "sample_count"},
        {"trailer", whole + whole + trailerBytes(1, 200, 200), 2, ""},
        {"no samples", headerBytes(rawHeader(0)) + whole, 0, ""},
        {"tiny rate after a good block", whole + rampBlock(rawHeader(1, 1e-4f)), 1, "rx_samplerate"},
        {"rate 1e-30", rampBlock(rawHeader(1, 1e-30f)), 0, "rx_samplerate"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile("bad.orvex", c.bytes);
        SDRFileReader player;
        QString reported;
        QObject::connect(&player, &SDRFileReader::SIG_playbackFailed, [&](QString m) { reported = m; });
        ASSERT_TRUE(player.startPlaying("bad.orvex"));
        EXPECT_EQ(consume(player).size(), c.blocks);
        ASSERT_TRUE(player.wait(kWaitBoundMs));
        EXPECT_FALSE(player.isPlaybackRunning());
        if (*c.mentions == '\0') {
            EXPECT_TRUE(player.errorText().isEmpty()) << player.errorText().toStdString();
        } else {
            EXPECT_TRUE(player.errorText().contains(c.mentions)) << player.errorText().toStdString();
            EXPECT_EQ(reported, player.errorText());
        }
    }
}

TEST(SDRFileReader, OutOfRangeMetadataIsReportedOnceAndPlayedAsUnknown)
{
    TempWorkDir dir;
    RfBlockHeader h = rawHeader(100, 1e6f);
    h.latitude = 123;
    h.gps_month = 13;
    writeFile("odd.orvex", rampBlock(h) + rampBlock(h) + rampBlock(h));

    DebugCapture output;
    SDRFileReader player;
    ASSERT_TRUE(player.startPlaying("odd.orvex"));
    std::vector<Taken> taken = consume(player);
    ASSERT_TRUE(player.wait(kWaitBoundMs));
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_TRUE(player.errorText().isEmpty());
    for (const Taken& block : taken) {
        EXPECT_EQ(block.context.latitude, 0.0f);
        EXPECT_EQ(block.context.gps_month, 0);
        EXPECT_EQ(block.context.hw_center, 145500000);
    }
    EXPECT_EQ(output.lines().filter("latitude 123").size(), 1) << output.lines().join('\n').toStdString();
    EXPECT_EQ(output.lines().filter("gps_month 13").size(), 1);
}

// The blocks still queued at the end of the file are all taken by a consumer
// that keeps taking them, however slowly; one that stops taking them ends the
// playback after DrainTimeoutMs.
TEST(SDRFileReader, EveryQueuedBlockIsPlayedAtTheEndOfTheFile)
{
    TempWorkDir dir;
    QByteArray bytes;
    for (int b = 0; b < 6; ++b)
        bytes += rampBlock(rawHeader(100, 1e6f));
    writeFile("end.orvex", bytes);

    SDRFileReader player;
    ASSERT_TRUE(player.startPlaying("end.orvex"));
    ASSERT_TRUE(waitFor([&] { return player.fifo()->size() == 4; }));
    int taken = 0;
    while (player.isPlaybackRunning() && taken < 6) {
        int count = 0;
        SampleContext* context = nullptr;
        void* block = player.fifo()->dequeue(&count, 0, &context, true);
        if (block == nullptr)
            continue;
        ++taken;
        std::free(block);
        std::free(context);
        // Slower in all than DrainTimeoutMs, each gap well within it.
        QThread::msleep(SDRFileReader::DrainTimeoutMs / 3);
    }
    EXPECT_EQ(taken, 6);
    ASSERT_TRUE(player.wait(SDRFileReader::DrainTimeoutMs + 5000));
    EXPECT_FALSE(player.isPlaybackRunning());
}

TEST(SDRFileReader, MissingFileEndsAtOnce)
{
    TempWorkDir dir;
    SDRFileReader player;
    bool finished = false;
    QObject::connect(&player, &SDRFileReader::SIG_reading_finished, [&] { finished = true; });
    ASSERT_TRUE(player.startPlaying(QString::fromUtf8("absent é.orvex")));
    ASSERT_TRUE(player.wait(kWaitBoundMs));
    EXPECT_TRUE(finished);
    EXPECT_FALSE(player.isPlaybackRunning());
    EXPECT_EQ(player.fifo()->size(), 0);
    EXPECT_TRUE(player.errorText().contains("cannot open"));
}

// A stop is seen during a long pause and with a consumer that no longer takes
// blocks, so a second playback can start at once.
TEST(SDRFileReader, StopEndsAPlaybackAtOnceAndAnotherCanStart)
{
    TempWorkDir dir;
    const QString name = QString::fromUtf8("écoute.orvex");
    writeFile(name, rampBlock(rawHeader(48000, 1000.0f)) + rampBlock(rawHeader(48000, 1000.0f))); // 48 s each
    SDRFileReader player;
    ASSERT_TRUE(player.startPlaying(name));
    ASSERT_TRUE(waitFor([&] { return player.fifo()->size() == 1; }));
    EXPECT_FALSE(player.startPlaying(name));

    QElapsedTimer clock;
    clock.start();
    player.stopPlaying();
    EXPECT_FALSE(player.isPlaying());
    ASSERT_TRUE(player.wait(kWaitBoundMs));
    EXPECT_LT(clock.elapsed(), 10000) << "the stop waited for the 48 s pause";
    EXPECT_FALSE(player.isPlaybackRunning());
    EXPECT_EQ(player.fifo()->size(), 0); // the blocks nobody took were freed

    ASSERT_TRUE(player.startPlaying(name));
    ASSERT_TRUE(waitFor([&] { return player.fifo()->size() == 1; }));
    player.stopPlaying();
    ASSERT_TRUE(player.wait(kWaitBoundMs));
}

} // namespace
