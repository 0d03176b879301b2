// The receive chain by ear: the synthetic receiver through the driver back-end,
// the engine, the mixing thread and the real audio output into the PulseAudio
// null sink, whose monitor is recorded and analysed.
#include "tests/e2e/EngineHarness.h"

#include "engine/audio/AudioOutput.h"
#include "engine/record/Mp3FileWriter.h"
#include "engine/record/SDRFileWriter.h"

#include "MonitoredSoundTest.h"
#include "QueuedSpy.h"
#include "SoundCapture.h"
#include "ToneAnalysis.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <lame/lame.h>

#include <cmath>
#include <vector>

namespace {

using e2e::EngineHarness;
using e2e::waitFor;

constexpr double kRate = 48000;
// Milliseconds of audio played: time for a channel to settle (chain latency, AGC)
// before listening, and the length listened to.
constexpr int kSettleMs = 1200;
constexpr int kListenMs = 1500;
// After a change of balance or squelch, which act on the next blocks.
constexpr int kChangeMs = 350;

// Tones are measured at the level most of a recording carries: a busy machine may
// leave a drop-out in what the sink played, after which the tone resumes at
// another phase and, measured in one piece, would partly cancel itself.
class EngineSound : public MonitoredSoundTest
{
protected:
    void SetUp() override
    {
        MonitoredSoundTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(h.loaded) << "the synthetic driver did not load";
        ASSERT_EQ(h.engine->audioOutput->deviceName(), QString(SoundCapture::kDefaultSink));
    }

    // Lets the output play ms more of audio, and what the sink played meanwhile.
    bool settle(int ms = kSettleMs) { return playOn(*h.engine->audioOutput, engineBlocksFor(ms)); }
    std::vector<float> listen(int ms = kListenMs)
    {
        return listenWhile(*h.engine->audioOutput, engineBlocksFor(ms));
    }

