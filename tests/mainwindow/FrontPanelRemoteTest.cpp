// The window on a remote receiver of the fake server: the spot it shares goes
// into the server's path percent-encoded and bounded, and the user learns
// when its name was cut or the server refused it; a lost link is told once;
// the server's bookmarks join the bookmark store for the window's life; its
// indicator values reach their dials.
#include "tests/hardware/RemoteSessionEngine.h"

#include "tests/fixtures/fakeserver/FrameBuilder.h"
#include "tests/fixtures/fakeserver/SessionMessages.h"

#include "EmptyBookmarks.h"
#include "ModalResponder.h"
#include "WaitFor.h"
#include "core/ProgramSettings.h"
#include "lists/Bookmarks.h"
#include "lists/dbBeacon.h"
#include "mainwindow/FrontPanel.h"
#include "mainwindow/SpotName.h"
#include "ui/widgets/IndicatorPanel.h"
#include "ui/widgets/IndicatorWidget.h"

#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <gtest/gtest.h>
#include <memory>

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

    EmptyBookmarks bookmarks;
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
        const char* notice; // what the user is told afterwards, if anything
    } cases[] = {
        {QString::fromUtf8("F4XYZ/p \xC3\xA9"), "F4XYZ%2Fp%20%C3%A9", nullptr},
        {QString(), "no_name", nullptr},
        {QString(200, 'a') + "/", std::string(SpotName::MaxBytes, 'a'), "raccourci a 64 octets"},
    };
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        ModalResponder answer;
        answer.text(c.typed).press(QMessageBox::Ok);
        window.SLOT_SpotThis();
        expected.push_back(c.sent);
        ASSERT_TRUE(waitFor([&] { return spotNames().size() == expected.size(); })) << c.sent;
        if (c.notice != nullptr) {
            ASSERT_TRUE(waitFor([&] { return answer.seen().size() == 2; })) << c.sent;
            EXPECT_EQ(answer.seen()[1].title, "Tarnx");
            EXPECT_TRUE(answer.seen()[1].text.contains(c.notice)) << answer.seen()[1].text.toStdString();
        } else {
            serveEventsPast(50);
            EXPECT_EQ(answer.seen().size(), 1u) << c.sent;
        }
    }
    EXPECT_EQ(spotNames(), expected);

    // A cancelled name sends nothing.
    ModalResponder cancel;
    cancel.cancel();
    window.SLOT_SpotThis();
    EXPECT_EQ(spotNames().size(), expected.size());
}

TEST_F(FrontPanelRemote, ASpotTheServerRefusesIsReportedToTheUser)
{
    FrontPanel window;
    window.setController(&engine);
    server.peer.setReply("sessions/spot/*", Reply{500, ""});
    ModalResponder answer;
    answer.text("F4XYZ").press(QMessageBox::Ok);
    window.SLOT_SpotThis();
    ASSERT_TRUE(waitFor([&] { return answer.seen().size() == 2; }));
    EXPECT_EQ(spotNames(), std::vector<std::string>{"F4XYZ"});
    EXPECT_TRUE(answer.seen()[1].text.contains("n'a pas accepte")) << answer.seen()[1].text.toStdString();
    EXPECT_EQ(answer.unexpected(), 0);
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

TEST_F(FrontPanelRemote, TheServersBookmarksJoinTheStoreAndAListItemThatIsNoBookmarkIsSkipped)
{
    server.peer.setJsonReply("bookmarks",
                             "{\"bookmarks\":[7,{\"name\":\"GB3VHF\",\"ID\":\"3\",\"frequency\":\"144.430\","
                             "\"longitude\":\"0.5\",\"latitude\":\"51.2\"},\"GB3VHG\"]}");
    FrontPanel window;
    window.setController(&engine);
    QStringList remote;
    for (const BookmarkEntry& mark : Bookmarks::instance()->bookmarksInRange(144430000, 144430000, -1))
        if (mark.labelColor == QColor("lime"))
            remote << QStringLiteral("%1 %2 %3").arg(mark.name).arg(mark.distance).arg(mark.beacon->latitude);
    EXPECT_EQ(remote, QStringList{"GB3VHF -1 51.2"});
}

// An indicator value that the server sends on the session reaches the dial of
// that name.
TEST_F(FrontPanelRemote, AnIndicatorValueFromTheServerReachesItsDial)
{
    {
        std::unique_ptr<QSettings> settings = ProgramSettings::open();
        settings->setValue("Indicators/count", 2);
        settings->setValue("Indicators/I0_Name", "Temp");
        settings->setValue("Indicators/I1_Name", "SWR");
    }
    FrontPanel window;
    window.setController(&engine);
    IndicatorWidget* swr = window.indicatorPanel()->dialNamed("SWR");
    IndicatorWidget* temp = window.indicatorPanel()->dialNamed("Temp");
    ASSERT_TRUE(swr != nullptr && temp != nullptr);
    const double tempBefore = temp->value();

    server.peer.pushToStream("sessions/datas", sessionFrame(indicatorMessage("SWR", "ratio", "2.5")));
    EXPECT_TRUE(waitFor([&] { return swr->value() == 2.5; })) << swr->value();
    EXPECT_EQ(temp->value(), tempBefore);
}

TEST_F(FrontPanelRemote, TheServersBookmarksLeaveTheStoreWithTheWindow)
{
    server.peer.setJsonReply("bookmarks", "{\"bookmarks\":[{\"name\":\"GB3VHF\",\"ID\":\"3\",\"frequency\":"
                                          "\"144.430\",\"longitude\":\"0.5\",\"latitude\":\"51.2\"}]}");
    auto window = std::make_unique<FrontPanel>();
    window->setController(&engine);
    ASSERT_EQ(Bookmarks::instance()->bookmarksInRange(144430000, 144430000, -1).size(), 1);
    window.reset();
    EXPECT_TRUE(Bookmarks::instance()->bookmarksInRange(144430000, 144430000, -1).isEmpty());
}
