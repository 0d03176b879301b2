// The chat panel: server messages shown escaped, the recipient list, links
// acted on, and messages sent through the fake server (kept when refused).
#include "tests/hardware/SealedServer.h"
#include "WidgetLookup.h"

#include "srvlib/Base64Variant.h"
#include "ui/remoteui/RemoteChatUI.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace {

class RemoteChatUITest : public ::testing::Test
{
protected:
    RemoteChatUI panel;
    QTextBrowser* view = panel.findChild<QTextBrowser*>();
    QComboBox* list = panel.findChild<QComboBox*>();
    QLineEdit* line = panel.findChild<QLineEdit*>();
    QPushButton* send = panel.findChild<QPushButton*>();

    // The hrefs of every link in the view, in order.
    QStringList anchors() const { return linkTargets(*view); }
    QStringList entries() const
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    }
    void click(const QString& href)
    {
        emit view->anchorClicked(QUrl(href));
        QCoreApplication::processEvents();
    }
    // A server with a session whose alias is given.
    void openSession(SealedServer& remote, const std::string& alias)
    {
        remote.client.setSessionUID("{1b4e28ba-2fa1-11d2-883f-0016d3cca427}");
        remote.peer.setJsonReply("sessions/alias/*", "{\"UID\":\"sess1\",\"alias\":\"" + alias + "\"}");
        ASSERT_TRUE(remote.server.openSession(alias.c_str()));
        remote.peer.setJsonReply("sessions/msg/*", "{}");
        remote.peer.clearLog();
    }
    static std::string msgPath(const std::string& recipient, const std::string& text)
    {
        return "sessions/msg/" + recipient + "/" + encodeBase64Variant(text.c_str(), unsigned(text.size()));
    }
};

} // namespace

TEST_F(RemoteChatUITest, ServerMessagesAreShownEscapedWithTheWriterAsLink)
{
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isReadOnly());
    EXPECT_FALSE(view->openLinks());
    panel.SLOT_VantorTxtMsg("ALPHA", "<b>hi</b> <a href='#1.0'>x</a>");
    panel.SLOT_VantorSpot("<i>SP</i>", 48.0, -1.5, 145.5, 30);
    EXPECT_EQ(view->toPlainText().toStdString(),
              "ALPHA > <b>hi</b> <a href='#1.0'>x</a>\nNew Frequency spotted : <i>SP</i> at : 145.500");
    EXPECT_EQ(anchors(), (QStringList{"@ALPHA", "#145.500"}));
}

TEST_F(RemoteChatUITest, NewWritersBecomeRecipientsButNotTheServerItself)
{
    EXPECT_EQ(panel.recipient(), "*");
    panel.SLOT_VantorTxtMsg("ALPHA", "one");
    EXPECT_EQ(entries(), (QStringList{"*", "ALPHA"}));
    EXPECT_EQ(panel.recipient(), "ALPHA");
    list->setCurrentIndex(0);
    panel.SLOT_VantorTxtMsg("ALPHA", "two"); // known: nothing changes
    panel.SLOT_VantorTxtMsg("Beamhost", "maintenance");
    EXPECT_EQ(entries(), (QStringList{"*", "ALPHA"}));
    EXPECT_EQ(panel.recipient(), "*");
}

TEST_F(RemoteChatUITest, UserLinksSelectTheUserAndFrequencyLinksAskToTuneRxA)
{
    QSignalSpy tunes(&panel, &RemoteChatUI::tuneRequested);
    click("@BRAVO");
    click("@BRAVO");
    EXPECT_EQ(entries(), (QStringList{"*", "BRAVO"}));
    EXPECT_EQ(panel.recipient(), "BRAVO");
    // A name that looks like a frequency link is still only a name.
    panel.SLOT_VantorTxtMsg("#145.5", "hi");
    click(anchors().last());
    EXPECT_EQ(panel.recipient(), "#145.5");

    click("#145.525");
    click("#1.001");
    click("#garbage");
    click("#-1");
    ASSERT_EQ(tunes.count(), 2);
    EXPECT_EQ(tunes.at(0), (QList<QVariant>{qint64(145525000), 0}));
    EXPECT_EQ(tunes.at(1), (QList<QVariant>{qint64(1001000), 0}));
}

TEST_F(RemoteChatUITest, AttachingAServerWithASessionAnnouncesTheUser)
{
    SealedServer remote;
    openSession(remote, "ALICE");
    panel.attachServer(&remote.server);
    EXPECT_EQ(remote.peer.paths(),
              std::vector<std::string>{"sessions/msg/*/"
                                       "VXNlciA8YSBocmVmPSdAQUxJQ0UnPkFMSUNFPC9hPiBsb2dnZWQgaW4_"});
    // Without a session nobody is announced.
    SealedServer quiet;
    RemoteChatUI other;
    other.attachServer(&quiet.server);
    EXPECT_TRUE(quiet.peer.paths().empty());
}

TEST_F(RemoteChatUITest, MessagesGoToTheRecipientAndRefusedOnesStayInTheLine)
{
    // Without a server nothing is sent and the line is kept.
    QTest::keyClicks(line, "Bonjour");
    QTest::mouseClick(send, Qt::LeftButton);
    EXPECT_EQ(line->text(), "Bonjour");

    SealedServer remote;
    openSession(remote, "ALICE");
    panel.attachServer(&remote.server);
    remote.peer.clearLog();

    QTest::mouseClick(send, Qt::LeftButton);
    EXPECT_EQ(line->text(), "");
    panel.SLOT_VantorTxtMsg("ALPHA", "hello");
    line->insert(QStringLiteral("Salut l'été"));
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ(line->text(), "");
    QTest::mouseClick(send, Qt::LeftButton); // empty line: nothing
    EXPECT_EQ(remote.peer.paths(),
              (std::vector<std::string>{"sessions/msg/*/Qm9uam91cg__", msgPath("ALPHA", "Salut l'été")}));

    const QString tooLong(900, QLatin1Char('x')); // its path would pass the request limit
    line->setText(tooLong);
    testing::internal::CaptureStderr();
    QTest::mouseClick(send, Qt::LeftButton);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(line->text(), tooLong);
    EXPECT_EQ(remote.peer.paths().size(), 2u);
}
