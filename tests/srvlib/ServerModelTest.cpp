// The server model against the fake server: connection sequences, JSON reading
// rules, registration, gain and tuning requests, bookmarks and bands.
#include "SrvTestSupport.h"

#include "srvlib/MachineIdentity.h"
#include "srvlib/RemoteStream.h"
#include "srvlib/SrvBookmark.h"
#include "srvlib/SrvHttpClient.h"
#include "srvlib/SrvRegistry.h"
#include "srvlib/SrvServer.h"
#include "srvlib/SrvSource.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

using fakeserver::FakeServer;

namespace {

std::string machineText()
{
    unsigned char address[8];
    getAdapterAddress(address);
    return adapterAddressText(address);
}

std::string sourceJson(const std::string& uid, const std::string& ctype, const std::string& input = "")
{
    return "{\"UID\":\"" + uid + "\",\"name\":\"Src " + uid + "\",\"Ctype\":\"" + ctype + "\",\"input\":\"" +
           input +
           "\",\"center\":\"145,800\",\"fmin\":\"144.0\",\"fmax\":\"146.0\",\"locked\":\"0\",\"sr\":"
           "\"2048000\","
           "\"rates\":[{\"id\":\"1\",\"value\":\"1024000\"},{\"id\":\"0\",\"value\":\"2048000\"},{\"id\":"
           "\"5\","
           "\"value\":\"9\"}],"
           "\"stages\":[{\"id\":\"0\",\"name\":\"LNA\",\"unit_name\":\"dB\",\"min\":\"0\",\"max\":\"20\","
           "\"value\":"
           "\"10,5\"},{\"id\":\"1\",\"name\":\"IF\",\"unit_name\":\"dB\",\"min\":\"-5\",\"max\":\"5\","
           "\"value\":\"0\"}]}";
}

std::string streamJson(const std::string& uid, const std::string& source, const std::string& temp = "0")
{
    return "{\"UID\":\"" + uid + "\",\"name\":\"Stream " + uid + "\",\"source\":\"" + source +
           "\",\"max_users\":\"4\",\"subscribers\":\"1\",\"user_temp_stream\":\"" + temp +
           "\",\"center\":\"145.8005\",\"fmin\":\"144\",\"fmax\":\"146\",\"sr\":\"48000\"}";
}

json_t* parse(const std::string& text)
{
    json_t* json = json_loads(text.c_str(), 0, nullptr);
    EXPECT_NE(json, nullptr) << text;
    return json;
}

class ServerModelTest : public ::testing::Test
{
protected:
    FakeServer server;
    SrvHttpClient client{server.host(), server.port()};

    void withKey() { ASSERT_TRUE(client.setServerKey(server.publicKeyText())); }
    // The set-up of the stream tests: the key, and a stream of a server object
    // under a name of its own, described by streamJson (centre 145.8005 MHz,
    // 144 to 146 MHz, 48000 samples per second).
    RemoteStream& keyedStream()
    {
        withKey();
        streamUid = uniqueName("Tune");
        json_t* json = parse(streamJson(streamUid, "any"));
        streamServer = std::make_unique<SrvServer>(&client);
        ownedStream = std::make_unique<RemoteStream>(streamServer.get(), json);
        json_decref(json);
        return *ownedStream;
    }
    std::string tunePaths() const { return "streams/" + streamUid + "/tune/*"; }
    void scriptServer(const std::string& sources, const std::string& streams)
    {
        server.setJsonReply("server",
                            "{\"UID\":\"S1\",\"name\":\"Site\",\"latitude\":\"48,1\",\"longitude\":\"-1.6\","
                            "\"asl\":\"50\",\"sources\":\"" +
                                sources + "\",\"streams\":\"" + streams + "\"}");
    }

    std::string streamUid;
    std::unique_ptr<SrvServer> streamServer;
    std::unique_ptr<RemoteStream> ownedStream; // after its server: it goes first
};

} // namespace

