// Plays through the real audio output into the PulseAudio null sink and records the
// sink's monitor, checking what a listener would hear.
#include "engine/SampleFifo.h"
#include "engine/audio/AudioOutput.h"
#include "engine/audio/Equalizer.h"

#include "DebugCapture.h"
#include "MonitoredSoundTest.h"
#include "ProgramLog.h"
#include "SoundCapture.h"
#include "TempWorkDir.h"
#include "ToneAnalysis.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <functional>

namespace {

constexpr int kBlock = 2048;
constexpr int kRate = 48000;
constexpr float kQuietLevel = 0.001f;

struct Stereo
{
    double hzA;
    double hzB;
    float amplitudeA = 0.5f;
    float amplitudeB = 0.5f;
};

// Feeds the tones (channel 0 in the real parts, channel 1 in the imaginary
// parts) some blocks ahead of the output (about a third of a second), so that a
// slow test thread leaves no gap in them: the output, not the feeding, is under test.
class ToneFeed
{
public:
    ToneFeed(SampleFifo& queue, const Stereo& tones) : m_queue(queue), m_tones(tones) {}

    // Feeds until done (asked once between blocks, its answer kept, as waitFor does:
    // the conditions here consume the sound recorded since they were last asked),
    // at most kSoundBoundMs; returns whether it was met.
    bool until(const std::function<bool()>& done)
    {
        QElapsedTimer clock;
        clock.start();
        bool met = done();
        while (!met && clock.elapsed() < kSoundBoundMs) {
            if (m_queue.size() < kAhead)
                EXPECT_GT(m_queue.enqueue(nextBlock(), kBlock, 0, nullptr), 0);
            QThread::msleep(5);
            met = done();
        }
        return met;
    }

private:
    static constexpr int kAhead = 8;

    std::complex<float>* nextBlock()
    {
        auto* block = static_cast<std::complex<float>*>(std::malloc(sizeof(std::complex<float>) * kBlock));
        for (int i = 0; i < kBlock; ++i, ++m_sample) {
            const double t = double(m_sample) / kRate;
            block[i] = {m_tones.amplitudeA * float(std::sin(2 * M_PI * m_tones.hzA * t)),
                        m_tones.amplitudeB * float(std::sin(2 * M_PI * m_tones.hzB * t))};
        }
        return block;
    }

    SampleFifo& m_queue;
    Stereo m_tones;
    long m_sample = 0;
};

// The monitor's recording, gathered take by take.
struct Recorder
{
    StereoRecording recording;

    void takeMore()
    {
        const StereoRecording more = MonitoredSoundTest::monitor().takeNew();
        recording.left.insert(recording.left.end(), more.left.begin(), more.left.end());
        recording.right.insert(recording.right.end(), more.right.begin(), more.right.end());
    }
};

// Plays the given tones after configure has set the output up and returns what
// the sink's monitor recorded of them: half a second of unbroken tone, however
// often a busy machine let the device run dry before (it plays silence then,
// and the output grows its buffer). When nothing is to be heard, what it
// recorded while a dozen blocks were played and half a second after.
StereoRecording playAndRecord(const Stereo& tones, const std::function<void(AudioOutput&)>& configure,
                              bool audible = true)
{
    SampleFifo queue;
    AudioOutput output(QString(), &queue);
    EXPECT_EQ(output.deviceName(), QString(SoundCapture::kDefaultSink)) << "the server's default sink";
    configure(output);
    ToneFeed feed(queue, tones);
    MonitoredSoundTest::monitor().takeNew();
    Recorder recorder;
    output.start();
    StereoRecording heard;
    if (audible) {
        const long wanted = 12 * kBlock;
        tone::Span unbroken;
        EXPECT_TRUE(feed.until([&] {
            recorder.takeMore();
            // A sine wave is at the quiet level for a sample around each zero
            // crossing; the device's silence lasts far longer than a millisecond.
            unbroken = tone::longestUnbroken(recorder.recording.left, kQuietLevel, kRate / 1000);
            return unbroken.size() >= wanted;
        })) << "longest unbroken tone: " << unbroken.size() << " of " << recorder.recording.left.size()
            << " samples";
        heard.left = tone::slice(recorder.recording.left, unbroken.begin, unbroken.end);
        heard.right = tone::slice(recorder.recording.right, unbroken.begin, unbroken.end);
    } else {
        EXPECT_TRUE(feed.until([&] { return output.blocksPlayed() >= 12; }));
        recorder.takeMore();
        const size_t wanted = recorder.recording.left.size() + kRate / 2;
        EXPECT_TRUE(feed.until([&] {
            recorder.takeMore();
            return recorder.recording.left.size() >= wanted;
        }));
        heard = recorder.recording;
    }
    output.requestStop();
    EXPECT_TRUE(output.wait(kSoundBoundMs));
    // What the sink still held is played out before the next recording starts.
    EXPECT_TRUE(waitFor(
        [&] {
            recorder.takeMore();
            const std::vector<float>& left = recorder.recording.left;
            return left.size() >= size_t(kRate / 10) &&
                   std::all_of(left.end() - kRate / 10, left.end(),
                               [](float x) { return std::fabs(x) <= kQuietLevel; });
        },
        kSoundBoundMs))
        << "the sound did not end";
    return heard;
}

class AudioOutputSound : public MonitoredSoundTest
{
protected:
    void SetUp() override
    {
        MonitoredSoundTest::SetUp();
        if (HasFatalFailure())
            return;
        // Level checks compare recordings, so the equalizer's colouring cancels out;
        // keep it on as in the program.
        Equalizer* eq = Equalizer::instance();
        if (!eq->isEnabled())
            eq->SLOT_turnOnOffEqualizer();
    }
};

} // namespace

