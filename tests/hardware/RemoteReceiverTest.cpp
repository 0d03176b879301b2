// The remote receiver back-end against the fake server: what it reports, the
// requests tuning and gains make, gathering samples, the radio context, and
// bounded starts, fetches and stops.
#include "RemoteTestServer.h"

#include "tests/fixtures/fakeserver/FrameBuilder.h"

#include "QueuedSpy.h"
#include "TempWorkDir.h"
#include "WaitFor.h"
#include "core/AntennaSystem.h"
#include "hardware/RemoteReceiverHardware.h"
#include "map/geo/GeoTools.h"
#include "srvlib/RemoteStream.h"
#include "srvlib/SrvRegistry.h"
#include "srvlib/SrvServer.h"
#include "srvlib/SrvSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>

using namespace fakeserver;

namespace {

std::complex<float>* newBlock(int count, float value = 0.25f)
{
    auto* block = static_cast<std::complex<float>*>(std::malloc(sizeof(std::complex<float>) * size_t(count)));
    for (int i = 0; i < count; ++i)
        block[i] = {value, -value};
    return block;
}

std::string contextFrame(int samples, int64_t marker, int64_t centre, float longitude, float latitude,
                         float azimuth)
{
    FrameFields fields;
    fields.payload = floatPairs(std::vector<std::complex<float>>(size_t(samples), {0.5f, -0.5f}));
    fields.hasTrailer = true;
    fields.trailer.marker = marker;
    fields.trailer.centerHz = centre;
    fields.trailer.rate = 48000;
    fields.trailer.longitude = longitude;
    fields.trailer.latitude = latitude;
    fields.trailer.azimuth = azimuth;
    return buildFrame(fields);
}

class RemoteReceiverTest : public ::testing::Test
{
protected:
    TempWorkDir work; // settings the antenna orientation reads
    RemoteTestServer server;
    SrvServer* srv = server.connect();
    std::unique_ptr<RemoteReceiverHardware> receiver =
        std::make_unique<RemoteReceiverHardware>(findStream(server.streamUids[0]));

    // A stream of frames held open after them, with a keep-alive frame so that
    // a receiver sees data as long as the transfer lasts.
    void scriptHeldStream(const std::string& frames)
    {
        StreamScript script;
        script.pieces = {frames};
        script.holdOpen = true;
        script.keepAlive = iqFrame(std::vector<std::complex<float>>(1024, {0.1f, 0.1f}));
        script.keepAliveMs = 20;
        server.peer.setStream(server.rawPath(), script);
    }
};

} // namespace

TEST_F(RemoteReceiverTest, ReportsTheStreamAndItsSourceAsAReceiver)
{
    EXPECT_EQ(receiver->getType(), ReceiverHardware::Orvex_Remote);
    EXPECT_STREQ(receiver->getHardwareName(), "Canal 2m");
    EXPECT_EQ(receiver->server(), srv);
    EXPECT_EQ(receiver->key(), server.streamUids[0]);
    EXPECT_EQ(receiver->getBoardCount(), 1);
    EXPECT_EQ(receiver->doCalibrate(), 1);
    EXPECT_EQ(receiver->getSampleRateCount(), 1);
    EXPECT_EQ(receiver->getPreferredSampleRate(), 48000);
    EXPECT_EQ(receiver->setRxSampleRate(96000), 0);
    EXPECT_EQ(receiver->getActualRxSampleRate(), 48000);
    EXPECT_EQ(receiver->getActualRxHWFilter(), 48000);
    EXPECT_EQ(receiver->setRxHWFilterBW(12000), 12000);
    EXPECT_EQ(receiver->getActualRxHWFilter(), 12000);
    EXPECT_EQ(receiver->getMin_HWRx_CenterFreq(), 144000000);
    EXPECT_EQ(receiver->getMax_HWRx_CenterFreq(), 146000000);
    EXPECT_EQ(receiver->getRxCenterFreq(), 145800000);
    EXPECT_EQ(receiver->getRxGainStageCount(), 2);
    EXPECT_EQ(receiver->getRxGainStageName(1), "IF");
    EXPECT_EQ(receiver->getRxGainStageUnitName(0), "dB");
    EXPECT_FLOAT_EQ(receiver->getRxGainValue(0), 10.5f);
    EXPECT_FLOAT_EQ(receiver->getMinGainValue(1), -5.0f);
    EXPECT_FLOAT_EQ(receiver->getMaxGainValue(0), 20.0f);
    EXPECT_EQ(receiver->getRxGainStageType(0), 0);
    EXPECT_EQ(receiver->getGainDiscreteValuesCount(0), 0);
    float i = 7, q = 8, c = 9;
    receiver->getIQCorrectionFactors(&i, &q, &c);
    EXPECT_EQ(std::vector<float>({i, q, c}), std::vector<float>({7, 8, 9}));
    EXPECT_EQ(receiver->getDisplayWidget(), nullptr);
}

