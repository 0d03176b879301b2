// The accessory link on a pseudo-terminal behind "dosdevices/com1", attached
// to an engine on the engine tests' receiver: what the accessory's messages do,
// what the link sends back, its settings and a vanished device.
#include "hardware/accessory/AccessoryComm.h"

#include "core/AntennaSystem.h"
#include "core/ProgramSettings.h"
#include "core/QLogger.h"
#include "engine/Controller.h"
#include "engine/FrequencyConverter.h"
#include "engine/board/BoardSettings.h"
#include "ControllerTestReceiver.h"

#include "ProgramLog.h"
#include "PtyPort.h"
#include "TempWorkDir.h"
#include "ThreadGate.h"
#include "WaitFor.h"

#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Request = std::tuple<QString, int, int>;
using Values = std::vector<std::pair<QString, QVariant>>;

constexpr qint64 Centre = 145000000;

void writeAccessorySettings(const Values& values)
{
    auto settings = ProgramSettings::open();
    settings->beginGroup(QStringLiteral("Accessories"));
    for (const auto& value : values)
        settings->setValue(value.first, value.second);
}

std::string received(const PtyPort& pty, size_t count)
{
    const std::vector<unsigned char> bytes = pty.receive(count);
    return std::string(bytes.begin(), bytes.end());
}

// The same, serving events meanwhile: for replies that a queued retune report causes.
std::string receivedWhileServing(const PtyPort& pty, size_t count)
{
    std::string text;
    waitFor([&] {
        text += pty.readNow();
        return text.size() >= count;
    });
    return text;
}

// An engine on a receiver at 145 MHz (2.048 MS/s), its thread not started.
class EngineFixture : public ::testing::Test
{
protected:
    void attachEngine()
    {
        ProgramLog::capture();
        // A known centre in the board file, so attaching does not move the receiver.
        BoardSettings::open(QStringLiteral("EngineTestReceiver"))->setValue(BoardSettings::KeyCenter, Centre);
        receiver.maxCentre = 50000000000;
        engine.setReceiverHardware(&receiver);
        AntennaSystem::instance()->setAzimuth(0);
    }

    static bool azimuthIs(float degrees)
    {
        return waitFor([&] { return AntennaSystem::instance()->getAzimuth() == degrees; });
    }

    TempWorkDir dir;
    ControllerTestReceiver receiver{2048000, Centre};
    Controller engine{QStringLiteral("no such sound device")};
};

// The link on COM1 at 38400 bauds, 360 rotor steps per turn, its thread running.
class AccessoryLink : public EngineFixture
{
protected:
    void SetUp() override
    {
        attachEngine();
        ASSERT_TRUE(pty.ok());
        writeAccessorySettings({{"comm_port", 1}, {"bauds", 38400}, {"rotor_resolution", 360}});
        link = std::make_unique<AccessoryComm>();
        QObject::connect(link.get(), &AccessoryComm::request, &requestsProbe,
                         [this](QString s, int arg, int value) { requests.emplace_back(s, arg, value); });
        link->setController(&engine);
        link->loadSettings();
        ASSERT_TRUE(link->isRunning());
    }

    // Makes the accessory speak and waits until the link has taken it and
    // been through an idle pass.
    void speakAndSettle(float azimuth)
    {
        pty.sendText("<R" + std::to_string(int(azimuth)) + ">\r");
        ASSERT_TRUE(azimuthIs(azimuth));
    }

    PtyPort pty{0};
    QObject requestsProbe; // receives the link thread's requests in the test thread
    std::vector<Request> requests;
    std::unique_ptr<AccessoryComm> link;
};

} // namespace

