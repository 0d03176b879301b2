// The session channel against the fake server: messages reaching the
// handler, the end of the session stream, and messages and spots sent.
#include "SrvTestSupport.h"

#include "tests/fixtures/fakeserver/FrameBuilder.h"
#include "tests/fixtures/fakeserver/SessionMessages.h"

#include "srvlib/SrvHttpClient.h"
#include "srvlib/SrvServer.h"
#include "srvlib/VantorCBHandler.h"
#include "srvlib/WireText.h"

#include <gtest/gtest.h>
#include <mutex>

using namespace fakeserver;

namespace {

const char* const kSessionPath = "sessions/datas";

// Records every handler call as a line of text.
class RecordingHandler : public VantorCBHandler
{
public:
    void linkClosed() override { add("closed"); }
    void linkLost() override { add("lost"); }
    void txtMsg(const char* from, const char* msg) override { add(std::string("txt ") + from + "|" + msg); }
    void spot(const char* name, double latitude, double longitude, double frequencyMHz, int lifeTime) override
    {
        add(std::string("spot ") + name + " " + formatFixed(latitude, 2) + " " + formatFixed(longitude, 2) +
            " " + formatFixed(frequencyMHz, 4) + " " + std::to_string(lifeTime));
    }
    void updateIndicator(const char* name, const char* unit, double value) override
    {
        add(std::string("ind ") + name + "|" + unit + "|" + std::to_string(int(value * 100)));
    }

    std::vector<std::string> calls()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_calls;
    }
    bool waitForCalls(size_t count)
    {
        return waitFor([&] { return calls().size() >= count; });
    }

private:
    void add(const std::string& call)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_calls.push_back(call);
    }
    std::mutex m_lock;
    std::vector<std::string> m_calls;
};

class SessionChannelTest : public ::testing::Test
{
protected:
    FakeServer server;
    SrvHttpClient client{server.host(), server.port()};
    std::unique_ptr<SrvServer> srv;
    RecordingHandler handler;

    void SetUp() override
    {
        ASSERT_TRUE(client.setServerKey(server.publicKeyText()));
        client.setSessionUID("{1b4e28ba-2fa1-11d2-883f-0016d3cca427}");
        server.setJsonReply("sessions/alias/*", "{\"UID\":\"sess1\",\"alias\":\"ALICE\"}");
        srv = std::make_unique<SrvServer>(&client);
        ASSERT_TRUE(srv->openSession("ALICE"));
    }
    void TearDown() override { srv.reset(); }
};

} // namespace

TEST_F(SessionChannelTest, MessagesReachTheHandlerInOrder)
{
    FrameFields seven;
    seven.type = 7;
    seven.payload = textMessage("X", "dropped");
    FrameFields trailed;
    trailed.type = FrameFields::Session;
    trailed.payload = textMessage("Beamhost", "after trailer");
    trailed.hasTrailer = true;
    std::string frames = sessionFrame(textMessage("BOB", "abc")) + sessionFrame(aliveMessage()) +
                         sessionFrame(spotMessage("F4XYZ", "48,5", "-1.25", "145,500", "15")) +
                         buildFrame(seven) + sessionFrame("{not json") +
                         sessionFrame("{\"Ctype\":\"Weather\"}") + buildFrame(trailed) +
                         sessionFrame(indicatorMessage("SWR", "ratio", "1,5"));
    StreamScript script;
    script.pieces = splitEvery(frames, 37);
    script.paceMs = 2;
    script.holdOpen = true;
    server.setStream(kSessionPath, script);

    testing::internal::CaptureStdout();
    srv->setHandler(&handler);
    EXPECT_TRUE(handler.waitForCalls(4));
    std::string out = testing::internal::GetCapturedStdout();
    std::vector<std::string> expected{"txt BOB|abc", "spot F4XYZ 48.50 -1.25 145.5000 15",
                                      "txt Beamhost|after trailer", "ind SWR|ratio|150"};
    EXPECT_EQ(handler.calls(), expected);
    EXPECT_EQ(out, "json not valid : {not json\nCType=Weather\n");

    LoggedRequest open = server.requests().back();
    EXPECT_EQ(open.path, kSessionPath);
    EXPECT_TRUE(open.tokenOpened);
    EXPECT_EQ(open.uuid, "sess1");
    EXPECT_TRUE(srv->isSessionStreamRunning());

    // Messages pushed later arrive as well.
    server.pushToStream(kSessionPath, sessionFrame(textMessage("EVE", std::string("hi\0there", 8))));
    EXPECT_TRUE(handler.waitForCalls(5));
    EXPECT_EQ(handler.calls().back(), "txt EVE|hi");
}

