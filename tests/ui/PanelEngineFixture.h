#pragma once

#include "engine/Controller.h"
#include "engine/board/BoardSettings.h"
#include "tests/engine/ControllerTestReceiver.h"

#include "TempWorkDir.h"

#include <QSettings>
#include <QSignalSpy>
#include <gtest/gtest.h>

// An engine attached to the engine tests' receiver (2.048 MS/s around 145 MHz),
// its thread not started: the panels' calls and the engine's signals work, and
// the tests fill the display windows themselves.
class PanelEngineFixture : public ::testing::Test
{
protected:
    static constexpr qint64 Centre = 145000000;
    static constexpr int Rate = 2048000;

    void SetUp() override
    {
        // A known centre in the board file, so attaching does not move the receiver.
        BoardSettings::open(QStringLiteral("EngineTestReceiver"))->setValue(BoardSettings::KeyCenter, Centre);
        engine.setReceiverHardware(&receiver);
    }

    TempWorkDir dir;
    ControllerTestReceiver receiver{Rate, Centre};
    Controller engine{QStringLiteral("no such sound device")};
};
