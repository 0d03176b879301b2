// The HTTP client against the fake server: request forms, sealed tokens,
// reply limits and session requests.
#include "SrvTestSupport.h"

#include "srvlib/MachineIdentity.h"
#include "srvlib/SrvHttpClient.h"

#include <cstdlib>
#include <gtest/gtest.h>

using fakeserver::FakeServer;
using fakeserver::LoggedRequest;
using fakeserver::Reply;

namespace {

std::string machineText()
{
    unsigned char address[8];
    getAdapterAddress(address);
    return adapterAddressText(address);
}

// The reply as a string ("<null>" for none), freeing it.
std::string take(char* reply)
{
    std::string text = reply != nullptr ? reply : "<null>";
    std::free(reply);
    return text;
}

class HttpClientTest : public ::testing::Test
{
protected:
    FakeServer server;
    SrvHttpClient client{server.host(), server.port()};

    std::string baseHost() const { return "http://127.0.0.1:" + std::to_string(server.port()); }
    LoggedRequest lastRequest() const { return server.requests().back(); }
};

} // namespace

TEST_F(HttpClientTest, KeyTextsOfAtLeast32BytesAreAccepted)
{
    EXPECT_EQ(client.baseUrl(), baseHost() + "/api");
    EXPECT_EQ(client.name(), "127.0.0.1:" + std::to_string(server.port()));

    std::string key = server.publicKeyText();
    ASSERT_EQ(key.size(), 44u);
    EXPECT_FALSE(client.setServerKey(key.substr(0, 42))); // 31 bytes
    EXPECT_FALSE(client.hasServerKey());
    EXPECT_EQ(client.baseUrl(), baseHost() + "/api");

    EXPECT_TRUE(client.setServerKey(key));
    EXPECT_TRUE(client.hasServerKey());
    EXPECT_EQ(client.baseUrl(), baseHost() + "/");

    // A later bad key makes requests plain again but keeps the root base.
    EXPECT_FALSE(client.setServerKey("YWJj"));
    EXPECT_FALSE(client.hasServerKey());
    EXPECT_EQ(client.baseUrl(), baseHost() + "/");
}

TEST_F(HttpClientTest, PlainRequestIsAGetBelowApi)
{
    server.setJsonReply("server", "{\"UID\":\"S\"}");
    EXPECT_EQ(take(client.request("server")), "{\"UID\":\"S\"}");
    LoggedRequest r = lastRequest();
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.target, "/api/server");
    EXPECT_EQ(r.body, "");
    EXPECT_EQ(r.path, "server");
    EXPECT_EQ(r.userAgentLine, "User-Agent:  Orvex 1.0");
}

TEST_F(HttpClientTest, SealedRequestIsAPostToTheRootThatTheServerOpens)
{
    ASSERT_TRUE(client.setServerKey(server.publicKeyText()));
    server.setJsonReply("server", "{}");
    EXPECT_EQ(take(client.request("server")), "{}");
    LoggedRequest r = lastRequest();
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.target, "/");
    EXPECT_EQ(r.body.rfind("Token=", 0), 0u);
    EXPECT_EQ(r.body.find("&UUID="), std::string::npos);
    EXPECT_TRUE(r.tokenOpened);
    EXPECT_EQ(r.path, "server");
    EXPECT_EQ(r.userAgentLine, "User-Agent:  Orvex 1.0");

    client.setSessionUID("{1b4e28ba-2fa1-11d2-883f-0016d3cca427}");
    take(client.request("server"));
    r = lastRequest();
    EXPECT_TRUE(r.tokenOpened);
    EXPECT_EQ(r.uuid, "{1b4e28ba-2fa1-11d2-883f-0016d3cca427}");
    EXPECT_NE(r.body.find("&UUID={1b4e28ba-2fa1-11d2-883f-0016d3cca427}"), std::string::npos);
}

TEST_F(HttpClientTest, TokenOfAnotherServerKeyIsNotOpened)
{
    FakeServer other;
    ASSERT_TRUE(client.setServerKey(other.publicKeyText()));
    EXPECT_EQ(take(client.request("server")), "<null>");
    EXPECT_TRUE(lastRequest().sealed);
    EXPECT_FALSE(lastRequest().tokenOpened);
}