TEST_F(ServerModelTest, WithoutKeyOnlyStreamsAreAskedAndNothingIsRegistered)
{
    std::string stream = uniqueName("plainT");
    server.setJsonReply("streams", "{\"streams\":[" + streamJson(stream, uniqueName("unknownSrc")) + "]}");
    SrvServer srv(&client);
    EXPECT_TRUE(srv.connect("ALICE"));
    EXPECT_EQ(server.paths(), std::vector<std::string>{"streams"});
    EXPECT_EQ(server.requests()[0].method, "GET");
    EXPECT_EQ(findStream(stream), nullptr);

    server.setJsonReply("streams", "{\"streams\":[]}");
    EXPECT_FALSE(srv.connect("ALICE"));
}

TEST_F(ServerModelTest, KeyedConnectRenamesThePresetSessionThenListsSourcesAndStreams)
{
    withKey();
    client.setSessionUID("{1b4e28ba-2fa1-11d2-883f-0016d3cca427}");
    std::string wide = uniqueName("W"), chan = uniqueName("C"), stream = uniqueName("T");
    scriptServer("2", "1");
    server.setJsonReply("sessions/alias/*", "{\"UID\":\"sess42\",\"alias\":\"ALICE\"}");
    server.setJsonReply("sources", "{\"sources\":[" + sourceJson(wide, "SignalSource") + "," +
                                       sourceJson(chan, "Channelizer", wide) + ",\"junk\"]}");
    server.setJsonReply("streams", "{\"streams\":[" + streamJson(stream, chan) + "]}");

    SrvServer srv(&client);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(srv.connect("ALICE"));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("new stream UID=[" + stream + "]"), std::string::npos);

    std::vector<std::string> expected{"server", "sessions/alias/ALICE/" + machineText(), "sources",
                                      "streams"};
    EXPECT_EQ(server.paths(), expected);
    EXPECT_EQ(server.requests()[1].uuid, "{1b4e28ba-2fa1-11d2-883f-0016d3cca427}");
    EXPECT_EQ(server.requests()[3].uuid, "sess42");

    EXPECT_EQ(srv.label(), "S1");
    EXPECT_EQ(srv.serverName(), "Site");
    EXPECT_DOUBLE_EQ(srv.latitude(), 48.1);
    EXPECT_DOUBLE_EQ(srv.longitude(), -1.6);
    EXPECT_DOUBLE_EQ(srv.asl(), 50.0);
    ASSERT_NE(srv.session(), nullptr);
    EXPECT_STREQ(srv.session()->alias(), "ALICE");

    SrvSource* c = findSource(chan);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->kind(), 1);
    EXPECT_EQ(findSource(wide)->kind(), 2);
    EXPECT_EQ(c->inputSource(), findSource(wide));
    EXPECT_EQ(c->center(), 145800000);
    EXPECT_EQ(c->sampleRate(), 2048000);
    EXPECT_EQ(c->rates(), (std::vector<int>{2048000, 1024000, 0}));
    EXPECT_EQ(c->getGainStageCount(), 2);
    EXPECT_DOUBLE_EQ(c->getGainValue(0), 10.5);
    EXPECT_EQ(c->getGainStageName(3), "IF");
    EXPECT_EQ(c->key(true), chan + "@" + client.name());

    RemoteStream* t = findStream(stream);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->center(), 145800500);
    EXPECT_EQ(t->fmin(), 144000000);
    EXPECT_EQ(t->sampleRate(), 48000);
    EXPECT_EQ(t->source(), chan);
    EXPECT_EQ(srv.ownStreams().size(), 1u);
    EXPECT_EQ(srv.ownSources().size(), 2u);
}

TEST_F(ServerModelTest, ConnectStopsAfterServerWhenItOffersNothing)
{
    withKey();
    client.setSessionUID("{u}");
    scriptServer("0", "0");
    SrvServer srv(&client);
    EXPECT_TRUE(srv.connect("ALICE"));
    EXPECT_EQ(server.paths(), std::vector<std::string>{"server"});
}