TEST_F(RemoteReceiverTest, WithoutARegisteredStreamItIsAnInvalidReceiver)
{
    RemoteReceiverHardware orphan(srv->client(), QStringLiteral("no-such-stream"));
    EXPECT_STREQ(orphan.getHardwareName(), "INVALID");
    EXPECT_EQ(orphan.getBoardCount(), 0);
    EXPECT_EQ(orphan.getSampleRateCount(), 0);
    EXPECT_EQ(orphan.getRxGainStageName(0), "?");
    EXPECT_EQ(orphan.setRxCenterFreq(145000000), 0);
    EXPECT_EQ(orphan.getRxCenterFreq(), 0);
    EXPECT_EQ(orphan.prepareRXEngine(), 0);
}

TEST_F(RemoteReceiverTest, TuningAndGainsBecomeServerRequests)
{
    server.peer.clearLog();
    const std::string tunePath = "streams/" + server.streamUids[0] + "/tune/145.900";
    server.peer.setJsonReply(tunePath,
                             server.streamJson(server.streamUids[0], server.channelizerUid, 145900000));
    EXPECT_EQ(receiver->setRxCenterFreq(145900000), 1);
    EXPECT_EQ(receiver->getRxCenterFreq(), 145900000);

    // Outside the stream's range the request is clamped; a reply that is not
    // JSON is a refusal.
    server.peer.setReply("streams/" + server.streamUids[0] + "/tune/146.000", Reply{200, "busy"});
    EXPECT_EQ(receiver->setRxCenterFreq(150000000), 0);
    EXPECT_EQ(receiver->getRxCenterFreq(), 145900000);

    server.peer.setJsonReply("sources/" + server.channelizerUid + "/gain/*",
                             "{\"UID\":\"" + server.channelizerUid + "\"}");
    EXPECT_EQ(receiver->setRxGain(12.5f, 0), 1);
    EXPECT_EQ(receiver->setRxGain(99.0f, 1), 1);

    std::vector<std::string> expected{tunePath, "streams/" + server.streamUids[0] + "/tune/146.000",
                                      "sources/" + server.channelizerUid + "/gain/0/12.5",
                                      "sources/" + server.channelizerUid + "/gain/1/5.0"};
    EXPECT_EQ(server.peer.paths(), expected);
}

TEST_F(RemoteReceiverTest, FetchGathersWholeBlocksAndGrowsTheBuffer)
{
    struct Case
    {
        int blockSize;
        int blocksQueued;
        int expected;
    };
    for (const Case& c : {Case{1024, 4, 4096}, Case{3000, 2, 6000}, Case{5000, 1, 5000}}) {
        for (int i = 0; i < c.blocksQueued; ++i)
            receiver->streamCallBack(newBlock(c.blockSize, float(i + 1)), c.blockSize);
        int count = -1;
        auto* samples = static_cast<std::complex<float>*>(receiver->getRXSamples(4, &count));
        ASSERT_NE(samples, nullptr) << c.blockSize;
        EXPECT_EQ(count, c.expected) << c.blockSize;
        // Blocks keep their order and are never split.
        EXPECT_EQ(samples[0].real(), 1.0f);
        EXPECT_EQ(samples[count - 1].real(), float(c.blocksQueued));
        std::free(samples);
        EXPECT_EQ(receiver->queuedBlocks(), 0);
    }
}

TEST_F(RemoteReceiverTest, FetchOnAStreamThatNeverStartedGivesNothingAtOnce)
{
    int count = -1;
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(receiver->getRXSamples(4, &count), nullptr);
    EXPECT_EQ(count, 0);
    // Not after waiting for data: a wait would have taken the whole fetch bound.
    EXPECT_LT(timer.elapsed(), RemoteReceiverHardware::FetchTimeoutMs);
    EXPECT_EQ(receiver->getRXSamples(0, &count), nullptr);
}

TEST_F(RemoteReceiverTest, AFullQueueDropsTheNewBlock)
{
    for (int i = 0; i < 205; ++i)
        receiver->streamCallBack(newBlock(16), 16);
    EXPECT_EQ(receiver->queuedBlocks(), 201);
}