    EngineHarness h{QString()};
};

TEST_F(EngineSound, EachModeHearsItsCarrier)
{
    struct Case
    {
        const char* what;
        Demodulator* demod;
        int offset;
        double pitch;
    };
    e2e::ChannelDemodulators& d = h.demods[0];
    const Case cases[] = {
        {"AM carrier in AM", &d.am, int(SyntheticScene::AmOffsetHz), SyntheticScene::ToneHz},
        {"NBFM carrier in NBFM", &d.nbfm, int(SyntheticScene::NbfmOffsetHz), SyntheticScene::ToneHz},
        {"USB tone at its dial", &d.usb, int(SyntheticScene::UsbDialOffsetHz), SyntheticScene::ToneHz},
        {"USB tone 500 Hz below its dial", &d.usb, int(SyntheticScene::UsbDialOffsetHz) - 500, 1500},
    };
    for (const Case& c : cases) {
        h.listen(0, c.demod, c.offset);
        ASSERT_TRUE(settle());
        const std::vector<float> heard = listen();
        ASSERT_GT(heard.size(), size_t(kRate)) << c.what;
        EXPECT_NEAR(tone::peakFrequency(heard, kRate, 100, 5000), c.pitch, 15) << c.what;
        EXPECT_GT(tone::typicalToneAmplitude(heard, kRate, c.pitch), 0.05) << c.what;
    }
}

TEST_F(EngineSound, BalanceSendsEachEndItsChannel)
{
    h.listen(0, &h.demods[0].am, int(SyntheticScene::AmOffsetHz));             // 1000 Hz
    h.listen(1, &h.demods[1].usb, int(SyntheticScene::UsbDialOffsetHz) - 500); // 1500 Hz
    ASSERT_TRUE(settle());
    struct Case
    {
        double balance;
        double heardHz;
        double otherHz;
    };
    for (const Case& c : {Case{-10, 1000, 1500}, Case{10, 1500, 1000}}) {
        h.engine->audioOutput->setBalance(c.balance);
        ASSERT_TRUE(settle(kChangeMs));
        const std::vector<float> heard = listen();
        const double wanted = tone::typicalToneAmplitude(heard, kRate, c.heardHz);
        const double other = tone::typicalToneAmplitude(heard, kRate, c.otherHz);
        EXPECT_GT(wanted, 0.05) << "balance " << c.balance;
        EXPECT_GT(wanted, 20 * other) << "balance " << c.balance;
    }
    h.engine->audioOutput->setBalance(-10);
}

TEST_F(EngineSound, SquelchClosesOnNoiseAndOpensOnACarrier)
{
    MultiSDR* mixer = h.engine->multiSdr;
    const int noiseOffset = -100000; // nothing but the noise floor there
    h.listen(0, &h.demods[0].am, int(SyntheticScene::AmOffsetHz));
    ASSERT_TRUE(settle());
    const float carrierLevel = mixer->getRFLevel(0);
    h.engine->setRxOffset(noiseOffset, 0);
    ASSERT_TRUE(settle());
    const float noiseLevel = mixer->getRFLevel(0);
    ASSERT_GT(carrierLevel - noiseLevel, 6.0f);

    h.engine->setSquelchLevel((carrierLevel + noiseLevel) / 2, 0);
    ASSERT_TRUE(settle(kChangeMs));
    EXPECT_LT(tone::rms(listen()), 1e-3) << "squelched on the noise floor";

    h.engine->setRxOffset(int(SyntheticScene::AmOffsetHz), 0);
    ASSERT_TRUE(settle());
    const std::vector<float> heard = listen();
    EXPECT_GT(tone::typicalToneAmplitude(heard, kRate, SyntheticScene::ToneHz), 0.05) << "open on the carrier";
}

TEST_F(EngineSound, RawRecordingPlaysBackLikeTheLiveSignal)
{
    Controller* engine = h.engine.get();
    h.listen(0, &h.demods[0].am, int(SyntheticScene::AmOffsetHz));
    ASSERT_TRUE(settle());
    engine->startRFRecording(0);
    const std::vector<float> live = listen(2560);
    engine->stopRFRecording();
    ASSERT_TRUE(waitFor([&] { return !engine->isRFRecording(); }));
    const QString file = engine->rfWriter->fileName();
    ASSERT_FALSE(file.isEmpty());
    h.turnOff(0);
    ASSERT_TRUE(waitFor([&] { return engine->engineState() == 0; }));

    QueuedSpy starts(engine, &Controller::MSG_FileReaderStarts);
    QueuedSpy stops(engine, &Controller::MSG_FileReaderStops);
    ASSERT_TRUE(engine->playRFFile(file));
    ASSERT_TRUE(waitFor([&] { return starts.count() == 1; }));
    EXPECT_TRUE(engine->channelOn[0]) << "playback turns RX A on";
    ASSERT_TRUE(settle(600));
    const std::vector<float> replayed = listen(1200);
    ASSERT_TRUE(waitFor([&] { return stops.count() == 1; }, kSoundBoundMs));
    EXPECT_FALSE(engine->channelOn[0]);

    EXPECT_NEAR(tone::peakFrequency(replayed, kRate, 100, 5000), SyntheticScene::ToneHz, 15);
    const double liveLevel = tone::typicalToneAmplitude(live, kRate, SyntheticScene::ToneHz);
    const double replayedLevel = tone::typicalToneAmplitude(replayed, kRate, SyntheticScene::ToneHz);
    EXPECT_NEAR(20 * std::log10(replayedLevel / liveLevel), 0.0, 3.0);
}

// The left channel of an MP3 file, decoded.
std::vector<float> decodeLeft(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    hip_t decoder = hip_decode_init();
    std::vector<float> left;
    std::vector<short> l(1 << 16), r(1 << 16);
    const int chunk = 4096;
    for (int pos = 0; pos < bytes.size(); pos += chunk) {
        const int n = std::min(chunk, int(bytes.size()) - pos);
        int frames = hip_decode(decoder, reinterpret_cast<unsigned char*>(bytes.data() + pos), size_t(n),
                                l.data(), r.data());
        for (int i = 0; i < frames; ++i)
            left.push_back(l[size_t(i)] / 32768.0f);
    }
    hip_decode_exit(decoder);
    return left;
}

TEST_F(EngineSound, Mp3RecordingHoldsRxA)
{
    Controller* engine = h.engine.get();
    h.listen(0, &h.demods[0].am, int(SyntheticScene::AmOffsetHz));
    ASSERT_TRUE(settle());
    engine->startMp3Recording();
    ASSERT_TRUE(settle(2000));
    engine->stopMp3Recording();
    ASSERT_TRUE(waitFor([&] { return !engine->isMp3Recording(); }));
    const QString file = engine->mp3Writer->fileName();
    ASSERT_TRUE(file.endsWith(".mp3")) << file.toStdString();
    const std::vector<float> left = decodeLeft(file);
    ASSERT_GT(left.size(), size_t(kRate));
    EXPECT_NEAR(tone::peakFrequency(left, kRate, 100, 5000), SyntheticScene::ToneHz, 15);
}

} // namespace
