#pragma once

// The whole receive chain for end-to-end tests: the synthetic receiver driver
// loaded through the driver back-end, the engine with its mixing thread and
// audio output, and one demodulator of each kind per channel. Header-only so
// that the sound tests share it.
#include "engine/Controller.h"
#include "engine/MultiSDR.h"
#include "engine/demod/AMDemodulator.h"
#include "engine/demod/NBFMDemodulator.h"
#include "engine/demod/USBdemodulator.h"
#include "hardware/HardwareLoader.h"
#include "tests/fixtures/synthetic_driver/SyntheticScene.h"

#include "TempWorkDir.h"
#include "WaitFor.h"

#include <QDir>

#include <memory>

namespace e2e {

// A sound output name no device has: the audio output then discards its blocks.
inline const QString kNoSound = QStringLiteral("no such sound device");

using ::waitFor;

struct ChannelDemodulators
{
    AMDemodulator am;
    NBFMDemodulator nbfm;
    USBdemodulator usb;
};

class EngineHarness
{
public:
    // audioDevice: empty for the system's default output (the test null sink).
    explicit EngineHarness(const QString& audioDevice, int sampleRate = SyntheticScene::PreferredSampleRate)
    {
        QDir(dir.path()).mkpath(QStringLiteral("record"));
        loaded = receiver.loadDLL(fixturesDir() + QStringLiteral("/EXTSDR_Synthetic.dll"));
        if (!loaded)
            return;
        receiver.setRxSampleRate(sampleRate);
        engine = std::make_unique<Controller>(audioDevice);
        engine->setReceiverHardware(&receiver);
        engine->startEngine();
    }
    ~EngineHarness()
    {
        // The threads stop before the demodulators and the receiver go.
        if (engine)
            engine->shutdown();
        engine.reset();
    }

    // Installs the demodulator, tunes the channel to offsetHz and turns it on.
    void listen(int channel, Demodulator* demod, int offsetHz)
    {
        engine->installDemodulator(demod, channel);
        engine->setRxOffset(offsetHz, channel);
        if (!engine->channelOn[channel])
            engine->turnChannelOn(channel);
    }
    void turnOff(int channel) { engine->turnChannelOff(channel); }

    // Declared first: the working folder outlives everything below.
    TempWorkDir dir;
    ChannelDemodulators demods[2];
    HardwareLoader receiver{0};
    bool loaded = false;
    std::unique_ptr<Controller> engine;
};

} // namespace e2e
