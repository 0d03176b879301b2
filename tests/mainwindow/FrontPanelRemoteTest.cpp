// The window on a remote receiver of the fake server: the spot it shares goes
// into the server's path percent-encoded and bounded; the server's bookmarks
// join the bookmark store.
#include "tests/hardware/RemoteSessionEngine.h"

#include "ModalResponder.h"
#include "core/ProgramSettings.h"
#include "lists/Bookmarks.h"
#include "lists/dbBeacon.h"
#include "mainwindow/FrontPanel.h"
#include "mainwindow/SpotName.h"

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
