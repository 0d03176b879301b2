// The engine attached to a remote receiver: session messages become engine
// signals, a lost link switches both channels off, and the engine follows the
// remote centre.
#include "RemoteTestServer.h"

#include "tests/fixtures/fakeserver/FrameBuilder.h"
#include "tests/fixtures/fakeserver/SessionMessages.h"

#include "TempWorkDir.h"
#include "WaitFor.h"
#include "engine/Controller.h"
#include "hardware/RemoteReceiverHardware.h"
#include "srvlib/SrvRegistry.h"
#include "srvlib/SrvServer.h"

#include <gtest/gtest.h>

using namespace fakeserver;

namespace {

class RemoteSessionEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Every engine signal, as a line, received on this (the GUI) thread.
        QObject::connect(&engine, &Controller::MSG_VantorTxtMsg, &context,
                         [this](QString from, QString msg) { events << "txt " + from + "|" + msg; });
        QObject::connect(
            &engine, &Controller::MSG_VantorSpot, &context,
            [this](QString name, double lat, double lon, double mhz, int life) {
                events
                    << QStringLiteral("spot %1 %2 %3 %4 %5").arg(name).arg(lat).arg(lon).arg(mhz).arg(life);
            });
        QObject::connect(&engine, &Controller::MSG_RefreshBookmarks, &context,
                         [this] { events << "refresh"; });
        QObject::connect(&engine, &Controller::MSG_VantorUpdateIndicator, &context,
                         [this](QString name, double value) {
                             events << QStringLiteral("ind %1 %2").arg(name).arg(value);
                         });
        QObject::connect(&engine, &Controller::MSG_ChannelTurnedOnOff, &context,
                         [this](int channel, bool on) {
                             events << QStringLiteral("channel %1 %2").arg(channel).arg(on ? "on" : "off");
                         });
        QObject::connect(&engine, &Controller::MSG_VantorLinkLost, &context, [this] { events << "lost"; });
        QObject::connect(
            &engine, &Controller::MSG_ChannelizerIsRetuned, &context,
            [this](qlonglong centre, float offset, int channel) {
                events << QStringLiteral("retuned %1 %2 %3").arg(centre).arg(offset).arg(channel);
            });
    }
    void TearDown() override { engine.shutdown(); }

    TempWorkDir work;
    RemoteTestServer server;
    SrvServer* srv = server.connect();
    RemoteReceiverHardware receiver{findStream(server.streamUids[0])};
    Controller engine{QStringLiteral("no such sound device")};
    QObject context;
    QStringList events;
};

} // namespace

TEST_F(RemoteSessionEngineTest, SessionMessagesBecomeSignalsAndALostLinkSwitchesTheChannelsOff)
{
    ASSERT_NE(srv->session(), nullptr);
    StreamScript script;
    script.pieces = {sessionFrame(textMessage("BOB", QString::fromUtf8("73 de F4XYZ, été").toStdString())),
                     sessionFrame(spotMessage("F4XYZ", "48.5", "-1.25", "145.5", "15")),
                     sessionFrame(indicatorMessage("SWR", "ratio", "1.5"))};
    script.paceMs = 5;
    server.peer.setStream("sessions/datas", script); // then the server ends the stream
    engine.channelOn[0] = true;
    engine.channelOn[1] = true;

    engine.setReceiverHardware(&receiver);
    ASSERT_TRUE(waitFor([&] { return events.contains("lost"); })) << events.join("; ").toStdString();
    const QStringList expected{QString::fromUtf8("txt BOB|73 de F4XYZ, été"),
                               "spot F4XYZ 48.5 -1.25 145.5 15",
                               "refresh",
                               "ind SWR 1.5",
                               "channel 0 off",
                               "channel 1 off",
                               "lost"};
    EXPECT_EQ(events, expected);
    EXPECT_FALSE(engine.channelOn[0]);
    EXPECT_FALSE(engine.channelOn[1]);
}

TEST_F(RemoteSessionEngineTest, ARemoteCentreMoveKeepsTheChannelsOnTheirFrequencies)
{
    StreamScript held;
    held.holdOpen = true;
    server.peer.setStream("sessions/datas", held);
    engine.setReceiverHardware(&receiver);
    const qint64 centre = engine.getRxCenterFreq();
    ASSERT_EQ(centre, 145800000);
    ASSERT_EQ(engine.setRxOffset(10000, 0), 1);
    ASSERT_EQ(engine.setRxOffset(-3000, 1), 1);

    struct Case
    {
        qint64 newCentre;
        int rate;
        int offset0;
        int offset1;
    };
    const Case cases[] = {
        {centre - 5000, 48000, 15000, 2000},    // within half the rate: same frequencies
        {centre + 5000, 0, 15000, 2000},        // rate unknown: the offsets stay as they are,
        {centre + 95000, 0, 15000, 2000},       // however far the centre went
        {centre + 100000, 48000, 10000, -3000}, // a known rate again: same frequencies
        {centre + 25000, 48000, 0, 0},          // beyond half the rate: back to the centre
    };
    for (const Case& c : cases) {
        events.clear();
        engine.SLOT_RemoteWasRetuned(c.newCentre, c.rate);
        EXPECT_EQ(engine.getRxOffset(0), c.offset0) << c.rate;
        EXPECT_EQ(engine.getRxOffset(1), c.offset1) << c.rate;
        ASSERT_TRUE(waitFor([&] { return events.size() == 2; }));
        EXPECT_EQ(events[0], QStringLiteral("retuned %1 %2 0").arg(c.newCentre).arg(c.offset0));
        EXPECT_EQ(events[1], QStringLiteral("retuned %1 %2 1").arg(c.newCentre).arg(c.offset1));
    }

    // The receiver's own report reaches the engine through a queued connection.
    events.clear();
    remote_rf_context context{};
    context.marker = 1;
    context.rx_center = centre + 25000 + 1000;
    context.rate = 48000;
    receiver.rfContextCallBack(&context);
    ASSERT_TRUE(waitFor([&] { return events.size() == 2; }));
    EXPECT_EQ(engine.getRxOffset(0), -1000);
}
