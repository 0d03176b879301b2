// The window's record, MP3 and play buttons on an engine that receives: a
// recording or a playback that ends on its own turns its button off and the
// user is told why.
#include "ControllerTestReceiver.h"
#include "EmptyBookmarks.h"
#include "ModalResponder.h"
#include "TempWorkDir.h"
#include "WaitFor.h"
#include "core/ProgramSettings.h"
#include "engine/Controller.h"
#include "engine/board/BoardSettings.h"
#include "mainwindow/FrontPanel.h"
#include "tests/engine/RawRfTestFiles.h"
#include "ui/panels/MainReceiver.h"
#include "ui/widgets/zxPushButton.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class FrontPanelRecording : public ::testing::Test
{
protected:
    static constexpr qint64 Centre = 145000000;

    void SetUp() override
    {
        ProgramSettings::open()->setValue("Version/download_host", "127.0.0.1:1");
        BoardSettings::open(&receiver)->setValue(BoardSettings::KeyCenter, Centre);
        engine->setReceiverHardware(&receiver);
        window = std::make_unique<FrontPanel>();
        window->setController(engine.get());
    }

    // RX A on with its panel's demodulator: the engine receives and the
    // mixing thread makes sound.
    void receive()
    {
        window->receiverA()->SLOT_userSetOnOff();
        ASSERT_TRUE(engine->channelOn[0].load());
    }

    EmptyBookmarks bookmarks;
    TempWorkDir dir;
    ControllerTestReceiver receiver;
    std::unique_ptr<Controller> engine = std::make_unique<Controller>(QStringLiteral("no such sound device"));
    // Goes first: its end stops the engine's threads.
    std::unique_ptr<FrontPanel> window;
};

} // namespace

TEST_F(FrontPanelRecording, ARecordingWithoutItsFolderTurnsItsButtonOffAndSaysWhy)
{
    receive();
    const struct
    {
        const char* what;
        std::function<void()> press;
        std::function<bool()> recording;
        zxPushButton* button;
    } recorders[] = {
        {"raw RF", [&] { window->SLOT_startStopRecordToFile(); }, [&] { return engine->isRFRecording(); },
         window->recordControl()},
        {"MP3", [&] { window->SLOT_startStopSaveMP3(); }, [&] { return engine->isMp3Recording(); },
         window->mp3Control()},
    };
    for (const auto& r : recorders) {
        ModalResponder answer;
        answer.press(QMessageBox::Ok);
        r.press();
        ASSERT_TRUE(waitFor([&] { return answer.seen().size() == 1; })) << r.what;
        EXPECT_EQ(answer.seen()[0].title, "Tarnx");
        EXPECT_TRUE(answer.seen()[0].text.contains("\"record\"")) << answer.seen()[0].text.toStdString();
        ASSERT_TRUE(waitFor([&] { return !r.button->getState(); })) << r.what;
        EXPECT_FALSE(r.recording()) << r.what;
        EXPECT_EQ(answer.unexpected(), 0) << r.what;
    }
}

TEST_F(FrontPanelRecording, ADamagedRecordingStopsThePlaybackTurnsItsButtonOffAndSaysWhy)
{
    // One whole block, then a header cut short.
    const QString path = dir.file("damaged.orvex");
    writeFile(path, rampBlock(rawHeader(4800)) + headerBytes(rawHeader(4800)).left(20));
    ModalResponder answer;
    answer.act([&](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        files->selectFile(path);
        QMetaObject::invokeMethod(files, "accept");
    });
    answer.press(QMessageBox::Ok);
    window->SLOT_startStopReadFromFile();
    ASSERT_TRUE(waitFor([&] { return answer.seen().size() == 2; }));
    EXPECT_EQ(answer.seen()[1].title, "Tarnx");
    EXPECT_TRUE(answer.seen()[1].text.contains("damaged.orvex")) << answer.seen()[1].text.toStdString();
    EXPECT_TRUE(answer.seen()[1].text.contains("La lecture s'est arretee"));
    ASSERT_TRUE(waitFor([&] { return !window->playControl()->getState() && !engine->isRFPlaying(); }));
    EXPECT_EQ(answer.unexpected(), 0);
}
