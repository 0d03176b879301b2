#pragma once

#include "TempWorkDir.h"
#include "WindowTestReceiver.h"
#include "engine/Controller.h"
#include "engine/board/BoardSettings.h"

#include <QSettings>
#include <gtest/gtest.h>
#include <memory>

// A temporary application folder, the window's test receiver, and an engine
// on it (its audio output without a device). The window is made by each test,
// after it has prepared the settings the window reads.
class WindowFixture : public ::testing::Test
{
protected:
    static constexpr qint64 Centre = 145000000;
    static constexpr int Rate = 2048000;

    void SetUp() override
    {
        // A known centre, so that attaching does not move the receiver.
        board()->setValue(BoardSettings::KeyCenter, Centre);
    }

    std::unique_ptr<QSettings> board() { return BoardSettings::open(QStringLiteral("windowtest")); }

    void attachEngine() { engine->setReceiverHardware(&receiver); }

    TempWorkDir dir;
    WindowTestReceiver receiver;
    std::unique_ptr<Controller> engine = std::make_unique<Controller>(QStringLiteral("no such sound device"));
};