// The counts of the "server" reply decide whether anything more is asked:
// huge ones are added without overflow, negative ones are a failure.
TEST_F(ServerModelTest, ServerCountsAreAddedSafelyAndNegativeOnesRefused)
{
    withKey();
    const struct
    {
        const char* sources;
        const char* streams;
        bool connected;
        size_t requests;
    } cases[] = {
        {"0", "0", true, 1},
        {"2147483647", "1", true, 3},
        {"99999999999", "99999999999", true, 3},
        {"2147483647", "-2147483647", false, 1},
        {"-1", "1", false, 1},
        {"3", "-5", false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.sources) + " + " + c.streams);
        server.clearLog();
        scriptServer(c.sources, c.streams);
        SrvServer srv(&client);
        testing::internal::CaptureStderr();
        EXPECT_EQ(srv.connect(nullptr), c.connected);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(server.paths().size(), c.requests);
    }
}

TEST_F(ServerModelTest, ServerPositionOutOfRangeIsUnknown)
{
    withKey();
    server.setJsonReply("server", "{\"UID\":\"S1\",\"latitude\":\"123\",\"longitude\":\"nan\",\"sources\":\"0\","
                                  "\"streams\":\"0\"}");
    SrvServer srv(&client);
    EXPECT_TRUE(srv.connect(nullptr));
    EXPECT_EQ(srv.latitude(), 0.0);
    EXPECT_EQ(srv.longitude(), 0.0);
}

// An API request follows no redirect: one request, and a failure.
TEST_F(ServerModelTest, ApiRedirectIsNotFollowed)
{
    server.setReply("streams", fakeserver::Reply{302, "", 0, "Location: /api/streams\r\n"});
    SrvServer srv(&client);
    EXPECT_EQ(srv.requestStreams(), -1);
    EXPECT_EQ(server.countPath("streams"), 1);
}

TEST_F(ServerModelTest, ConnectFailsWithoutAliasForAnUnnamedSession)
{
    withKey();
    client.setSessionUID("{u}");
    scriptServer("1", "1");
    SrvServer srv(&client);
    EXPECT_FALSE(srv.connect(nullptr));
    EXPECT_EQ(server.paths(), std::vector<std::string>{"server"});

    server.setReply("server", fakeserver::Reply{200, "not json"});
    EXPECT_FALSE(srv.connect("ALICE"));
}

TEST_F(ServerModelTest, ConnectWithoutRecordCreatesASessionWhenGivenAnAlias)
{
    withKey();
    scriptServer("1", "1");
    server.setJsonReply("sessions/create/*", "{\"UID\":\"s5\",\"alias\":\"ALICE\"}");
    server.setJsonReply("sources", "{\"sources\":[]}");
    server.setJsonReply("streams", "{\"streams\":[]}");
    SrvServer srv(&client);
    EXPECT_TRUE(srv.connect("ALICE"));
    std::vector<std::string> expected{"server", "sessions/create/" + machineText() + "/ALICE", "sources",
                                      "streams"};
    EXPECT_EQ(server.paths(), expected);
    ASSERT_NE(srv.session(), nullptr);
    EXPECT_STREQ(srv.session()->uid(), "s5");
}