TEST_F(RemoteReceiverTest, RadioContextIsPassedOnOnlyWhenItChanges)
{
    qRegisterMetaType<qlonglong>("qlonglong");
    QSignalSpy retuned(receiver.get(), &RemoteReceiverHardware::RemoteWasRetuned);
    GeoTools& geo = GeoTools::instance();
    AntennaSystem* antenna = AntennaSystem::instance();
    RemoteStream* stream = findStream(server.streamUids[0]);

    remote_rf_context context{};
    context.marker = 1;
    context.rx_center = 3000000000LL; // above 2^31: kept whole
    context.rate = 48000.7f;
    context.longitude = -1.5f;
    context.latitude = 48.25f;
    context.azimuth = 120.0f;
    receiver->rfContextCallBack(&context);
    ASSERT_EQ(retuned.count(), 1);
    EXPECT_EQ(retuned.at(0).at(0).toLongLong(), 3000000000LL);
    EXPECT_EQ(retuned.at(0).at(1).toInt(), 48000);
    EXPECT_EQ(stream->center(), 3000000000LL);
    EXPECT_NEAR(geo.getStationPosition().latitude(), 48.25, 1e-6);
    EXPECT_NEAR(geo.getStationPosition().longitude(), -1.5, 1e-6);
    const float azimuth = antenna->getAzimuth();

    // Same marker: nothing, even with other values.
    context.rx_center = 1000;
    context.latitude = 10.0f;
    receiver->rfContextCallBack(&context);
    EXPECT_EQ(retuned.count(), 1);
    EXPECT_NEAR(geo.getStationPosition().latitude(), 48.25, 1e-6);

    // New marker, a move below 0.01 degree and an azimuth exactly 1 degree
    // off: nothing passed on, but the copy is replaced.
    context.marker = 2;
    context.rx_center = 3000000000LL;
    context.latitude = 48.255f;
    context.azimuth = azimuth + 1.0f;
    receiver->rfContextCallBack(&context);
    EXPECT_EQ(retuned.count(), 1);
    EXPECT_NEAR(geo.getStationPosition().latitude(), 48.25, 1e-6);
    EXPECT_FLOAT_EQ(antenna->getAzimuth(), azimuth);

    // A real move of all three.
    context.marker = 3;
    context.rx_center = 145850000;
    context.rate = std::numeric_limits<float>::quiet_NaN(); // rate unknown
    context.latitude = 48.5f;
    context.azimuth = azimuth + 30.0f;
    receiver->rfContextCallBack(&context);
    ASSERT_EQ(retuned.count(), 2);
    EXPECT_EQ(retuned.at(1).at(0).toLongLong(), 145850000);
    EXPECT_EQ(retuned.at(1).at(1).toInt(), 0);
    EXPECT_EQ(stream->center(), 145850000);
    EXPECT_NEAR(geo.getStationPosition().latitude(), 48.5, 1e-6);
    EXPECT_NEAR(antenna->getAzimuth(), azimuth + 30.0f, 0.3f);
}

TEST_F(RemoteReceiverTest, StreamsFromTheServerUntilFinalized)
{
    scriptHeldStream(contextFrame(1024, 7, 145810000, 2.35f, 48.85f, 45.0f) +
                     contextFrame(1024, 7, 145810000, 2.35f, 48.85f, 45.0f));
    qRegisterMetaType<qlonglong>("qlonglong");
    QueuedSpy retuned(receiver.get(), &RemoteReceiverHardware::RemoteWasRetuned); // on the stream thread

    ASSERT_EQ(receiver->prepareRXEngine(), 1);
    // A fetch returns what came within its own time limit: on a loaded
    // machine that may be less than asked, so fetch until it has all come.
    int total = 0;
    bool firstSampleRight = false;
    ASSERT_TRUE(waitFor([&] {
        int count = 0;
        auto* samples = static_cast<std::complex<float>*>(receiver->getRXSamples(8, &count));
        if (samples != nullptr && count > 0) {
            if (total == 0)
                firstSampleRight = samples[0] == std::complex<float>(0.5f, -0.5f);
            total += count;
        }
        std::free(samples);
        return total >= 8 * 1024;
    }));
    EXPECT_TRUE(firstSampleRight);
    ASSERT_TRUE(waitFor([&] { return retuned.count() > 0; }));
    QCoreApplication::processEvents();
    ASSERT_EQ(retuned.count(), 1);
    EXPECT_EQ(retuned.at(0).at(0).toLongLong(), 145810000);
    EXPECT_EQ(receiver->getRxCenterFreq(), 145810000);

    receiver->finalizeRXEngine();
    EXPECT_EQ(server.peer.countPath("streams/" + server.streamUids[0] + "/stop"), 1);
    EXPECT_EQ(findStream(server.streamUids[0])->currentState(), RemoteStream::Finished);

    // A new start works on the same receiver.
    ASSERT_EQ(receiver->prepareRXEngine(), 1);
    int count = 0;
    void* samples = receiver->getRXSamples(2, &count);
    EXPECT_NE(samples, nullptr);
    std::free(samples);
}