TEST_F(AccessoryLink, ReceivedMessagesTurnTheAntennaTuneAndRequest)
{
    pty.sendText("<R180>\r");
    EXPECT_TRUE(azimuthIs(180));

    pty.sendText("<F145500000;>");
    EXPECT_TRUE(waitFor([&] { return engine.getRxOffset(0) == 500000; }));

    pty.sendText("<S-1000>\n<I3:75>\n<I4>\n");
    ASSERT_TRUE(waitFor([&] { return requests.size() == 3; }));
    EXPECT_EQ(requests, (std::vector<Request>{Request{"FRQ", -1000, 0}, Request{"INDICATOR", 3, 75},
                                              Request{"INDICATOR", 4, 0}}));

    // Two rotor messages back to back: the second is kept.
    pty.sendText("<R90><R270>\r");
    EXPECT_TRUE(azimuthIs(270));
}

TEST_F(AccessoryLink, AFrequencyFarFromTheCentreRetunesTheReceiver)
{
    // 2.5 GHz is further from 145 MHz than an int reaches.
    pty.sendText("<F2500000000;>");
    EXPECT_TRUE(waitFor([&] { return receiver.getRxCenterFreq() == 2500000000; }));
    EXPECT_EQ(receiver.getRxCenterFreq() + engine.getRxOffset(0), 2500000000);
}

TEST_F(AccessoryLink, RxAFrequencyIsSentInTensOfHertzOnceTheAccessorySpoke)
{
    speakAndSettle(45);
    engine.setAbsoluteRxFreq(145500000, 0);
    EXPECT_EQ(received(pty, 11), "<F14550000>");

    // Beyond what 32 bits hold in tens of hertz.
    link->SLOT_ChannelizerIsRetuned(47000000000, 1234.9f, 0);
    EXPECT_EQ(received(pty, 13), "<F4700000123>");
}

TEST_F(AccessoryLink, NothingIsSentForRetunesThatAreNotRxAs)
{
    struct Case
    {
        const char* name;
        bool spoken;
        int channel;
    };
    float azimuth = 10;
    for (const Case& c : {Case{"before the accessory spoke", false, 0}, Case{"RX B's retune", true, 1}}) {
        if (c.spoken)
            speakAndSettle(azimuth += 10);
        link->SLOT_ChannelizerIsRetuned(Centre, 100000, c.channel);
        // An idle pass that would have sent it.
        speakAndSettle(azimuth += 10);
        link->SLOT_ChannelizerIsRetuned(Centre, 200000, 0);
        EXPECT_EQ(received(pty, 11), "<F14520000>") << c.name;
    }
}

TEST_F(AccessoryLink, AConverterMapsBothWays)
{
    // A down-converter: radio 10.3 to 10.5 GHz through a 10.224 GHz oscillator.
    FrequencyConverter converter;
    converter.set(10224000000, 10300000000, 10500000000);
    receiver.frequencyConverter = &converter;
    ASSERT_EQ(engine.setAbsoluteRxFreq(10368000000, 0), 1);

    // The accessory speaks in receiver frequencies: 144.5 MHz is 10.3685 GHz at the radio.
    pty.sendText("<F144500000;>");
    EXPECT_TRUE(waitFor([&] { return engine.getRxOffset(0) == 500000; }));
    // The retune it caused goes back the same way.
    EXPECT_EQ(receivedWhileServing(pty, 11), "<F14450000>");
    receiver.frequencyConverter = nullptr;
}

TEST_F(AccessoryLink, AVanishedDeviceEndsTheLinkAndTheProgramGoesOn)
{
    speakAndSettle(60);
    pty.hangUp();
    EXPECT_TRUE(waitFor([&] { return link->isFinished(); }));
    EXPECT_TRUE(
        ProgramLog::text().contains("AccessoryComm::run() the accessory device on COM1 is gone, the link stops"));
    engine.setAbsoluteRxFreq(145600000, 0);
    EXPECT_EQ(receiver.getRxCenterFreq() + engine.getRxOffset(0), 145600000);
}

