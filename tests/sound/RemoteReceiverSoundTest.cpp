// A remote receiver heard through the whole chain: the fake server streams an
// AM signal, the remote back-end feeds the engine, and the audio output plays
// into the PulseAudio null sink, whose monitor is recorded.
#include "tests/fixtures/fakeserver/FrameBuilder.h"
#include "tests/hardware/RemoteTestServer.h"

#include "engine/Controller.h"
#include "engine/audio/AudioOutput.h"
#include "engine/demod/AMDemodulator.h"
#include "hardware/RemoteReceiverHardware.h"
#include "srvlib/SrvRegistry.h"

#include "MonitoredSoundTest.h"
#include "SoundCapture.h"
#include "TempWorkDir.h"
#include "ToneAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

using namespace fakeserver;

namespace {

constexpr int kStreamRate = 48000;
constexpr double kCarrierOffsetHz = 10000;
constexpr double kToneHz = 1000;
constexpr int kFrameSamples = kStreamRate / 10; // one frame every 100 ms
// Half a minute: the stream outlasts the listening on a busy machine, which
// goes on until the tone has been heard without a break.
constexpr int kFrames = 300;

// A carrier at +10 kHz, 50 % modulated by a 1 kHz tone, in real-time frames.
StreamScript amStream()
{
    StreamScript script;
    script.paceMs = 1000 * kFrameSamples / kStreamRate;
    std::vector<std::complex<float>> samples(kFrameSamples);
    long n = 0;
    for (int frame = 0; frame < kFrames; ++frame) {
        for (auto& sample : samples) {
            const double t = double(n++) / kStreamRate;
            const double envelope = 0.1 * (1.0 + 0.5 * std::cos(2 * M_PI * kToneHz * t));
            sample = std::polar(float(envelope), float(2 * M_PI * kCarrierOffsetHz * t));
        }
        script.pieces.push_back(iqFrame(samples));
    }
    return script;
}

} // namespace

using RemoteReceiverSound = MonitoredSoundTest;

TEST_F(RemoteReceiverSound, AnAmToneFromTheServerIsHeardAt1kHz)
{
    TempWorkDir work;
    RemoteTestServer server(1, kStreamRate);
    server.connect();
    StreamScript session;
    session.holdOpen = true;
    server.peer.setStream("sessions/datas", session);
    server.peer.setStream(server.rawPath(), amStream());

    RemoteReceiverHardware receiver(findStream(server.streamUids[0]));
    AMDemodulator am;
    {
        Controller engine{QString()};
        ASSERT_EQ(engine.audioOutput->deviceName(), QString(SoundCapture::kDefaultSink));
        engine.setReceiverHardware(&receiver);
        engine.startEngine();
        engine.installDemodulator(&am, 0);
        ASSERT_EQ(engine.setRxOffset(int(kCarrierOffsetHz), 0), 1);
        engine.turnChannelOn(0);

        ASSERT_TRUE(waitFor([&] { return engine.engineState() == 1; }));
        // About two seconds of audio: the chain and the AGC settle.
        ASSERT_TRUE(playOn(*engine.audioOutput, engineBlocksFor(2000)));
        // Then a second and a half of the tone without a break, however often a
        // busy machine let the sound device run dry meanwhile (it plays silence).
        const std::vector<float> heard = listenUnbroken(kStreamRate * 3 / 2);
        ASSERT_GE(heard.size(), size_t(kStreamRate * 3 / 2));
        EXPECT_NEAR(tone::peakFrequency(heard, kStreamRate, 100, 5000), kToneHz, 15);
        EXPECT_GT(tone::typicalToneAmplitude(heard, kStreamRate, kToneHz), 0.05);
        engine.shutdown();
    }
}
