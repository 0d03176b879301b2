// The I/Q and spectrum streaming threads against the fake server: frames
// arriving in paced pieces, the thread states, and bounded stops.
#include "SrvTestSupport.h"

#include "tests/fixtures/fakeserver/FrameBuilder.h"

#include "srvlib/CurlGlobal.h"
#include "srvlib/RemoteStream.h"
#include "srvlib/SrvHttpClient.h"
#include "srvlib/SrvServer.h"
#include "srvlib/SrvSource.h"
#include "srvlib/SrvSpectrumReader.h"
#include "srvlib/StreamFrameParser.h"
#include "srvlib/StreamTransfer.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <gtest/gtest.h>
#include <mutex>

using namespace fakeserver;

namespace {

// A stop must be seen within about a second even when nothing arrives.

struct SampleCounter
{
    std::mutex lock;
    std::vector<int> counts;
    std::vector<int64_t> centres;

    static int onIQ(int count, std::complex<float>* samples, remote_rf_context*, void* user)
    {
        std::free(samples);
        auto* self = static_cast<SampleCounter*>(user);
        std::lock_guard<std::mutex> guard(self->lock);
        self->counts.push_back(count);
        return 1;
    }
    static int onSpectrum(int count, float* values, remote_rf_context*, void* user)
    {
        return onIQ(count, reinterpret_cast<std::complex<float>*>(values), nullptr, user);
    }
    static int onContext(remote_rf_context* context, void* user)
    {
        auto* self = static_cast<SampleCounter*>(user);
        std::lock_guard<std::mutex> guard(self->lock);
        self->centres.push_back(context->rx_center);
        return 1;
    }
    size_t frames()
    {
        std::lock_guard<std::mutex> guard(lock);
        return counts.size();
    }
};

std::string paddedFrame(int samples, int64_t marker, int64_t centre)
{
    FrameFields fields;
    fields.payload = floatPairs(std::vector<std::complex<float>>(size_t(samples), {0.5f, 0.5f}));
    fields.hasTrailer = true;
    fields.trailer.marker = marker;
    fields.trailer.centerHz = centre;
    return buildFrame(fields);
}

class StreamThreadsTest : public ::testing::Test
{
protected:
    FakeServer server;
    SrvHttpClient client{server.host(), server.port()};
    SrvServer srvServer{&client};
    std::string uid = uniqueName("IQ");
    std::string rawPath = "streams/" + uid + "/raw";

    std::unique_ptr<RemoteStream> makeStream()
    {
        json_t* json = json_pack("{s:s, s:s}", "UID", uid.c_str(), "source", "C");
        auto stream = std::make_unique<RemoteStream>(&srvServer, json);
        json_decref(json);
        return stream;
    }
    bool finished(RemoteStream& stream, int ms = kStopBoundMs)
    {
        return waitFor([&] { return stream.currentState() == RemoteStream::Finished; }, ms);
    }
};

} // namespace