// The panels set the filter bandwidth on the GUI thread while the engine
// thread starts reception, fetches and reads it back: every read sees a whole
// value (ThreadSanitizer watches this test).
TEST_F(RemoteReceiverTest, FilterBandwidthCrossesToTheEngineThreadWhole)
{
    scriptHeldStream(contextFrame(1024, 1, 145800000, 0, 0, 0));
    const int widths[] = {12000, 24000};
    std::atomic<bool> engineDone{false};
    std::atomic<int> started{-1}, fetched{0}, unsound{0};
    std::unique_ptr<QThread> engine(QThread::create([&] {
        started = receiver->prepareRXEngine();
        for (int i = 0; i < 4; ++i) {
            int count = 0;
            std::free(receiver->getRXSamples(1, &count));
            fetched += count;
            const int width = receiver->getActualRxHWFilter();
            if (width != 48000 && width != widths[0] && width != widths[1])
                ++unsound;
        }
        receiver->finalizeRXEngine();
        engineDone = true;
    }));
    engine->start();
    for (int i = 0; !engineDone.load(); ++i) {
        EXPECT_EQ(receiver->setRxHWFilterBW(widths[i % 2]), widths[i % 2]);
        QThread::msleep(1);
    }
    ASSERT_TRUE(engine->wait(kWaitBoundMs));
    EXPECT_EQ(started.load(), 1);
    EXPECT_GT(fetched.load(), 0);
    EXPECT_EQ(unsound.load(), 0);
    receiver->setRxHWFilterBW(widths[0]);
    EXPECT_EQ(receiver->getActualRxHWFilter(), widths[0]);
}

TEST_F(RemoteReceiverTest, AnUnreachableServerFailsTheStartWithinTheBound)
{
    auto unreachable = std::make_unique<RemoteTestServer>();
    unreachable->connect();
    RemoteReceiverHardware remote(findStream(unreachable->streamUids[0]));
    unreachable.reset(); // the port closes

    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(remote.prepareRXEngine(), 0);
    EXPECT_LT(timer.elapsed(), RemoteReceiverHardware::StartTimeoutMs);
    int count = -1;
    EXPECT_EQ(remote.getRXSamples(4, &count), nullptr);
    EXPECT_EQ(count, 0);
}

TEST_F(RemoteReceiverTest, AServerThatAnswersWithoutDataFailsTheStart)
{
    server.peer.setReply(server.rawPath(), Reply{404, "no"});
    EXPECT_EQ(receiver->prepareRXEngine(), 0);
}

TEST_F(RemoteReceiverTest, FetchEndsWhenTheStreamEndsOrFallsSilent)
{
    // The server sends six blocks and closes the transfer.
    StreamScript ending;
    for (int i = 0; i < 6; ++i)
        ending.pieces.push_back(iqFrame(std::vector<std::complex<float>>(1024, {0.2f, 0.2f})));
    server.peer.setStream(server.rawPath(), ending);
    ASSERT_EQ(receiver->prepareRXEngine(), 1);
    int count = 0;
    QElapsedTimer timer;
    timer.start();
    void* samples = receiver->getRXSamples(16, &count);
    EXPECT_EQ(count, 6 * 1024);
    std::free(samples);
    EXPECT_EQ(receiver->getRXSamples(16, &count), nullptr);
    EXPECT_EQ(count, 0);
    // The end of the stream ends both fetches: waiting out their bounds would take twice the bound.
    EXPECT_LT(timer.elapsed(), 2 * RemoteReceiverHardware::FetchTimeoutMs);
    receiver->finalizeRXEngine();

    // Held open but silent after one frame: a fetch gives up after its bound.
    StreamScript silent;
    silent.pieces = {iqFrame(std::vector<std::complex<float>>(1024, {0.2f, 0.2f}))};
    silent.holdOpen = true;
    server.peer.setStream(server.rawPath(), silent);
    ASSERT_EQ(receiver->prepareRXEngine(), 1);
    timer.restart();
    samples = receiver->getRXSamples(16, &count);
    EXPECT_EQ(count, 1024);
    std::free(samples);
    EXPECT_LT(timer.elapsed(), RemoteReceiverHardware::FetchTimeoutMs + kWaitBoundMs); // it gave up
}

TEST_F(RemoteReceiverTest, DestroyingAStreamingReceiverStopsItsThreadFirst)
{
    scriptHeldStream(contextFrame(1024, 1, 145800000, 0, 0, 0));
    ASSERT_EQ(receiver->prepareRXEngine(), 1);
    RemoteStream* stream = findStream(server.streamUids[0]);
    EXPECT_TRUE(stream->isReceiving());
    QElapsedTimer timer;
    timer.start();
    receiver.reset();
    EXPECT_LT(timer.elapsed(), RemoteReceiverHardware::StopTimeoutMs);
    EXPECT_EQ(stream->currentState(), RemoteStream::Finished);
}