TEST_F(ServerModelTest, RegistrationSkipsUnknownSourcesTemporaryStreamsAndKnownUids)
{
    withKey();
    const size_t sourcesBefore = sourceCount();
    const size_t streamsBefore = streamCount();
    std::string src = uniqueName("RS");
    server.setJsonReply("sources", "{\"sources\":[" + sourceJson(src, "Channelizer") + "]}");
    SrvServer first(&client);
    EXPECT_EQ(first.requestSources(), 1);
    EXPECT_EQ(sourceCount(), sourcesBefore + 1);

    // A second server offering the same source UID: kept out of both maps.
    FakeServer other;
    SrvHttpClient otherClient(other.host(), other.port());
    ASSERT_TRUE(otherClient.setServerKey(other.publicKeyText()));
    other.setJsonReply("sources", "{\"sources\":[" + sourceJson(src, "SignalSource") + "]}");
    SrvServer second(&otherClient);
    EXPECT_EQ(second.requestSources(), 1);
    EXPECT_TRUE(second.ownSources().empty());
    EXPECT_EQ(sourceCount(), sourcesBefore + 1);
    EXPECT_EQ(findSource(src)->kind(), 1);
    EXPECT_EQ(findSource(src)->server(), &first);

    std::string unknown = uniqueName("U"), temp = uniqueName("Tmp"), kept = uniqueName("K");
    server.setJsonReply("streams", "{\"streams\":[" + streamJson(unknown, uniqueName("nosrc")) + "," +
                                       streamJson(temp, src, "1") + "," + streamJson(kept, src) + "]}");
    EXPECT_EQ(first.requestStreams(), 3);
    EXPECT_EQ(findStream(unknown), nullptr);
    EXPECT_EQ(findStream(temp), nullptr);
    ASSERT_NE(findStream(kept), nullptr);
    EXPECT_EQ(first.requestStreams(), 3); // the same UIDs again enter nothing
    EXPECT_EQ(first.ownStreams().size(), 1u);
    EXPECT_EQ(streamCount(), streamsBefore + 1);

    std::vector<RemoteStream*>* all = listStreams();
    EXPECT_TRUE(std::is_sorted(all->begin(), all->end(),
                               [](RemoteStream* a, RemoteStream* b) { return a->uid() < b->uid(); }));
    delete all;
}

TEST_F(ServerModelTest, OwnStreamsAreFoundFirstByUidAndByName)
{
    withKey();
    const std::string src = uniqueName("FS");
    server.setJsonReply("sources", "{\"sources\":[" + sourceJson(src, "Channelizer") + "]}");
    SrvServer srv(&client);
    EXPECT_EQ(srv.firstStream(), nullptr);
    ASSERT_EQ(srv.requestSources(), 1);
    // Listed out of UID order; a stream of another server's source stays out.
    const std::string later = uniqueName("Zs"), earlier = uniqueName("As");
    const std::string stranger = streamJson(uniqueName("Bs"), uniqueName("nosrc"));
    server.setJsonReply("streams", "{\"streams\":[" + streamJson(later, src) + "," +
                                       streamJson(earlier, src) + "," + stranger + "]}");
    ASSERT_EQ(srv.requestStreams(), 3);
    EXPECT_EQ(srv.firstStream(), findStream(earlier));
    EXPECT_EQ(srv.streamByName("Stream " + later), findStream(later));
    EXPECT_EQ(srv.streamByName("Stream " + earlier), findStream(earlier));
    EXPECT_EQ(srv.streamByName("Stream"), nullptr);
    // Its source, whatever it holds, is always available.
    EXPECT_TRUE(findSource(src)->isAvailable());
}