TEST_F(AudioOutputSound, ToneIsHeardAtItsPitchOnBothChannels)
{
    const StereoRecording rec = playAndRecord({1000, 0}, [](AudioOutput&) {});
    const auto left = tone::activeSection(rec.left, 0.05f);
    const auto right = tone::activeSection(rec.right, 0.05f);
    ASSERT_GT(left.size(), 15000u);
    EXPECT_NEAR(tone::peakFrequency(left, kRate), 1000.0, 10.0);
    EXPECT_NEAR(tone::zeroCrossingFrequency(left, kRate), 1000.0, 10.0);
    // 0.5 full scale, +1.09 dB of the equalizer at 1 kHz, 32000 / 32768 at volume 1.
    EXPECT_NEAR(tone::rms(left) * std::sqrt(2.0), 0.5 * 1.134 * 32000 / 32768, 0.02);
    ASSERT_EQ(left.size(), right.size());
    EXPECT_EQ(left, right);
}

// A burst of audio that stands in the queue while the device plays in real time is
// played to its end, not a block dropped; the device's period size is logged as it opens.
TEST_F(AudioOutputSound, EveryBlockTakenIsPlayed)
{
    TempWorkDir dir;
    ProgramLog::capture();
    DebugCapture debug;
    SampleFifo queue;
    AudioOutput output(QString(), &queue);
    output.start();
    const int blocks = 60; // 2.6 s of audio, queued at once
    for (int b = 0; b < blocks; ++b)
        ASSERT_GT(queue.enqueue(std::calloc(kBlock, sizeof(std::complex<float>)), kBlock, 0, nullptr), 0);
    EXPECT_TRUE(
        waitFor([&] { return output.blocksPlayed() + output.blocksDiscarded() == blocks; }, kSoundBoundMs));
    EXPECT_EQ(output.blocksPlayed(), blocks);
    EXPECT_EQ(output.blocksDiscarded(), 0);
    ASSERT_TRUE(output.stop());

    const QString periodLine = QStringLiteral("AudioOutput() periodSize:");
    int periodLines = 0;
    for (const ProgramLog::Line& line : ProgramLog::lines()) {
        if (!line.second.startsWith(periodLine))
            continue;
        ++periodLines;
        EXPECT_EQ(line.first, "Trace");
        EXPECT_GT(line.second.mid(periodLine.size()).toInt(), 0) << line.second.toStdString();
    }
    EXPECT_EQ(periodLines, 1);
    EXPECT_TRUE(debug.contains(QStringLiteral(" periodSize=")));
}