TEST_F(HttpClientTest, RequestsTooLongForTheirBufferAreRefusedNotCut)
{
    // Plain form: the URL holds at most 254 characters.
    std::string prefix = client.baseUrl() + "/";
    std::string fits(254 - prefix.size(), 'p');
    server.setJsonReply(fits, "ok");
    EXPECT_EQ(take(client.request(fits.c_str())), "ok");
    EXPECT_EQ(take(client.request((fits + "p").c_str())), "<null>");
    EXPECT_EQ(server.requests().size(), 1u);

    // Sealed form: the body holds at most 1023 characters (4 x ceil((L + 48) / 3) + 6).
    ASSERT_TRUE(client.setServerKey(server.publicKeyText()));
    std::string longest(714, 's');
    server.setJsonReply(longest, "sealed");
    EXPECT_EQ(take(client.request(longest.c_str())), "sealed");
    EXPECT_EQ(take(client.request((longest + "s").c_str())), "<null>");
    client.setSessionUID("{1b4e28ba-2fa1-11d2-883f-0016d3cca427}");
    EXPECT_EQ(take(client.request(longest.c_str())), "<null>");
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(HttpClientTest, OnlyWholeReplyBodiesWithStatus200AreReturned)
{
    struct Case
    {
        const char* path;
        Reply reply;
        bool returned;
    };
    const Case cases[] = {
        {"ok", Reply{200, "{\"a\":\"1\"}"}, true},
        {"empty", Reply{200, ""}, true},
        {"missing", Reply{404, "{}"}, false},
        {"refused", Reply{403, "{}"}, false},
        {"redirect", Reply{302, "", 0, "Location: /api/ok\r\n"}, false},
        {"largest", Reply{200, std::string(262142, 'x')}, true},
        {"oversized", Reply{200, std::string(262143, 'x')}, false},
    };
    for (const Case& c : cases) {
        server.setReply(c.path, c.reply);
        std::string reply = take(client.request(c.path));
        if (c.returned)
            EXPECT_EQ(reply, c.reply.body) << c.path;
        else
            EXPECT_EQ(reply, "<null>") << c.path;
    }
}

TEST_F(HttpClientTest, SlowReplyFailsAfterTwoSeconds)
{
    // Far slower than the client waits, so that only the client's own limit ends the request.
    server.setReply("slow", Reply{200, "{}", 60000});
    char* reply = nullptr;
    long long ms = elapsedMs([&] { reply = client.request("slow"); });
    EXPECT_EQ(reply, nullptr);
    std::free(reply);
    EXPECT_GE(ms, 1900);
    EXPECT_LT(ms, 30000);
}

TEST(HttpClientUnreachable, ServerThatIsNotListeningGivesNull)
{
    int port;
    {
        FakeServer gone;
        port = gone.port();
    }
    SrvHttpClient client("127.0.0.1", port);
    char* reply = nullptr;
    EXPECT_LT(elapsedMs([&] { reply = client.request("server"); }), kStopBoundMs); // not waited out
    EXPECT_EQ(reply, nullptr);
}

TEST_F(HttpClientTest, CreateSessionAsksOnceAndKeepsTheServersUid)
{
    ASSERT_TRUE(client.setServerKey(server.publicKeyText()));
    server.setJsonReply("sessions/create/*", "{\"UID\":\"sess42\",\"alias\":\"ALICE\"} trailing text");
    EXPECT_TRUE(client.createSession(""));
    EXPECT_EQ(lastRequest().path, "sessions/create/" + machineText());
    ASSERT_NE(client.session(), nullptr);
    EXPECT_STREQ(client.session()->uid(), "sess42");
    EXPECT_STREQ(client.session()->alias(), "ALICE");

    EXPECT_TRUE(client.createSession("BOB"));
    EXPECT_EQ(server.requests().size(), 1u);

    // Later requests carry the session UID.
    take(client.request("server"));
    EXPECT_EQ(lastRequest().uuid, "sess42");
}

TEST_F(HttpClientTest, CreateSessionWithAliasPutsItEncodedInThePath)
{
    ASSERT_TRUE(client.setServerKey(server.publicKeyText()));
    server.setJsonReply("sessions/create/*", "{\"UID\":\"s1\"}");
    EXPECT_TRUE(client.createSession("F4ABC/P"));
    EXPECT_EQ(lastRequest().path, "sessions/create/" + machineText() + "/F4ABC%2FP");
}

TEST_F(HttpClientTest, SessionReplyWithoutStringUidFailsAndIsAskedAgain)
{
    ASSERT_TRUE(client.setServerKey(server.publicKeyText()));
    server.setJsonReply("sessions/create/*", "{\"UID\":42}");
    EXPECT_FALSE(client.createSession("ALICE"));
    ASSERT_NE(client.session(), nullptr);
    EXPECT_FALSE(client.session()->isValid());
    EXPECT_FALSE(client.hasValidSession());

    // A record left invalid does not count as a session.
    server.setJsonReply("sessions/create/*", "{\"UID\":\"s2\"}");
    EXPECT_TRUE(client.createSession("ALICE"));
    EXPECT_EQ(server.countPath("sessions/create/" + machineText() + "/ALICE"), 2);
    EXPECT_STREQ(client.session()->uid(), "s2");
    EXPECT_TRUE(client.hasValidSession());
}

TEST_F(HttpClientTest, AliasSessionPutsAliasFirstAndReplacesUidAndAlias)
{
    ASSERT_TRUE(client.setServerKey(server.publicKeyText()));
    client.setSessionUID("{preset}");
    server.setJsonReply("sessions/alias/*", "{\"UID\":\"sess7\",\"alias\":\"BOB\"}");
    EXPECT_TRUE(client.aliasSession("BOB"));
    LoggedRequest r = lastRequest();
    EXPECT_EQ(r.path, "sessions/alias/BOB/" + machineText());
    EXPECT_EQ(r.uuid, "{preset}");
    EXPECT_STREQ(client.session()->uid(), "sess7");
    EXPECT_STREQ(client.session()->alias(), "BOB");

    EXPECT_FALSE(client.aliasSession(""));
    EXPECT_FALSE(client.aliasSession(nullptr));
    EXPECT_EQ(server.requests().size(), 1u);

    // The alias reply is read strictly: nothing may follow the JSON value.
    server.setJsonReply("sessions/alias/*", "{\"UID\":\"sess8\"} more");
    EXPECT_FALSE(client.aliasSession("EVE"));
    EXPECT_STREQ(client.session()->uid(), "sess7");
}

TEST_F(HttpClientTest, AliasSessionWithoutRecordCreatesOne)
{
    ASSERT_TRUE(client.setServerKey(server.publicKeyText()));
    server.setJsonReply("sessions/create/*", "{\"UID\":\"s3\"}");
    EXPECT_TRUE(client.aliasSession("ALICE"));
    EXPECT_EQ(lastRequest().path, "sessions/create/" + machineText() + "/ALICE");
}

TEST(HttpClientSession, ClosedOnlyWhenValidAndOnDestruction)
{
    FakeServer server;
    {
        SrvHttpClient client(server.host(), server.port());
        ASSERT_TRUE(client.setServerKey(server.publicKeyText()));
        EXPECT_FALSE(client.hasValidSession());
        client.closeSession();
        EXPECT_TRUE(server.requests().empty());
        client.setSessionUID("sess9");
        EXPECT_TRUE(client.hasValidSession());
    }
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].path, "sessions/close");
    EXPECT_EQ(server.requests()[0].uuid, "sess9");
}

TEST(HttpClientSession, LongTextsAreCutTo254Characters)
{
    SrvSession session(std::string(300, 'u').c_str());
    EXPECT_TRUE(session.isValid());
    EXPECT_EQ(std::string(session.uid()), std::string(254, 'u'));
    json_t* reply = json_pack("{s:s, s:s}", "UID", "x", "alias", std::string(400, 'a').c_str());
    EXPECT_TRUE(session.fromJson(reply));
    EXPECT_EQ(std::string(session.alias()), std::string(254, 'a'));
    json_decref(reply);
}
