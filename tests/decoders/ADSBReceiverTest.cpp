// The ADS-B receiver: its settings, the tracks it keeps from the decoder's
// signals, what it tells the map and the log, its update rate, and its thread
// fed by a receiver.
#include "decoders/adsb/ADSBReceiver.h"
#include "AdsbTestSupport.h"
#include "ProgramLog.h"
#include "RegisteredPlugin.h"
#include "StubReceiverHardware.h"
#include "TempWorkDir.h"
#include "ThreadGate.h"
#include "WaitFor.h"
#include "core/ProgramSettings.h"
#include "core/QLogger.h"
#include "decoders/adsb/ADSBFeeder.h"
#include "decoders/adsb/ADSBPlugin.h"
#include "tests/fixtures/decoder_signals/ModeSTape.h"

#include <QFile>
#include <QMutex>
#include <QSettings>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace modesfixture;

namespace {

constexpr uint32_t kPlane = 0x3c6586;

QString readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void setLogTracks(const char* value)
{
    auto settings = ProgramSettings::open();
    settings->setValue("ADSB/log_adsb_messages", value);
}

// A receiver, its test clock and the decoder fed on the test's thread.
class ReceiverTest : public ::testing::Test
{
protected:
    ReceiverTest()
    {
        ProgramLog::capture();
    }

    void start(const char* logSetting)
    {
        setLogTracks(logSetting);
        receiver = std::make_unique<ADSBReceiver>();
        receiver->setClock(clock.function());
    }

    void feed(const Frame& f) { feedFrame(*receiver->modeSDecoder(), f); }
    void positionAt(double lat, double lon, int feet)
    {
        feed(airbornePosition(kPlane, lat, lon, feet, false));
        clock.advanceSeconds(0.5);
        feed(airbornePosition(kPlane, lat, lon, feet, true));
    }
    void tick() { QMetaObject::invokeMethod(receiver.get(), "SLOT_checkUpdates", Qt::DirectConnection); }
    QStringList logLines() const
    {
        return readFile(dir.file("record/adsb.dat")).split('\n', Qt::SkipEmptyParts);
    }

    TempWorkDir dir;
    TestClock clock;
    std::unique_ptr<ADSBReceiver> receiver;
};

} // namespace

TEST_F(ReceiverTest, LogSettingIsWrittenWhenMissing)
{
    receiver = std::make_unique<ADSBReceiver>();
    EXPECT_FALSE(receiver->logsTracks());
    QSettings written(dir.file("conf/vantor-sdr.conf"), QSettings::IniFormat);
    EXPECT_EQ(written.value("ADSB/log_adsb_messages").toString(), "false");
    EXPECT_FALSE(readFile(dir.file("logs/vantor-sdr.log")).contains("log_adsb_messages"));
}

TEST_F(ReceiverTest, LogSettingOnIsAnnouncedInTheLog)
{
    start("true");
    EXPECT_TRUE(receiver->logsTracks());
    EXPECT_TRUE(readFile(dir.file("logs/vantor-sdr.log"))
                    .contains("[Error] {kv3lab} log_adsb_messages set, recording ADSB to disk"));
}

TEST_F(ReceiverTest, AircraftReachMapAndLogOnlyOnceTheyHaveAPosition)
{
    start("true");
    QSignalSpy appeared(receiver.get(), &ADSBReceiver::SIG_aircraftAppeared);
    QSignalSpy moved(receiver.get(), &ADSBReceiver::SIG_aircraftMoved);

    feed(identification(kPlane, "DLH4AB"));
    feed(allCallReply(kPlane));
    feed(altitudeReply(kPlane, 12000)); // altitude alone: no position yet
    ASSERT_EQ(receiver->tracks().size(), 1);
    EXPECT_EQ(receiver->tracks().value(kPlane).altitude(), 12000);
    EXPECT_EQ(appeared.count(), 0);
    EXPECT_TRUE(logLines().isEmpty());

    positionAt(50.0331, 8.5706, 12025);
    ASSERT_EQ(appeared.count(), 1);
    const auto first = appeared.at(0).at(0).value<AircraftTrack>();
    EXPECT_EQ(first.address(), kPlane);
    EXPECT_NEAR(first.latitude(), 50.0331, 1e-3);
    EXPECT_NEAR(first.longitude(), 8.5706, 1e-3);
    EXPECT_EQ(first.flight(), "DLH4AB  ");
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines().at(0).contains(";3c6586;DLH4AB  ;50.033"));

    // The same odd report again: no log line, but the map hears of it.
    clock.advanceSeconds(0.5);
    feed(airbornePosition(kPlane, 50.0331, 8.5706, 12025, true));
    EXPECT_EQ(logLines().size(), 1);
    EXPECT_EQ(moved.count(), 1);
    clock.advanceSeconds(0.5);
    feed(airbornePosition(kPlane, 50.0400, 8.5800, 12025, true));
    EXPECT_EQ(logLines().size(), 2);
    feed(altitudeReply(kPlane, 12050)); // 25 ft
    EXPECT_EQ(logLines().size(), 3);
    EXPECT_EQ(appeared.count(), 1);
}

