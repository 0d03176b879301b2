#pragma once

#include "EmptyBookmarks.h"
#include "TempWorkDir.h"
#include "WindowTestReceiver.h"
#include "core/ProgramSettings.h"
#include "engine/Controller.h"
#include "engine/board/BoardSettings.h"

#include <QSettings>
#include <gtest/gtest.h>
#include <memory>

// A temporary application folder, the window's test receiver, and an engine
// on it (its audio output without a device). The window is made by each test,
// after it has prepared the settings the window reads; its version check goes
// nowhere unless the test serves the version file. The bookmark store is
// empty when each test starts and ends.
class WindowFixture : public ::testing::Test
{
protected:
    static constexpr qint64 Centre = 145000000;
    static constexpr int Rate = 2048000;

    void SetUp() override
    {
        // A known centre, so that attaching does not move the receiver.
        board()->setValue(BoardSettings::KeyCenter, Centre);
        // Every window checks for a new version: here on a local port that
        // refuses at once, unless a test serves the version file.
        setting("Version", "download_host", "127.0.0.1:1");
    }

    static void setting(const QString& group, const QString& key, const QVariant& value)
    {
        std::unique_ptr<QSettings> settings = ProgramSettings::open();
        settings->beginGroup(group);
        settings->setValue(key, value);
    }

    std::unique_ptr<QSettings> board() { return BoardSettings::open(QStringLiteral("windowtest")); }

    void attachEngine() { engine->setReceiverHardware(&receiver); }

    EmptyBookmarks bookmarks;
    TempWorkDir dir;
    WindowTestReceiver receiver;
    std::unique_ptr<Controller> engine = std::make_unique<Controller>(QStringLiteral("no such sound device"));
};
