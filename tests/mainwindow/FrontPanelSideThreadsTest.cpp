// What runs beside the engine: the accessory link and the GPS reader on their
// serial ports, the scripts of the user action buttons, the version check, and
// how closing the window stops all of them.
#include "WindowFixture.h"

#include "LoopbackHttpServer.h"
#include "ModalResponder.h"
#include "PtyPort.h"
#include "WaitFor.h"
#include "core/AntennaSystem.h"
#include "decoders/adsb/ADSBReceiver.h"
#include "hardware/accessory/AccessoryComm.h"
#include "mainwindow/FrontPanel.h"
#include "map/geo/GeoTools.h"
#include "map/gps/GPSD.h"
#include "scripting/ScriptCore.h"
#include "scripting/ScriptEngine.h"
#include "ui/widgets/IndicatorPanel.h"
#include "ui/widgets/IndicatorWidget.h"

#include <QFile>
#include <QLCDNumber>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int AccessoryPort = 0; // COM1
constexpr int GpsPort = 1;       // COM2

class FrontPanelSideThreads : public WindowFixture
{
protected:
    FrontPanel& attached()
    {
        attachEngine();
        window = std::make_unique<FrontPanel>();
        window->setController(engine.get());
        return *window;
    }

    static void enableAccessories()
    {
        setting("Accessories", "enable_accessories", "1");
        setting("Accessories", "comm_port", AccessoryPort + 1);
        setting("Accessories", "bauds", 38400);
        setting("Accessories", "rotor_resolution", 100);
    }

    static void enableGps()
    {
        setting("GPS", "enable_gps", "1");
        setting("GPS", "gps_port", GpsPort + 1);
        setting("GPS", "bauds", 4800);
        setting("GPS", "log_NMEA", false);
    }

    std::unique_ptr<FrontPanel> window;
};

// "$" + body + "*" + its checksum + CR LF.
std::string nmeaSentence(const std::string& body)
{
    unsigned checksum = 0;
    for (char c : body)
        checksum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", checksum);
    return "$" + body + tail;
}

// A receiver that the ADS-B thread accepts and that delivers nothing.
class AdsbTestReceiver : public StubReceiverHardware
{
public:
    AdsbTestReceiver() : StubReceiverHardware("RTL test") {}
    int prepareRXEngine() override { return 1; }
};

QPushButton* userButton(const FrontPanel& window, const QString& caption)
{
    if (window.userButtonArea() == nullptr)
        return nullptr;
    for (QPushButton* button : window.userButtonArea()->findChildren<QPushButton*>())
        if (button->text() == caption)
            return button;
    return nullptr;
}

// Whether the clock shows text: it looks like an LCD of its make showing text.
bool clockShows(QLCDNumber* clock, const QString& text)
{
    // Grabbed first: a window never shown lays itself out for it.
    const QImage seen = clock->grab().toImage();
    QWidget place;
    auto* shown = new QLCDNumber(clock->digitCount(), &place);
    shown->setSegmentStyle(clock->segmentStyle());
    shown->setFrameStyle(clock->frameStyle());
    shown->setPalette(clock->palette());
    shown->setGeometry(QRect(QPoint(0, 0), seen.size()));
    shown->display(text);
    return shown->grab().toImage() == seen;
}

// The newest script the core started, or null.
QPointer<ScriptEngine> runningScript()
{
    const QList<ScriptEngine*> scripts = ScriptCore::instance()->findChildren<ScriptEngine*>();
    return scripts.isEmpty() ? nullptr : scripts.last();
}

} // namespace

TEST_F(FrontPanelSideThreads, AccessoryMessagesOnThePortActOnTheReceiverAndTheWindow)
{
    PtyPort port(AccessoryPort);
    ASSERT_TRUE(port.ok());
    enableAccessories();
    setting("Indicators", "count", 4);
    setting("Indicators", "I3_Name", "swr");
    setting("swr", "points", 100);
    FrontPanel& w = attached();
    ASSERT_NE(w.accessoryLink(), nullptr);
    ASSERT_TRUE(waitFor([&] { return w.accessoryLink()->isRunning(); }));
    AntennaSystem::instance()->setAzimuth(0);
    const float north = AntennaSystem::instance()->getAzimuth();

    w.tabWidget()->setCurrentIndex(1); // "RX B" shown: steps move RX B
    port.sendText("<S-1000>\n<I3:75>\n<R50>\r");
    ASSERT_TRUE(waitFor([&] { return engine->getRxOffset(1) == -1000; }));
    IndicatorWidget* dial = w.indicatorPanel()->dialAt(3);
    ASSERT_NE(dial, nullptr);
    EXPECT_TRUE(waitFor([&] { return dial->value() == 75; }));
    // 50 of 100 rotor steps: half a turn, applied on the link's next quiet pass.
    EXPECT_TRUE(waitFor([&] { return AntennaSystem::instance()->getAzimuth() - north == 180.0f; }));

    // An absolute frequency tunes RX A; the accessory, having spoken, is told
    // RX A's new frequency in tens of hertz.
    port.sendText("<F145500000;>");
    ASSERT_TRUE(waitFor([&] { return engine->getRxOffset(0) == 500000; }));
    std::string told;
    EXPECT_TRUE(waitFor([&] {
        told += port.readNow();
        return told.find("<F14550000>") != std::string::npos;
    })) << told;
}