TEST_F(AccessoryLink, StopEndsTheThreadOnAnIdlePortAndStartThreadResumesTheLink)
{
    link->stop();
    EXPECT_TRUE(link->isFinished());

    link->startThread();
    link->startThread(); // a second call while it runs changes nothing
    ASSERT_TRUE(link->isRunning());
    speakAndSettle(120);
}

// A link thread held in a call that does not come back (here the window's
// slot for a step, connected directly) is waited for only so long, and said
// so; once the call comes back, the thread ends.
TEST_F(AccessoryLink, AStopWaitsOnlySoLongForAThreadHeldInACall)
{
    // Connected while the link is stopped: the link thread reads the connection.
    ASSERT_TRUE(link->stop());
    ThreadGate gate;
    QObject::connect(
        link.get(), &AccessoryComm::request, &requestsProbe, [&gate] { gate.pass(); }, Qt::DirectConnection);
    link->startThread();
    pty.sendText("<S-1000>\n");
    ASSERT_TRUE(waitFor([&] { return gate.held() == 1; }));

    EXPECT_FALSE(link->stop());
    EXPECT_EQ(gate.held(), 1) << "the stop waited until the call came back";
    EXPECT_TRUE(ProgramLog::text().contains("AccessoryComm::stop() the link thread did not end within"));
    gate.open();
    EXPECT_TRUE(waitFor([&] { return link->isFinished(); }));
}

TEST_F(AccessoryLink, OverlongNumbersAreLoggedAndDropped)
{
    pty.sendText("<R" + std::string(5000, '9') + ">\r<F" + std::string(30, '1') + ";>");
    pty.sendText("<R75>\r");
    EXPECT_TRUE(azimuthIs(75));
    EXPECT_EQ(engine.getRxOffset(0), 0);
    EXPECT_TRUE(waitFor([] { return ProgramLog::text().contains("with a number too long dropped"); }));
}

class AccessorySettings : public EngineFixture
{
};

TEST_F(AccessorySettings, PortRateAndRotorFollowTheSettings)
{
    attachEngine();
    struct Case
    {
        const char* name;
        Values stored;
        bool running;
        Values afterwards;
        unsigned baud;
    };
    const Case cases[] = {
        {"first run", {}, false, {{"comm_port", 1}, {"bauds", 38400}, {"rotor_resolution", 100}}, 0},
        {"COM1, defaults for 0",
         {{"comm_port", 1}, {"bauds", 0}, {"rotor_resolution", 0}},
         true,
         {{"comm_port", 1}, {"bauds", 0}, {"rotor_resolution", 0}},
         38400},
        {"COM1 at 9600",
         {{"comm_port", 1}, {"bauds", 9600}},
         true,
         {{"comm_port", 1}, {"bauds", 9600}},
         9600},
        {"port 0", {{"comm_port", 0}}, false, {{"comm_port", 0}}, 0},
        {"COM17", {{"comm_port", 17}}, false, {{"comm_port", 17}}, 0},
    };
    for (const Case& c : cases) {
        TempWorkDir caseDir;
        PtyPort pty(0);
        ASSERT_TRUE(pty.ok());
        writeAccessorySettings(c.stored);
        AccessoryComm link;
        link.setController(&engine);
        link.loadSettings();
        EXPECT_EQ(link.isRunning(), c.running) << c.name;
        if (c.running) {
            EXPECT_EQ(pty.baud(), c.baud) << c.name;
            // 100 steps per turn: 25 steps is a quarter.
            pty.sendText("<R25>\r");
            EXPECT_TRUE(azimuthIs(90)) << c.name;
            AntennaSystem::instance()->setAzimuth(0);
        }
        auto settings = ProgramSettings::open();
        settings->beginGroup(QStringLiteral("Accessories"));
        EXPECT_EQ(settings->childKeys().size(), int(c.afterwards.size())) << c.name;
        for (const auto& value : c.afterwards)
            EXPECT_EQ(settings->value(value.first).toString(), value.second.toString()) << c.name;
    }
}
