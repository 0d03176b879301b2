#pragma once

// Header-only: the support library links only core, and this is included by
// test programs that link engine.

#include "ControllerTestReceiver.h"
#include "TempWorkDir.h"

#include "engine/Controller.h"
#include "engine/board/BoardSettings.h"

#include <QSettings>
#include <gtest/gtest.h>

// An engine on the test receiver (2.048 MS/s around 145 MHz unless the test
// changes the receiver before attaching), in a fresh working folder, with a
// sound output name no device has (the audio output discards). The test
// attaches, and starts the engine's threads only when it needs them; they are
// stopped at TearDown, before the test's own members (demodulators the engine
// uses) go.
class AttachedEngine : public ::testing::Test
{
protected:
    static constexpr qint64 Centre = 145000000;
    static constexpr int Rate = 2048000;

    // Attaches the receiver, with centre stored in its board file so that
    // attaching tunes it there.
    void attach(qint64 centre = Centre)
    {
        BoardSettings::open(&receiver)->setValue(BoardSettings::KeyCenter, centre);
        engine.setReceiverHardware(&receiver);
    }
    // Attaches and starts the engine's threads.
    void start(qint64 centre = Centre)
    {
        attach(centre);
        engine.startEngine();
    }
    void TearDown() override { engine.shutdown(); }

    TempWorkDir dir;
    ControllerTestReceiver receiver{Rate, Centre};
    Controller engine{QStringLiteral("no such sound device")};
};