TEST_F(StreamThreadsTest, SealedStreamDeliversPacedPiecesAndEndsOnStop)
{
    ASSERT_TRUE(client.setServerKey(server.publicKeyText()));
    std::string frames =
        paddedFrame(10, 1, 145800000) + paddedFrame(20, 1, 145800000) + paddedFrame(30, 2, 3000000000LL);
    StreamScript script;
    script.pieces = splitAt(frames, {3, 47, 49, 120, 200, 201});
    script.paceMs = 15;
    script.holdOpen = true;
    server.setStream(rawPath, script);

    auto stream = makeStream();
    SampleCounter counter;
    EXPECT_EQ(stream->currentState(), RemoteStream::Reset);
    ASSERT_TRUE(stream->start(SampleCounter::onIQ, &counter, SampleCounter::onContext, &counter));
    ASSERT_TRUE(waitFor([&] { return counter.frames() == 3; }));
    EXPECT_TRUE(stream->isReceiving());
    EXPECT_EQ(stream->wantedState(), RemoteStream::Receiving);
    EXPECT_EQ(counter.counts, (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(counter.centres, (std::vector<int64_t>{145800000, 3000000000LL}));

    stream->stop();
    EXPECT_TRUE(finished(*stream));
    EXPECT_EQ(stream->wantedState(), RemoteStream::Reset);
    std::vector<std::string> expected{rawPath, "streams/" + uid + "/stop"};
    EXPECT_EQ(server.paths(), expected);
    EXPECT_TRUE(server.requests()[0].sealed);
    EXPECT_EQ(server.requests()[0].userAgentLine, "User-Agent:  Orvex 1.0");
}

TEST_F(StreamThreadsTest, PlainStreamIsAGetBelowApi)
{
    StreamScript script;
    script.pieces = {paddedFrame(4, 0, 0)};
    server.setStream(rawPath, script);
    auto stream = makeStream();
    SampleCounter counter;
    ASSERT_TRUE(stream->start(SampleCounter::onIQ, &counter, nullptr, nullptr));
    EXPECT_TRUE(finished(*stream)); // the server ends the transfer
    EXPECT_EQ(counter.counts, std::vector<int>{4});
    EXPECT_EQ(server.requests()[0].method, "GET");
    EXPECT_EQ(server.requests()[0].target, "/api/" + rawPath);
}

TEST_F(StreamThreadsTest, BadMagicOrErrorStatusEndsTheThread)
{
    FrameFields bad;
    bad.magic = 1809;
    bad.payload = floatPairs({{1.0f, 1.0f}});
    StreamScript badMagic;
    badMagic.pieces = {paddedFrame(2, 0, 0), buildFrame(bad), paddedFrame(2, 0, 0)};
    badMagic.holdOpen = true;
    StreamScript refused;
    refused.status = 403;
    refused.pieces = {std::string(200, 'x')};
    refused.holdOpen = true;

    for (const StreamScript& script : {badMagic, refused}) {
        server.setStream(rawPath, script);
        auto stream = makeStream();
        SampleCounter counter;
        testing::internal::CaptureStderr();
        ASSERT_TRUE(stream->start(SampleCounter::onIQ, &counter, nullptr, nullptr));
        EXPECT_TRUE(finished(*stream));
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(counter.frames(), script.status == 200 ? 1u : 0u);
    }
}

TEST_F(StreamThreadsTest, StopAndDestructionOfAnIdleStreamAreBounded)
{
    StreamScript idle;
    idle.holdOpen = true; // sends nothing, and ignores the stop request
    server.setStream(rawPath, idle);
    server.setJsonReply("streams/" + uid + "/stop", "{}");

    auto stream = makeStream();
    ASSERT_TRUE(stream->start(nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(server.waitForOpenStream(rawPath, kWaitBoundMs));
    EXPECT_LT(elapsedMs([&] {
                  stream->stop();
                  EXPECT_TRUE(finished(*stream));
              }),
              kStopBoundMs);

    // Restarting joins the previous thread first; destruction stops and joins.
    auto openedTransfers = [&](int count) {
        return waitFor(
            [&] { return server.countPath(rawPath) == count && server.openStreamCount(rawPath) == 1; });
    };
    ASSERT_TRUE(stream->start(nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(openedTransfers(2));
    EXPECT_LT(elapsedMs([&] { ASSERT_TRUE(stream->start(nullptr, nullptr, nullptr, nullptr)); }),
              kStopBoundMs + 2000);
    ASSERT_TRUE(openedTransfers(3));
    EXPECT_LT(elapsedMs([&] { stream.reset(); }), kStopBoundMs);
    EXPECT_TRUE(waitFor([&] { return server.openStreamCount(rawPath) == 0; }));
}

// A stop while data flows, or while the transfer idles, leaves no thread behind.
TEST_F(StreamThreadsTest, StopDuringAStreamLeavesNoThread)
{
    StreamScript flowing;
    flowing.pieces = {paddedFrame(8, 1, 145800000)};
    flowing.keepAlive = paddedFrame(8, 1, 145800000);
    flowing.keepAliveMs = 5;
    flowing.holdOpen = true;
    StreamScript idle;
    idle.holdOpen = true;
    for (const StreamScript& script : {flowing, idle}) {
        server.setStream(rawPath, script);
        auto stream = makeStream();
        SampleCounter counter;
        ASSERT_TRUE(stream->start(SampleCounter::onIQ, &counter, nullptr, nullptr));
        ASSERT_TRUE(server.waitForOpenStream(rawPath, kWaitBoundMs));
        EXPECT_EQ(threadsNamed("stream_thread"), 1);
        stream->stop();
        stream->join();
        EXPECT_EQ(stream->currentState(), RemoteStream::Finished);
        EXPECT_TRUE(waitFor([&] { return threadsNamed("stream_thread") == 0; }));
        // The server has seen this transfer close, so the next case's open
        // transfer is that case's own.
        EXPECT_TRUE(waitFor([&] { return server.openStreamCount(rawPath) == 0; }));
    }
}

// Redirects are followed a few times at most: a server that redirects a
// stream to itself ends the transfer instead of being asked again and again.
TEST_F(StreamThreadsTest, RedirectLoopEndsTheStream)
{
    const struct
    {
        const char* what;
        bool sealed;
        std::string location;
    } cases[] = {{"plain", false, "/api/" + rawPath}, {"sealed", true, "/"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.sealed)
            ASSERT_TRUE(client.setServerKey(server.publicKeyText()));
        server.clearLog();
        server.setReply(rawPath, Reply{302, "", 0, "Location: " + c.location + "\r\n"});
        auto stream = makeStream();
        testing::internal::CaptureStderr();
        ASSERT_TRUE(stream->start(nullptr, nullptr, nullptr, nullptr));
        EXPECT_TRUE(finished(*stream));
        std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(errors.find("code 302"), std::string::npos) << errors;
        EXPECT_EQ(server.countPath(rawPath), 1 + int(kMaxStreamRedirects));
    }
}

TEST_F(StreamThreadsTest, StopDuringStartIsKept)
{
    StreamScript idle;
    idle.holdOpen = true;
    server.setStream(rawPath, idle);
    auto stream = makeStream();
    ASSERT_TRUE(stream->start(nullptr, nullptr, nullptr, nullptr));
    stream->stop();
    EXPECT_TRUE(finished(*stream));
}

TEST(StreamThreadsUnreachable, UnreachableServerEndsTheThreadAtOnce)
{
    int port;
    {
        FakeServer gone;
        port = gone.port();
    }
    SrvHttpClient client("127.0.0.1", port);
    SrvServer srv(&client);
    json_t* json = json_pack("{s:s}", "UID", "nowhere");
    RemoteStream stream(&srv, json);
    json_decref(json);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(stream.start(nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(waitFor([&] { return stream.currentState() == RemoteStream::Finished; }));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("unable to request stream"), std::string::npos);
}

TEST_F(StreamThreadsTest, SpectrumReaderDeliversLinesAndStopsWhenIdle)
{
    ASSERT_TRUE(client.setServerKey(server.publicKeyText()));
    std::string sourceUid = uniqueName("Spectrum");
    json_t* json = json_pack("{s:s}", "UID", sourceUid.c_str());
    SrvSource source(&srvServer, json);
    json_decref(json);
    std::string path = "sources/" + sourceUid + "/spectrum";
    StreamScript script;
    script.pieces = splitEvery(spectrumFrame(std::string(512, '\x80'), -120.0f, -20.0f) +
                                   spectrumFrame(std::string(256, '\x10'), -120.0f, -20.0f),
                               100);
    script.paceMs = 5;
    script.holdOpen = true;
    server.setStream(path, script);

    SampleCounter counter;
    auto reader = std::make_unique<SrvSpectrumReader>(&source);
    reader->start(SampleCounter::onSpectrum, &counter, nullptr, nullptr);
    EXPECT_TRUE(reader->isRunning());
    ASSERT_TRUE(waitFor([&] { return counter.frames() == 2; }));
    EXPECT_EQ(counter.counts, (std::vector<int>{512, 256}));
    EXPECT_TRUE(server.requests()[0].sealed);
    EXPECT_EQ(server.requests()[0].path, path);

    reader->requestStop();
    EXPECT_TRUE(waitFor([&] { return !reader->isRunning(); }, kStopBoundMs));

    // Destruction while a new transfer idles is bounded too.
    reader->start(nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(waitFor([&] { return server.countPath(path) == 2; }));
    EXPECT_LT(elapsedMs([&] { reader.reset(); }), kStopBoundMs);
}

TEST_F(StreamThreadsTest, EndingAndFinishedStatesOfTheStream)
{
    // The stream's thread waits in the I/Q callback until the test lets it go.
    struct HeldCallback
    {
        std::atomic<bool> entered{false};
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        static int onIQ(int, std::complex<float>* samples, remote_rf_context*, void* user)
        {
            std::free(samples);
            auto* self = static_cast<HeldCallback*>(user);
            self->entered = true;
            self->released.wait_for(std::chrono::milliseconds(kWaitBoundMs));
            return 1;
        }
    };
    StreamScript oneFrame;
    oneFrame.pieces = {paddedFrame(4, 0, 0)};
    oneFrame.holdOpen = true;
    server.setStream(rawPath, oneFrame);
    server.setJsonReply("streams/" + uid + "/stop", "{}"); // the server leaves the transfer open

    // Marked finished before it ever ran: nothing else happens.
    auto stream = makeStream();
    EXPECT_FALSE(stream->isEnding());
    stream->markFinished();
    EXPECT_EQ(stream->currentState(), RemoteStream::Finished);
    EXPECT_EQ(stream->wantedState(), RemoteStream::Reset);
    EXPECT_TRUE(server.requests().empty());

    // A stop makes the stream ending at once, before its thread has returned.
    HeldCallback held;
    ASSERT_TRUE(stream->start(HeldCallback::onIQ, &held, nullptr, nullptr));
    ASSERT_TRUE(waitFor([&] { return held.entered.load(); }));
    EXPECT_FALSE(stream->isEnding());
    stream->stop();
    EXPECT_TRUE(stream->isEnding());
    held.release.set_value();
    EXPECT_TRUE(waitFor([&] { return threadsNamed("stream_thread") == 0; }, kStopBoundMs));
    EXPECT_EQ(stream->currentState(), RemoteStream::Finished);
    EXPECT_FALSE(stream->isEnding());

    // Marked finished while receiving: the thread ends as well, and the
    // stream starts again afterwards.
    ASSERT_TRUE(stream->start(nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(waitFor([&] { return stream->isReceiving(); }));
    stream->markFinished();
    EXPECT_TRUE(waitFor([&] { return threadsNamed("stream_thread") == 0; }, kStopBoundMs));
    EXPECT_EQ(stream->currentState(), RemoteStream::Finished);
    EXPECT_EQ(stream->wantedState(), RemoteStream::Reset);
    ASSERT_TRUE(stream->start(nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(waitFor([&] { return stream->isReceiving(); }));
}

TEST_F(StreamThreadsTest, ASpectrumReaderWhoseRunningFlagWasClearedIsStillStopped)
{
    std::string sourceUid = uniqueName("Cleared");
    json_t* json = json_pack("{s:s}", "UID", sourceUid.c_str());
    SrvSource source(&srvServer, json);
    json_decref(json);
    const std::string path = "sources/" + sourceUid + "/spectrum";
    StreamScript idle;
    idle.holdOpen = true;
    server.setStream(path, idle);

    auto reader = std::make_unique<SrvSpectrumReader>(&source);
    reader->start(nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(server.waitForOpenStream(path, kWaitBoundMs));
    reader->clearRunning();
    EXPECT_FALSE(reader->isRunning());
    // A new start and the destruction stop and join the transfer all the same.
    reader->start(nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(reader->isRunning());
    ASSERT_TRUE(waitFor([&] { return server.countPath(path) == 2 && server.openStreamCount(path) == 1; }));
    reader->clearRunning();
    reader.reset();
    EXPECT_EQ(threadsNamed("spectrum_thread"), 0);
    EXPECT_TRUE(waitFor([&] { return server.openStreamCount(path) == 0; }));
}

// What each streaming thread prints when its transfer fails: the I/Q thread
// names the base URL and the status, the other two only the path.
TEST(StreamTransferErrors, EachThreadPrintsItsOwnLines)
{
    FakeServer server; // answers 404 "not found" to these paths
    int gonePort;
    {
        FakeServer gone;
        gonePort = gone.port();
    }
    const struct
    {
        StreamKind kind;
        const char* thread;
        std::string path;
    } streams[] = {{StreamKind::IQ, "stream_thread", "streams/E1/raw"},
                   {StreamKind::Spectrum, "spectrum_thread", "sources/E2/spectrum"},
                   {StreamKind::Session, "srvstream_thread", "sessions/datas"}};
    const auto splitLines = [](const std::string& text) {
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    };
    for (const auto& s : streams) {
        for (bool reachable : {false, true}) {
            SCOPED_TRACE(std::string(s.thread) + (reachable ? " 404" : " unreachable"));
            SrvHttpClient client("127.0.0.1", reachable ? server.port() : gonePort);
            ASSERT_TRUE(client.setServerKey(server.publicKeyText()));
            StreamFrameParser parser(s.kind, StreamHandlers{});
            testing::internal::CaptureStderr();
            EXPECT_FALSE(runStreamTransfer(client, s.path, true, parser, StreamStopCheck{}, s.thread));
            const std::vector<std::string> lines = splitLines(testing::internal::GetCapturedStderr());

            if (reachable && s.kind == StreamKind::IQ) {
                EXPECT_EQ(lines,
                          (std::vector<std::string>{"error: server responded with code 404", "No error"}));
                continue;
            }
            // Unreachable, or an error page that the others refuse as frames.
            const std::string tag = "[" + std::string(s.thread) + "] : ";
            const std::string first =
                "error[" + std::string(s.thread) + "]: unable to request stream from " + s.path;
            ASSERT_EQ(lines.size(), s.kind == StreamKind::IQ ? 3u : 2u);
            EXPECT_EQ(lines[0],
                      s.kind == StreamKind::IQ ? first + " @ " + client.baseUrl() + ":" : first + ":");
            ASSERT_EQ(lines[1].rfind(tag, 0), 0u) << lines[1];
            EXPECT_GT(lines[1].size(), tag.size());
            if (s.kind == StreamKind::IQ)
                EXPECT_EQ(lines[2], lines[1].substr(tag.size()));
        }
    }
}
