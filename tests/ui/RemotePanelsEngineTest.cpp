// The chat panel and the spectrum view attached to a real engine whose
// receiver is a stream of the fake server: session traffic reaches them
// through the engine's signals, spot links tune RX A through the engine, and
// the server's centre reports move the engine without moving the channels.
#include "tests/hardware/RemoteSessionEngine.h"
#include "tests/hardware/SealedServer.h"
#include "WidgetLookup.h"

#include "tests/fixtures/fakeserver/FrameBuilder.h"
#include "tests/fixtures/fakeserver/SessionMessages.h"

#include "TempWorkDir.h"
#include "engine/Controller.h"
#include "hardware/RemoteReceiverHardware.h"
#include "srvlib/Base64Variant.h"
#include "srvlib/SrvRegistry.h"
#include "ui/plotter/CPlotter.h"
#include "ui/remoteui/RemoteChatUI.h"
#include "ui/remoteui/RemoteSpectrumView.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextBrowser>
#include <gtest/gtest.h>

using namespace fakeserver;

namespace {

class RemotePanelsEngineTest : public RemoteSessionEngine
{
protected:
    void SetUp() override
    {
        server.peer.setJsonReply("sessions/msg/*", "{}");
        attachEngine();
    }

    qint64 tuned(int channel) { return engine.getRxCenterFreq() + engine.getRxOffset(channel); }

};

} // namespace

TEST_F(RemotePanelsEngineTest, ChatPanelAnnouncesShowsSessionTrafficEscapedAndTunesRxAFromSpots)
{
    RemoteChatUI panel;
    auto* view = panel.findChild<QTextBrowser*>();
    server.peer.clearLog();
    panel.setController(&engine);
    const std::string announcement = "User <a href='@ALICE'>ALICE</a> logged in";
    EXPECT_EQ(
        server.peer.paths(),
        std::vector<std::string>{"sessions/msg/*/" +
                                 encodeBase64Variant(announcement.c_str(), unsigned(announcement.size()))});

    server.peer.pushToStream("sessions/datas",
                             sessionFrame(textMessage("BOB", "<b>73</b> & <a href='#1'>x</a>")));
    server.peer.pushToStream("sessions/datas",
                             sessionFrame(spotMessage("F4XYZ", "48.5", "-1.25", "145.81", "15")));
    ASSERT_TRUE(waitFor([&] { return linkTargets(*view).size() == 2; })) << view->toHtml().toStdString();
    EXPECT_EQ(view->toPlainText().toStdString(),
              "BOB > <b>73</b> & <a href='#1'>x</a>\nNew Frequency spotted : F4XYZ at : 145.810");
    EXPECT_EQ(linkTargets(*view), (QStringList{"@BOB", "#145.810"}));
    EXPECT_EQ(panel.recipient(), "BOB");

    const qint64 rxB = tuned(1);
    emit view->anchorClicked(QUrl(linkTargets(*view).last()));
    ASSERT_TRUE(waitFor([&] { return tuned(0) == 145810000; }));
    EXPECT_EQ(engine.getRxCenterFreq(), 145800000); // within the stream's band: only the offset moved
    EXPECT_EQ(tuned(1), rxB);
}

TEST_F(RemotePanelsEngineTest, SpectrumViewShowsTheWideSourceAndCentreReportsKeepTheChannels)
{
    RemoteSpectrumView view;
    view.setController(&engine);
    EXPECT_EQ(view.plotter()->getCenterFreq(), 145800000);
    EXPECT_EQ(view.plotter()->getSpan(), 2048000);

    ASSERT_EQ(engine.setRxOffset(10000, 0), 1);
    ASSERT_EQ(engine.setRxOffset(-3000, 1), 1);
    const std::string path = "sources/" + server.wideUid + "/spectrum";
    FrameFields moved;
    moved.type = FrameFields::Spectrum;
    moved.payload = std::string(64, '\x10');
    moved.hasTrailer = true;
    moved.trailer.marker = 3;
    moved.trailer.centerHz = 145900000;
    StreamScript script; // one line, a move of the centre, then nothing
    script.pieces = {spectrumFrame(std::string(64, '\x10'), -130.0f, -70.0f), buildFrame(moved)};
    script.holdOpen = true;
    server.peer.setStream(path, script);

    QSignalSpy retunes(&engine, &Controller::MSG_ChannelizerIsRetuned);
    QPushButton* start = buttonWithText(view, ">");
    QPushButton* stop = buttonWithText(view, "!");
    ASSERT_TRUE(start != nullptr && stop != nullptr);
    start->click();
    ASSERT_TRUE(server.peer.waitForOpenStream(path, kWaitBoundMs));
    // The engine reports both channels at the new centre with their offsets kept.
    ASSERT_TRUE(waitFor([&] { return retunes.count() == 2; }));
    EXPECT_EQ(retunes.at(0), (QList<QVariant>{qlonglong(145900000), 10000.0f, 0}));
    EXPECT_EQ(retunes.at(1), (QList<QVariant>{qlonglong(145900000), -3000.0f, 1}));
    // The engine's retune report comes back and recentres the view quietly.
    EXPECT_TRUE(waitFor([&] { return view.plotter()->getCenterFreq() == 145900000; }));

    // The stream idles now: stopping is bounded and frees the start button.
    EXPECT_LT(elapsedMs([&] { stop->click(); }), kStopBoundMs);
    EXPECT_TRUE(waitFor([&] { return start->isEnabled(); }, kStopBoundMs));
    EXPECT_TRUE(waitFor([&] { return server.peer.openStreamCount(path) == 0; }, kStopBoundMs));
}