// The GPS receiver's position becomes the station's, and its UTC time shows on
// the window's clock.
TEST_F(FrontPanelSideThreads, GpsPositionAndTimeOnThePortReachTheStationAndTheClock)
{
    PtyPort port(GpsPort);
    ASSERT_TRUE(port.ok());
    enableGps();
    FrontPanel& w = attached();
    ASSERT_NE(w.gpsReader(), nullptr);
    ASSERT_TRUE(w.gpsReader()->isPortOpen());
    ASSERT_TRUE(waitFor([&] { return w.gpsReader()->isRunning(); }));
    EXPECT_EQ(w.gpsReader()->priority(), QThread::LowestPriority);

    ASSERT_TRUE(clockShows(w.clock(), "00:00:00.0"));
    port.sendText(nmeaSentence("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"));
    ASSERT_TRUE(waitFor(
        [] { return std::abs(GeoTools::instance().getStationPosition().latitude() - 48.1173) < 1e-4; }));
    EXPECT_NEAR(GeoTools::instance().getStationPosition().longitude(), 11.516667, 1e-4);
    EXPECT_TRUE(waitFor([&] { return clockShows(w.clock(), "12:35:19.0"); }));
    EXPECT_FALSE(clockShows(w.clock(), "00:00:00.0"));
}

TEST_F(FrontPanelSideThreads, UserButtonsRunTheirScriptAsItStandsAtEachPress)
{
    QFile file(dir.file("two-steps.js"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("orvex.stepUp();\norvex.stepUp();\n");
    file.close();
    setting("Interface", "ACTION_1", "orvex.stepUp()");
    setting("Interface", "ACTION_2", file.fileName());
    setting("Interface", "TEXT_2", "Deux pas");
    ModalResponder boxes; // a script error would show a box
    FrontPanel& w = attached();
    engine->setRxOffset(0, 0);
    const int step = engine->getStepSize(0);

    const struct
    {
        const char* caption;
        int offsetAfter;
    } presses[] = {{"1", step}, {"Deux pas", 3 * step}};
    for (const auto& press : presses) {
        QPushButton* button = userButton(w, press.caption);
        ASSERT_NE(button, nullptr) << press.caption;
        button->click();
        EXPECT_TRUE(waitFor([&] { return engine->getRxOffset(0) == press.offsetAfter; })) << press.caption;
    }
    // The action is read again at each press.
    setting("Interface", "ACTION_1", "orvex.stepDown()");
    userButton(w, "1")->click();
    EXPECT_TRUE(waitFor([&] { return engine->getRxOffset(0) == 2 * step; }));
    EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(FrontPanelSideThreads, ANewerVersionIsAnnouncedWithTheConfiguredSite)
{
    LoopbackHttpServer server;
    LoopbackHttpServer::Reply reply;
    reply.body = "20991231\n";
    server.setReply("/client/VERSION_WIN.txt", reply);
    setting("Version", "download_host", QString("127.0.0.1:%1").arg(server.port()));
    setting("Version", "web_site", "http://site.test/tarnx");
    ModalResponder boxes;
    boxes.press(QMessageBox::Yes);
    FrontPanel w;
    ASSERT_TRUE(waitFor([&] { return !boxes.seen().empty(); }));
    EXPECT_EQ(boxes.seen()[0].title, "Tarnx");
    EXPECT_EQ(boxes.seen()[0].text, "Nouvelle version disponible<br/>Rendez-vous sur http://site.test/tarnx");
    EXPECT_EQ(boxes.seen()[0].buttons, QMessageBox::StandardButtons(QMessageBox::Yes));
    EXPECT_EQ(server.count("/client/VERSION_WIN.txt"), 1);
}

TEST_F(FrontPanelSideThreads, ClosingStopsEveryThreadBesideTheEngine)
{
    PtyPort accessoryPort(AccessoryPort);
    PtyPort gpsPort(GpsPort);
    ASSERT_TRUE(accessoryPort.ok() && gpsPort.ok());
    enableAccessories();
    enableGps();
    setting("Interface", "ACTION_1", "orvex.waitFor(1); while (true) orvex.waitFor(20);");
    AdsbTestReceiver adsbHardware;
    ADSBReceiver adsb;
    adsb.setHardware(&adsbHardware);

    FrontPanel& w = attached();
    w.setADSBReceiver(&adsb);
    adsb.startADSB();
    userButton(w, "1")->click();
    const QPointer<ScriptEngine> script = runningScript();
    ASSERT_FALSE(script.isNull());
    ASSERT_TRUE(waitFor([&] {
        return engine->isRunning() && w.accessoryLink()->isRunning() && w.gpsReader()->isRunning() &&
               script->isRunning() && adsb.isRunning();
    }));

    window.reset();
    EXPECT_FALSE(engine->isRunning());
    // The reader threads are gone with their ports.
    EXPECT_EQ(accessoryPort.deviceDescriptorInUse(), -1);
    EXPECT_EQ(gpsPort.deviceDescriptorInUse(), -1);
    // The script stopped and went with the script core.
    EXPECT_TRUE(script.isNull());
    EXPECT_FALSE(adsb.isRunning());
}

TEST_F(FrontPanelSideThreads, AWindowThatNeverGotAnEngineStillClosesItsGpsPort)
{
    PtyPort port(GpsPort);
    ASSERT_TRUE(port.ok());
    enableGps();
    {
        FrontPanel w;
        EXPECT_NE(port.deviceDescriptorInUse(), -1);
        // No engine: the thread is not started.
        EXPECT_FALSE(w.gpsReader()->isRunning());
    }
    EXPECT_EQ(port.deviceDescriptorInUse(), -1);
}
