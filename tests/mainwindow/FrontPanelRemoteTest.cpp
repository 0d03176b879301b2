// The window on a remote receiver of the fake server: the spot it shares goes
// into the server's path percent-encoded and bounded; a lost link is told once.
#include "tests/hardware/RemoteSessionEngine.h"

#include "ModalResponder.h"
#include "WaitFor.h"
#include "core/ProgramSettings.h"
#include "mainwindow/FrontPanel.h"
#include "mainwindow/SpotName.h"

#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <gtest/gtest.h>

using namespace fakeserver;

namespace {

class FrontPanelRemote : public RemoteSessionEngine
{
protected:
    void SetUp() override
    {
        // The version check goes nowhere.
        ProgramSettings::open()->setValue("Version/download_host", "127.0.0.1:1");
        server.peer.setJsonReply("sessions/msg/*", "{}");
        server.peer.setJsonReply("sessions/spot/*", "{}");
        attachEngine();
    }

    // The spot paths the server was asked for, without the frequency.
    std::vector<std::string> spotNames() const
    {
        const std::string prefix = "sessions/spot/";
        std::vector<std::string> names;
        for (const std::string& path : server.peer.paths())
            if (path.compare(0, prefix.size(), prefix) == 0)
                names.push_back(path.substr(prefix.size(), path.rfind('/') - prefix.size()));
        return names;
    }
};

} // namespace

TEST_F(FrontPanelRemote, SharedSpotNamesArePercentEncodedAndBounded)
{
    FrontPanel window;
    window.setController(&engine);
    const struct
    {
        QString typed;
        std::string sent;
    } cases[] = {
        {QString::fromUtf8("F4XYZ/p \xC3\xA9"), "F4XYZ%2Fp%20%C3%A9"},
        {QString(), "no_name"},
        {QString(200, 'a') + "/", std::string(SpotName::MaxBytes, 'a')},
    };
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        ModalResponder answer;
        answer.text(c.typed);
        window.SLOT_SpotThis();
        expected.push_back(c.sent);
        ASSERT_TRUE(waitFor([&] { return spotNames().size() == expected.size(); })) << c.sent;
    }
    EXPECT_EQ(spotNames(), expected);

    // A cancelled name sends nothing.
    ModalResponder cancel;
    cancel.cancel();
    window.SLOT_SpotThis();
    EXPECT_EQ(spotNames().size(), expected.size());
}

// Reports of a lost link that come while the box telling it is open (they are
// queued) neither nest an event loop nor stack boxes: the window goes on
// serving its events with one box open.
TEST_F(FrontPanelRemote, ALostLinkIsToldByOneBoxThatRunsNoLoopOfItsOwn)
{
    FrontPanel window;
    window.setController(&engine);
    ModalResponder answers; // only so that a box that runs its own loop ends it
    const auto linkBoxes = [] {
        int shown = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            shown += box != nullptr && box->isVisible() && box->text().contains("Beamhost") ? 1 : 0;
        }
        return shown;
    };
    emit engine.MSG_VantorLinkLost();
    emit engine.MSG_VantorLinkLost();
    int shownMeanwhile = -1;
    QMetaObject::invokeMethod(
        &window, [&] { shownMeanwhile = linkBoxes(); }, Qt::QueuedConnection);
    ASSERT_TRUE(waitFor([&] { return shownMeanwhile >= 0; }));
    EXPECT_EQ(shownMeanwhile, 1);
}