TEST_F(AudioOutputSound, BalanceAtEachEndSilencesTheOtherChannel)
{
    struct Case
    {
        bool set;
        double balance;
        double heard;
        double silent;
    };
    for (const Case c :
         {Case{false, 0, 1000, 2500}, Case{true, -10, 1000, 2500}, Case{true, 10, 2500, 1000}}) {
        const StereoRecording rec = playAndRecord({1000, 2500}, [&](AudioOutput& out) {
            if (c.set)
                out.setBalance(c.balance);
        });
        const auto left = tone::activeSection(rec.left, 0.05f);
        ASSERT_GT(left.size(), 15000u) << c.balance;
        const double heard = tone::toneAmplitude(left, kRate, c.heard);
        EXPECT_GT(heard, 0.3) << c.balance;
        EXPECT_LT(tone::toneAmplitude(left, kRate, c.silent), heard * 0.01) << c.balance;
    }
    // In the middle both are heard at half weight.
    const StereoRecording mid = playAndRecord({1000, 2500}, [](AudioOutput& out) { out.setBalance(0); });
    const auto both = tone::activeSection(mid.left, 0.05f);
    const double a = tone::toneAmplitude(both, kRate, 1000);
    const double b = tone::toneAmplitude(both, kRate, 2500);
    EXPECT_GT(a, 0.2);
    EXPECT_GT(b, 0.2);
}

TEST_F(AudioOutputSound, VolumeScalesTheLevelAndMuteSilences)
{
    const auto levelAt = [](const std::function<void(AudioOutput&)>& configure) {
        const StereoRecording rec = playAndRecord({1000, 0}, configure);
        const auto active = tone::activeSection(rec.left, 0.01f);
        return active.size() > 15000 ? tone::rms(active) : tone::rms(rec.left);
    };
    const double full = levelAt([](AudioOutput& out) { out.setVolumePrct(100); });
    const double half = levelAt([](AudioOutput& out) { out.setVolumePrct(9); }); // 0.5 * log10(10)
    ASSERT_GT(full, 0.1);
    EXPECT_NEAR(half / full, 0.5 / (0.5 * std::log10(101.0)), 0.02);
    EXPECT_LT(tone::rms(playAndRecord(
                            {1000, 0}, [](AudioOutput& out) { out.setVolumePrct(0); }, false)
                            .left),
              1e-4);
    EXPECT_LT(tone::rms(playAndRecord(
                            {1000, 0}, [](AudioOutput& out) { out.mute(); }, false)
                            .left),
              1e-4);
}

TEST_F(AudioOutputSound, PlaysAgainOnceTheSoundServerTakesAudioAgain)
{
    // While the sink takes no audio the output discards, so that nothing upstream
    // stalls; once the sink runs again, so does the sound.
    SampleFifo queue;
    AudioOutput output(QString(), &queue);
    output.start();
    ToneFeed feed(queue, {1000, 0});
    const auto suspendSink = [](bool suspend) {
        return QProcess::execute("pactl", {"suspend-sink", SoundCapture::kDefaultSink, suspend ? "1" : "0"});
    };

    ASSERT_TRUE(feed.until([&] { return output.blocksPlayed() >= 4; }));
    ASSERT_EQ(suspendSink(true), 0);
    const bool discarded = feed.until([&] { return output.blocksDiscarded() > 0; });
    ASSERT_EQ(suspendSink(false), 0);
    ASSERT_TRUE(discarded) << "a sink that takes nothing must not hold the queue up";

    const qint64 played = output.blocksPlayed();
    MonitoredSoundTest::monitor().takeNew();
    EXPECT_TRUE(feed.until([&] { return output.blocksPlayed() >= played + 12; })) << "plays again";
    // Fed on until the monitor has heard the tone again without a break for a
    // quarter of a second, however late the device plays it (and whatever it
    // played of the old blocks first).
    const long window = kRate / 4;
    const long step = kRate / 100;
    const auto unbroken = [&](const std::vector<float>& samples) {
        for (long at = 0; at + step <= long(samples.size()); at += step)
            if (tone::rms(tone::slice(samples, at, at + step)) < 0.05)
                return false;
        return true;
    };
    std::vector<float> recorded;
    std::vector<float> heard;
    EXPECT_TRUE(feed.until([&] {
        const std::vector<float> more = MonitoredSoundTest::monitor().takeNew().left;
        recorded.insert(recorded.end(), more.begin(), more.end());
        heard = tone::slice(recorded, long(recorded.size()) - window, long(recorded.size()));
        return long(heard.size()) == window && unbroken(heard);
    })) << "heard again";
    output.requestStop();
    output.wait(kWaitBoundMs);
    EXPECT_NEAR(tone::peakFrequency(heard, kRate), 1000.0, 10.0);
}