TEST_F(ServerModelTest, ListRequestsReportFailureAndMissingMembers)
{
    SrvServer srv(&client);
    int count = 7;
    EXPECT_EQ(srv.requestSources(), -1); // no key, no request
    EXPECT_EQ(srv.requestBookmarks(&count), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(srv.requestStreams(), -1); // 404

    withKey();
    server.setJsonReply("sources", "{\"other\":[]}");
    server.setJsonReply("streams", "{\"streams\":{}}");
    server.setJsonReply("bands", "{\"bands\":\"none\"}");
    EXPECT_EQ(srv.requestSources(), 0);
    EXPECT_EQ(srv.requestStreams(), 0);
    count = 7;
    EXPECT_EQ(srv.requestBands(&count), nullptr);
    EXPECT_EQ(count, 0);
}

TEST_F(ServerModelTest, BookmarksAndBandsAreReadInHertz)
{
    withKey();
    server.setJsonReply("bookmarks",
                        "{\"bookmarks\":[{\"name\":\"GB3VHF\",\"ID\":\"3\",\"frequency\":\"144,430\","
                        "\"longitude\":\"0.5\",\"latitude\":\"51.2\"},7]}");
    server.setJsonReply("bands", "{\"bands\":[{\"name\":\"2m\",\"ID\":\"1\",\"start_frequency\":\"144\","
                                 "\"stop_frequency\":\"146.0\"}]}");
    SrvServer srv(&client);
    int count = 0;
    SrvBookmark** marks = srv.requestBookmarks(&count);
    ASSERT_NE(marks, nullptr);
    ASSERT_EQ(count, 2);
    ASSERT_NE(marks[0], nullptr);
    EXPECT_EQ(marks[0]->name, "GB3VHF");
    EXPECT_EQ(marks[0]->ID, 3);
    EXPECT_EQ(marks[0]->frequency, 144430000);
    EXPECT_DOUBLE_EQ(marks[0]->latitude, 51.2);
    EXPECT_EQ(marks[1], nullptr);
    delete marks[0];
    std::free(marks);

    SrvBand** bands = srv.requestBands(&count);
    ASSERT_NE(bands, nullptr);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(bands[0]->startFrequency, 144000000);
    EXPECT_EQ(bands[0]->stopFrequency, 146000000);
    delete bands[0];
    std::free(bands);
}

TEST(ServerModelJson, NumbersAreReadOnlyFromStrings)
{
    struct Case
    {
        const char* json;
        int64_t center;
        int sr;
    };
    const Case cases[] = {
        {"{\"center\":\"145,800\",\"sr\":\"48000\"}", 145800000, 48000},
        {"{\"center\":\"145.800\",\"sr\":\"48000\"}", 145800000, 48000},
        {"{\"center\":145.8,\"sr\":48000}", 0, 0},
        {"{}", 0, 0},
        {"{\"center\":\"2400,000001\",\"sr\":\"x\"}", 2400000001, 0},
    };
    CommaLocale comma;
    for (const Case& c : cases) {
        json_t* json = parse(c.json);
        RemoteStream stream(nullptr, json);
        EXPECT_EQ(stream.center(), c.center) << c.json;
        EXPECT_EQ(stream.sampleRate(), c.sr) << c.json;
        json_decref(json);
    }
}

TEST(ServerModelJson, ReparsingKeepsTextsAndTableSizes)
{
    json_t* first = parse(sourceJson("P1", "Channelizer"));
    SrvSource source(nullptr, first);
    json_decref(first);
    json_t* update =
        parse("{\"Ctype\":\"Other\",\"rates\":[{\"id\":\"0\",\"value\":\"1\"},{\"id\":\"1\",\"value\":"
              "\"2\"},{\"id\":\"2\",\"value\":\"3\"},{\"id\":\"3\",\"value\":\"4\"}],\"stages\":[]}");
    source.parse(update);
    json_decref(update);
    EXPECT_EQ(source.uid(), "P1");
    EXPECT_EQ(source.name(), "Src P1");
    EXPECT_EQ(source.kind(), 1);
    EXPECT_EQ(source.rates(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(source.getGainStageCount(), 2);
    EXPECT_EQ(source.center(), 0); // numbers missing from a reply read as 0
}

TEST_F(ServerModelTest, GainIsClampedToTheStageAndSentWithOneDecimal)
{
    withKey();
    std::string uid = uniqueName("G");
    json_t* json = parse(sourceJson(uid, "Channelizer"));
    SrvServer srv(&client);
    SrvSource source(&srv, json);
    json_decref(json);
    server.setJsonReply("sources/" + uid + "/gain/*", sourceJson(uid, "Channelizer"));
    CommaLocale comma;

    struct Case
    {
        float value;
        int stage;
        const char* tail;
    };
    const Case cases[] = {{25.0f, 0, "/gain/0/20.0"},
                          {-1.0f, 0, "/gain/0/0.0"},
                          {12.34f, 0, "/gain/0/12.3"},
                          {9.0f, 3, "/gain/3/5.0"},
                          {-9.0f, 1, "/gain/1/-5.0"}};
    for (const Case& c : cases) {
        EXPECT_TRUE(source.setGain(c.value, c.stage));
        EXPECT_EQ(server.requests().back().path, "sources/" + uid + c.tail);
    }
    size_t sent = server.requests().size();
    EXPECT_FALSE(source.setGain(1.0f, -1));
    server.setReply("sources/" + uid + "/gain/*", fakeserver::Reply{200, "<html>"});
    EXPECT_FALSE(source.setGain(1.0f, 0));
    EXPECT_EQ(server.requests().size(), sent + 1);
}

TEST(ServerModelGain, SourceWithoutStagesSendsNothing)
{
    json_t* json = parse("{\"UID\":\"nostage\"}");
    SrvSource source(nullptr, json);
    json_decref(json);
    EXPECT_EQ(source.getGainStageCount(), 0);
    EXPECT_EQ(source.getGainStageName(0), "");
    EXPECT_EQ(source.getGainStageUnitName(1), "");
    EXPECT_DOUBLE_EQ(source.getMaxGainValue(0), 0.0);
    EXPECT_FALSE(source.setGain(3.0f, 0));
}

TEST_F(ServerModelTest, TuningClampsAndSendsMegahertzWithAPoint)
{
    RemoteStream& stream = keyedStream();
    const std::string& uid = streamUid;
    server.setJsonReply(tunePaths(), streamJson(uid, "any"));
    CommaLocale comma;

    struct Case
    {
        int64_t hz;
        const char* tail;
    };
    const Case cases[] = {{100000000, "/tune/144.000"},
                          {145800500, "/tune/145.800"},
                          {145812345, "/tune/145.812"},
                          {999000000, "/tune/146.000"}};
    for (const Case& c : cases) {
        EXPECT_TRUE(stream.tuneRequest(c.hz));
        EXPECT_EQ(server.requests().back().path, "streams/" + uid + c.tail);
    }
    EXPECT_EQ(stream.center(), 145800500); // from the reply

    server.setReply(tunePaths(), fakeserver::Reply{200, "refused"});
    testing::internal::CaptureStderr();
    EXPECT_FALSE(stream.tuneRequest(145000000));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("RemoteStream::tuneRequest() error refused"),
              std::string::npos);
}

// The window retunes a remote stream while the engine thread reads its rate and
// limits and the receivers' list its names: every read sees whole values
// (ThreadSanitizer watches this test), and the stream ends with the reply's.
TEST_F(ServerModelTest, RetuningWhileOtherThreadsReadTheStream)
{
    RemoteStream& stream = keyedStream();
    const std::string& uid = streamUid;
    server.setJsonReply(tunePaths(),
                        "{\"UID\":\"" + uid + "\",\"name\":\"Stream " + uid +
                            "\",\"source\":\"any\",\"center\":\"145.5\",\"fmin\":\"144\","
                            "\"fmax\":\"146\",\"sr\":\"96000\",\"max_users\":\"4\",\"subscribers\":\"2\"}");

    std::atomic<bool> tuning{true};
    std::atomic<int> reads{0}, unsound{0};
    std::thread engine([&] {
        while (tuning.load() || reads.load() == 0) {
            const int rate = stream.sampleRate();
            const bool sound = (rate == 48000 || rate == 96000) && stream.fmin() == 144000000 &&
                               stream.fmax() == 146000000 && stream.name() == "Stream " + uid &&
                               stream.source() == "any" && stream.key(false) == uid &&
                               stream.maxUsers() == 4 && stream.subscribers() >= 1 &&
                               !stream.isUserTemporary();
            if (!sound)
                ++unsound;
            ++reads;
        }
    });
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(stream.tuneRequest(145500000 + i * 1000));
    tuning = false;
    engine.join();
    EXPECT_EQ(unsound.load(), 0);
    EXPECT_EQ(stream.center(), 145500000);
    EXPECT_EQ(stream.sampleRate(), 96000);
    EXPECT_EQ(stream.subscribers(), 2);
}

// A tune reply whose centre or limits are not sound frequencies is a failure:
// the stream keeps its centre and limits, and later tunes still reach the band.
TEST_F(ServerModelTest, TuneReplyWithUnsoundNumbersChangesNothing)
{
    RemoteStream& stream = keyedStream();
    const char* replies[] = {
        "{\"center\":\"1e400\",\"fmin\":\"nan\",\"fmax\":\"-inf\"}",
        "{\"center\":\"145.8\",\"fmin\":\"144\",\"fmax\":\"inf\"}",
        "{\"center\":\"145.8\",\"fmin\":\"146\",\"fmax\":\"144\"}",
        "{\"center\":\"-145.8\",\"fmin\":\"144\",\"fmax\":\"146\"}",
        "{\"center\":\"1e7\",\"fmin\":\"144\",\"fmax\":\"1e8\"}",
        "{\"center\":\"145.8\",\"fmin\":\"144\"}",
        "{\"center\":145.8,\"fmin\":\"144\",\"fmax\":\"146\"}",
    };
    for (const char* reply : replies) {
        SCOPED_TRACE(reply);
        server.setJsonReply(tunePaths(), reply);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(stream.tuneRequest(145500000));
        EXPECT_NE(testing::internal::GetCapturedStderr().find("RemoteStream::tuneRequest() error"),
                  std::string::npos);
        EXPECT_EQ(stream.center(), 145800500);
        EXPECT_EQ(stream.fmin(), 144000000);
        EXPECT_EQ(stream.fmax(), 146000000);
    }
    server.setJsonReply(tunePaths(), streamJson(streamUid, "any"));
    EXPECT_TRUE(stream.tuneRequest(145500000));
    EXPECT_EQ(server.requests().back().path, "streams/" + streamUid + "/tune/145.500");
}

// A tune reply describes the stream again; a member it lacks keeps the value
// the stream had, and a rate that is given must be one: a running stream
// never takes rate 0.
TEST_F(ServerModelTest, TuneReplyLackingAMemberKeepsItsValue)
{
    RemoteStream& stream = keyedStream();
    const std::string limits = "\"fmin\":\"144\",\"fmax\":\"146\"";
    struct Case
    {
        std::string reply;
        bool accepted;
        int64_t center;
        int rate;
    };
    const Case cases[] = {
        {"{\"center\":\"145.5\"," + limits + "}", true, 145500000, 48000},
        {"{\"center\":\"145.6\"," + limits + ",\"sr\":96000}", true, 145600000, 48000},
        {"{\"center\":\"145.7\"," + limits + ",\"sr\":\"96000\"}", true, 145700000, 96000},
        {"{\"center\":\"145.1\"," + limits + ",\"sr\":\"0\"}", false, 145700000, 96000},
        {"{\"center\":\"145.1\"," + limits + ",\"sr\":\"-48000\"}", false, 145700000, 96000},
        {"{\"center\":\"145.1\"," + limits + ",\"sr\":\"none\"}", false, 145700000, 96000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        server.setJsonReply(tunePaths(), c.reply);
        testing::internal::CaptureStderr();
        EXPECT_EQ(stream.tuneRequest(145100000), c.accepted);
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(errors.find("RemoteStream::tuneRequest() error") != std::string::npos, !c.accepted);
        EXPECT_EQ(stream.center(), c.center);
        EXPECT_EQ(stream.sampleRate(), c.rate);
        EXPECT_EQ(stream.name(), "Stream " + streamUid);
        EXPECT_EQ(stream.maxUsers(), 4);
        EXPECT_EQ(stream.subscribers(), 1);
    }
}