TEST_F(SessionChannelTest, StreamRefusedOrEndedIsReportedOnceAsLost)
{
    server.setStream(kSessionPath, StreamScript{403, {"Forbidden"}});
    testing::internal::CaptureStderr();
    srv->setHandler(&handler);
    EXPECT_TRUE(handler.waitForCalls(1));
    EXPECT_TRUE(waitFor([&] { return !srv->isSessionStreamRunning(); }));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(handler.calls(), std::vector<std::string>{"lost"});

    StreamScript open;
    open.holdOpen = true;
    server.setStream(kSessionPath, open);
    srv->startSessionStream();
    ASSERT_TRUE(server.waitForOpenStream(kSessionPath, kWaitBoundMs));
    server.endStream(kSessionPath);
    EXPECT_TRUE(handler.waitForCalls(2));
    EXPECT_EQ(handler.calls(), (std::vector<std::string>{"lost", "lost"}));
}

TEST_F(SessionChannelTest, CloseRequestIsReportedAsClosedWithinABound)
{
    StreamScript idle;
    idle.holdOpen = true;
    server.setStream(kSessionPath, idle);
    srv->setHandler(&handler);
    ASSERT_TRUE(server.waitForOpenStream(kSessionPath, kWaitBoundMs));
    srv->markClosing();
    EXPECT_TRUE(handler.waitForCalls(1));
    EXPECT_EQ(handler.calls(), std::vector<std::string>{"closed"});
}

TEST_F(SessionChannelTest, DestructionWhileIdleIsBoundedAndCallsNothing)
{
    StreamScript idle;
    idle.holdOpen = true;
    server.setStream(kSessionPath, idle);
    srv->setHandler(&handler);
    ASSERT_TRUE(server.waitForOpenStream(kSessionPath, kWaitBoundMs));
    EXPECT_LT(elapsedMs([&] { srv.reset(); }), kStopBoundMs);
    EXPECT_TRUE(handler.calls().empty());
}

TEST_F(SessionChannelTest, RestartJoinsTheRunningStream)
{
    StreamScript idle;
    idle.holdOpen = true;
    server.setStream(kSessionPath, idle);
    srv->setHandler(&handler);
    ASSERT_TRUE(server.waitForOpenStream(kSessionPath, kWaitBoundMs));
    srv->setHandler(&handler); // running: no second stream
    EXPECT_LT(elapsedMs([&] { srv->startSessionStream(); }), kStopBoundMs);
    ASSERT_TRUE(waitFor([&] { return server.countPath(kSessionPath) == 2; }));
    EXPECT_TRUE(waitFor([&] { return server.openStreamCount(kSessionPath) == 1; }));
    EXPECT_EQ(handler.calls(), std::vector<std::string>{"lost"}); // the first stream's end
}

TEST_F(SessionChannelTest, MessagesAndSpotsAreSentWithEncodedTexts)
{
    server.setJsonReply("sessions/msg/*", "{}");
    server.setJsonReply("sessions/spot/*", "{}");
    CommaLocale comma;
    EXPECT_TRUE(srv->sendMessage("*", "Hello"));
    EXPECT_EQ(server.requests().back().path, "sessions/msg/*/SGVsbG8_");
    EXPECT_TRUE(srv->sendMessage("F4ABC/P", "Zoé"));
    EXPECT_EQ(server.requests().back().path, "sessions/msg/F4ABC%2FP/" + toVariantBase64("Zoé"));

    EXPECT_TRUE(srv->sendSpot("X", 145500000));
    EXPECT_EQ(server.requests().back().path, "sessions/spot/X/145.500");
    EXPECT_TRUE(srv->sendSpot("my spot", 10368123456LL));
    EXPECT_EQ(server.requests().back().path, "sessions/spot/my%20spot/10368.123");
}

TEST_F(SessionChannelTest, OverlongMessageIsRefusedNotSentCut)
{
    server.setJsonReply("sessions/msg/*", "{}");
    size_t before = server.requests().size();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(srv->sendMessage("*", std::string(600, 'm').c_str()));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(server.requests().size(), before);
    EXPECT_TRUE(srv->sendMessage("*", std::string(400, 'm').c_str()));
    EXPECT_EQ(decodePercent(server.requests().back().path),
              "sessions/msg/*/" + toVariantBase64(std::string(400, 'm')));

    server.setReply("sessions/msg/*", Reply{500, ""});
    EXPECT_FALSE(srv->sendMessage("*", "lost"));
}