TEST_F(ReceiverTest, NothingIsLoggedWhenTheSettingIsOff)
{
    start("false");
    feed(allCallReply(kPlane));
    positionAt(48.35, 11.78, 3000);
    positionAt(48.36, 11.79, 3500);
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(ReceiverTest, SilentAircraftLeaveAndComeBackAsNew)
{
    start("false");
    QSignalSpy gone(receiver.get(), &ADSBReceiver::SIG_aircraftGone);
    QSignalSpy appeared(receiver.get(), &ADSBReceiver::SIG_aircraftAppeared);
    positionAt(40.64, -73.78, 2000);
    feed(allCallReply(0x111111)); // heard, never positioned
    clock.advanceSeconds(61);
    receiver->modeSDecoder()->removeStaleAircraft();
    EXPECT_TRUE(receiver->tracks().isEmpty());
    ASSERT_EQ(gone.count(), 1); // only the one the map showed
    EXPECT_EQ(gone.at(0).at(0).value<quint32>(), kPlane);

    positionAt(40.65, -73.77, 2500);
    EXPECT_EQ(receiver->tracks().size(), 1);
    EXPECT_EQ(appeared.count(), 2);
}

TEST_F(ReceiverTest, RateCountsEveryChangeBetweenReportsAndShowsOnTheDial)
{
    start("false");
    auto* plugin = new ADSBPlugin();
    RegisteredPlugin registered(plugin);
    EXPECT_EQ(plugin->name, "ADSB");
    EXPECT_TRUE(plugin->isHidden());
    QSignalSpy listUpdated(receiver.get(), &ADSBReceiver::SIG_listUpdated);

    feed(allCallReply(kPlane));        // new aircraft: 1 change
    feed(altitudeReply(kPlane, 1000)); // 2
    clock.ms += 333;
    tick();
    EXPECT_EQ(listUpdated.count(), 1);
    feed(altitudeReply(kPlane, 1100)); // 3
    clock.ms += 333;
    tick();
    clock.ms += 333;
    tick(); // nothing new: no list update
    EXPECT_EQ(listUpdated.count(), 2);
    EXPECT_EQ(receiver->updateRate(), 0.0f); // within the second: no report yet
    EXPECT_TRUE(plugin->isHidden());

    feed(altitudeReply(kPlane, 1200)); // 4
    feed(altitudeReply(kPlane, 1300)); // 5
    clock.ms += 251;                   // 1250 ms since the clock was set
    tick();
    const float expected = 0.5f * (5 * 1000.0f / 1250.0f);
    EXPECT_FLOAT_EQ(receiver->updateRate(), expected);
    EXPECT_FALSE(plugin->isHidden()); // a call on its own thread is direct
    EXPECT_NEAR(plugin->shownValue(), expected, 1e-4);

    clock.ms += 1001;
    tick(); // a second without changes halves the rate
    EXPECT_FLOAT_EQ(receiver->updateRate(), expected / 2);
}

namespace {

// An RTL-type receiver that plays a recording, then has nothing more to give.
class RecordingReceiver : public StubReceiverHardware
{
public:
    RecordingReceiver(std::string name, std::vector<float> iq, int prepareResult = 1)
        : StubReceiverHardware(std::move(name)), m_iq(std::move(iq)), m_prepareResult(prepareResult)
    {
    }

    int prepareRXEngine() override
    {
        ++prepared;
        return m_prepareResult;
    }
    int finalizeRXEngine() override
    {
        ++finalized;
        return 1;
    }
    int setRxSampleRate(int rate) override
    {
        sampleRate = rate;
        return 1;
    }
    int setRxCenterFreq(qint64 f) override
    {
        centre = f;
        return 1;
    }
    int setAutoGainMode() override
    {
        autoGain = true;
        return 1;
    }
    void* getRXSamples(int blocks, int* count) override
    {
        ++fetches;
        QMutexLocker locker(&m_lock);
        const size_t samples = std::min(size_t(blocks) * 1024, (m_iq.size() - m_next) / 2);
        *count = int(samples);
        if (samples == 0)
            return nullptr;
        auto* block = static_cast<float*>(std::malloc(samples * 2 * sizeof(float)));
        std::memcpy(block, m_iq.data() + m_next, samples * 2 * sizeof(float));
        m_next += samples * 2;
        return block;
    }

    std::atomic<int> prepared{0};
    std::atomic<int> finalized{0};
    std::atomic<int> fetches{0};
    int sampleRate = 0;
    qint64 centre = 0;
    bool autoGain = false;

private:
    QMutex m_lock;
    std::vector<float> m_iq;
    size_t m_next = 0;
    int m_prepareResult;
};

// One chunk of the feeder: an identification and a position pair of kPlane.
std::vector<float> recording()
{
    IqTape tape(ADSBFeeder::ChunkSamples);
    tape.addFrame(1000, identification(kPlane, "AFR1234"), 50);
    tape.addFrame(40000, airbornePosition(kPlane, 43.63, 1.37, 24000, false), 50);
    tape.addFrame(90000, airbornePosition(kPlane, 43.63, 1.37, 24000, true), 50);
    return tape.floats();
}

} // namespace

TEST_F(ReceiverTest, ThreadDecodesWhatTheReceiverDeliversAndStopsOnRequest)
{
    start("false");
    RecordingReceiver rtl("RTL2832U test", recording());
    receiver->setHardware(&rtl);
    EXPECT_TRUE(rtl.autoGain);
    EXPECT_EQ(rtl.sampleRate, 2000000);
    EXPECT_EQ(rtl.centre, 1090000000);

    std::vector<AircraftTrack> appeared; // filled on this thread, queued
    std::vector<quint32> gone;
    QObject context;
    QObject::connect(receiver.get(), &ADSBReceiver::SIG_aircraftAppeared, &context,
                     [&](const AircraftTrack& t) { appeared.push_back(t); });
    QObject::connect(receiver.get(), &ADSBReceiver::SIG_aircraftGone, &context,
                     [&](quint32 a) { gone.push_back(a); });
    receiver->startADSB();
    ASSERT_TRUE(waitFor([&] { return !appeared.empty(); }));
    EXPECT_EQ(appeared.front().flight(), "AFR1234 ");
    EXPECT_NEAR(appeared.front().latitude(), 43.63, 1e-3);
    EXPECT_EQ(appeared.front().altitude(), 24000);

    // No more traffic: the aircraft still goes after a minute.
    clock.advanceSeconds(61);
    ASSERT_TRUE(waitFor([&] { return !gone.empty(); }));
    EXPECT_EQ(gone.front(), kPlane);

    receiver->stopADSB();
    EXPECT_FALSE(receiver->isRunning());
    EXPECT_EQ(rtl.prepared.load(), 1);
    EXPECT_EQ(rtl.finalized.load(), 1);
    EXPECT_TRUE(receiver->tracks().isEmpty());
}

TEST_F(ReceiverTest, ThreadEndsAtOnceWithoutAUsableReceiver)
{
    struct Case
    {
        const char* name;
        int prepareResult;
        const char* logLine;
    };
    for (const Case c : {Case{"Synthetic", 1, "getHardwareName() != RTLSDR"},
                         Case{"RTLSDR #1", 0, "startAcquisition() error"}}) {
        start("false");
        RecordingReceiver hw(c.name, {}, c.prepareResult);
        receiver->setHardware(&hw);
        receiver->startADSB();
        ASSERT_TRUE(receiver->wait(20000)) << c.name;
        EXPECT_EQ(hw.fetches.load(), 0) << c.name;
        EXPECT_EQ(hw.finalized.load(), 0) << c.name;
        EXPECT_TRUE(readFile(dir.file("logs/vantor-sdr.log")).contains(c.logLine)) << c.name;
        receiver.reset();
    }
}

// A receiver thread held in the receiver (a fetch that does not come back) is
// waited for only so long, and said so; once the fetch comes back, it ends.
TEST_F(ReceiverTest, AStopWaitsOnlySoLongForAThreadHeldInTheReceiver)
{
    class HeldReceiver : public StubReceiverHardware
    {
    public:
        HeldReceiver() : StubReceiverHardware("RTL held") {}
        int prepareRXEngine() override { return 1; }
        void* getRXSamples(int, int* count) override
        {
            *count = 0;
            gate.pass();
            return nullptr;
        }
        ThreadGate gate;
    };
    start("false");
    HeldReceiver rtl;
    receiver->setHardware(&rtl);
    receiver->startADSB();
    ASSERT_TRUE(waitFor([&] { return rtl.gate.held() == 1; }));

    EXPECT_FALSE(receiver->stopADSB());
    EXPECT_EQ(rtl.gate.held(), 1) << "the stop waited until the fetch came back";
    EXPECT_TRUE(readFile(dir.file("logs/vantor-sdr.log"))
                    .contains("ADSBReceiver::stopADSB() the receiver thread did not end within"));
    rtl.gate.open();
    EXPECT_TRUE(waitFor([&] { return receiver->isFinished(); }));
    receiver.reset();
}

TEST_F(ReceiverTest, DestroyingARunningReceiverJoinsItsThread)
{
    start("false");
    RecordingReceiver rtl("RTL", {});
    receiver->setHardware(&rtl);
    receiver->startADSB();
    ASSERT_TRUE(waitFor([&] { return rtl.fetches.load() > 2; }));
    receiver.reset(); // must not abort: the thread is stopped and joined first
    EXPECT_EQ(rtl.finalized.load(), 1);
}
