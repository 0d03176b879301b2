#include "app/startup/FirstPhase.h"
#include "DebugCapture.h"
#include "ModalResponder.h"
#include "ProgramLog.h"
#include "TempWorkDir.h"
#include "map/geo/GeoTools.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QNetworkProxy>
#include <QSettings>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using LogLine = ProgramLog::Line; // level name, message

// What the start-up logged (it registers the log file itself).
std::vector<LogLine> readLog()
{
    return ProgramLog::lines();
}

bool logHas(const QString& message)
{
    for (const LogLine& line : readLog())
        if (line.second == message)
            return true;
    return false;
}

// Whether wanted appears in lines in this order, other lines between them allowed.
::testing::AssertionResult inOrder(const std::vector<LogLine>& lines, const std::vector<LogLine>& wanted)
{
    size_t next = 0;
    for (const LogLine& line : lines)
        if (next < wanted.size() && line.first == wanted[next].first &&
            (wanted[next].second.isNull() || line.second == wanted[next].second))
            ++next;
    if (next == wanted.size())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "missing from the log, in order: [" << wanted[next].first.toStdString() << "] "
           << wanted[next].second.toStdString();
}

void writeSettings(const QByteArray& text)
{
    QDir().mkpath("conf");
    QFile file("conf/vantor-sdr.conf");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray settingsText()
{
    QFile file("conf/vantor-sdr.conf");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void runPhase(const QString& locale = "fr_FR")
{
    StartupFrame frame;
    runFirstPhase(frame, locale);
}

} // namespace

TEST(FirstPhase, FirstRunLogsEachStepAndWritesTheDefaultsBack)
{
    TempWorkDir dir;
    DebugCapture debug;
    ModalResponder responder;
    runPhase();

    std::vector<LogLine> log = readLog();
    ASSERT_GE(log.size(), 4u);
    const std::vector<LogLine> opening = {{"Trace", QString(78, '-')},
                                          {"Trace", "Build date : 20170103"},
                                          {"Trace", "Starting"},
                                          {"Trace", "Detected locale is fr_FR"}};
    EXPECT_EQ(std::vector<LogLine>(log.begin(), log.begin() + 4), opening);
    EXPECT_TRUE(inOrder(log, {{"Trace", "Loading settings from " + dir.file("conf/vantor-sdr.conf")},
                              {"Trace", "DB: adding path to settings file"},
                              {"Error", "DB: could not open database "},
                              {"Error", QString()}, // the driver's own words
                              {"Trace", "No proxy"},
                              {"Trace", "Loading terrain def"},
                              {"Trace", "No valid station loction found. Using default"}}));
    EXPECT_FALSE(logHas("ClientApp_eng translation installed."));
    EXPECT_TRUE(responder.seen().empty()) << "French needs no translation file";
    EXPECT_TRUE(debug.contains("Could not connect to database!"));
    EXPECT_TRUE(debug.contains(" cound not open personal freq db"));

    QSettings onDisk(dir.file("conf/vantor-sdr.conf"), QSettings::IniFormat);
    EXPECT_EQ(onDisk.value("Database/path").toString(),
              QDir::toNativeSeparators(dir.file("db/Orvex.sqlite")));
    EXPECT_EQ(onDisk.value("DEM/path").toString(), "./SRTM3/Eurasia/");
    EXPECT_TRUE(onDisk.contains("DEM/lat") && onDisk.contains("DEM/lon"));
    EXPECT_FALSE(onDisk.childGroups().contains("Network")) << "the Network group is only read";

    Position station = GeoTools::instance().getStationPosition();
    EXPECT_FLOAT_EQ(static_cast<float>(station.latitude()), onDisk.value("DEM/lat").toFloat());
    EXPECT_FLOAT_EQ(static_cast<float>(station.longitude()), onDisk.value("DEM/lon").toFloat());
    EXPECT_EQ(GeoTools::instance().getDemPath(), "./SRTM3/Eurasia/");
}

TEST(FirstPhase, TranslationIsLoadedUnlessTheLocaleIsFrench)
{
    struct Case
    {
        const char* locale;
        bool fileThere;
        bool installed;
        bool boxShown;
    };
    const Case cases[] = {
        {"fr_FR", true, false, false},
        {"fr_CA", false, false, true},
        {"en_US", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        TempWorkDir dir;
        if (c.fileThere)
            ASSERT_TRUE(QFile::copy(TARNX_TRANSLATION_FILE, "ClientApp_eng.qm"));
        ModalResponder responder;
        responder.press(QMessageBox::Yes);
        {
            StartupFrame frame;
            runFirstPhase(frame, c.locale);
            EXPECT_EQ(QObject::tr("Chargement terrain") == "Loading terrain", c.installed);
        }
        EXPECT_EQ(logHas("ClientApp_eng translation installed."), c.installed);
        ASSERT_EQ(responder.seen().size(), c.boxShown ? 1u : 0u);
        if (c.boxShown) {
            const ModalResponder::Seen& box = responder.seen()[0];
            EXPECT_EQ(box.kind, "message");
            EXPECT_EQ(box.title, "Tarnx");
            EXPECT_EQ(box.text, "ERROR: Could not load the translation file for english.");
            EXPECT_EQ(box.buttons, QMessageBox::StandardButtons(QMessageBox::Yes));
            EXPECT_EQ(box.buttonCount, 1);
            EXPECT_FALSE(box.otherWindows.contains("QSplashScreen"))
                << "the box comes before the splash screen";
        }
        // The start-up goes on either way.
        EXPECT_TRUE(logHas("Loading terrain def"));
    }
}

TEST(FirstPhase, NetworkGroupChoosesTheProxyAndIsNeverWritten)
{
    struct Case
    {
        QByteArray network;
        QNetworkProxy::ProxyType type;
        QString host;
        quint16 port;
        QString logLine;
    };
    const Case cases[] = {
        {"use_proxy=true\n", QNetworkProxy::HttpProxy, "proxy.example", 80,
         "Using proxy host: proxy.example"},
        {"use_proxy=true\nproxy_address=cache.lan\nproxy_port=3128\n", QNetworkProxy::HttpProxy, "cache.lan",
         3128, "Using proxy host: cache.lan"},
        // Out of the TCP range: the default port rather than a wrapped one.
        {"use_proxy=true\nproxy_address=cache.lan\nproxy_port=65616\n", QNetworkProxy::HttpProxy, "cache.lan",
         80, "Using proxy host: cache.lan"},
        {"use_proxy=false\nproxy_address=cache.lan\n", QNetworkProxy::NoProxy, QString(), 0, "No proxy"},
    };
    const QNetworkProxy before = QNetworkProxy::applicationProxy();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.network.toStdString());
        TempWorkDir dir;
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
        writeSettings("[Database]\npath=" + dir.file("db.sqlite").toUtf8() + "\n\n[Network]\n" + c.network +
                      "\n[DEM]\npath=./dem/\n");
        const QByteArray written = settingsText();
        runPhase();
        QNetworkProxy proxy = QNetworkProxy::applicationProxy();
        EXPECT_EQ(proxy.type(), c.type);
        if (c.type == QNetworkProxy::HttpProxy) {
            EXPECT_EQ(proxy.hostName(), c.host);
            EXPECT_EQ(proxy.port(), c.port);
        }
        EXPECT_TRUE(logHas(c.logLine));
        EXPECT_EQ(settingsText(), written) << "nothing was missing, so nothing is written";
    }
    QNetworkProxy::setApplicationProxy(before);
}

TEST(FirstPhase, DemGroupIsOnlyWrittenWhenItsPathIsMissing)
{
    struct Case
    {
        QByteArray dem;
        double latitude;
        double longitude;
    };
    const Case cases[] = {
        // Without lat and lon the default position is used and nothing is added.
        {"path=./dem/\n", 48.8566, 2.3522},
        {"path=./dem/\nlat=-33.8688\nlon=151.2093\n", -33.8688, 151.2093},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dem.toStdString());
        TempWorkDir dir;
        writeSettings("[Database]\npath=" + dir.file("db.sqlite").toUtf8() + "\n\n[DEM]\n" + c.dem);
        const QByteArray written = settingsText();
        runPhase();
        EXPECT_EQ(settingsText(), written);
        EXPECT_FALSE(logHas("No valid station loction found. Using default"));
        EXPECT_EQ(GeoTools::instance().getDemPath(), "./dem/");
        Position station = GeoTools::instance().getStationPosition();
        EXPECT_FLOAT_EQ(static_cast<float>(station.latitude()), static_cast<float>(c.latitude));
        EXPECT_FLOAT_EQ(static_cast<float>(station.longitude()), static_cast<float>(c.longitude));
    }
}

TEST(FirstPhase, StoredDatabasePathIsOpened)
{
    TempWorkDir dir;
    QDir().mkpath("elsewhere");
    writeSettings("[Database]\npath=" + dir.file("elsewhere/main.sqlite").toUtf8() + "\n");
    runPhase();
    EXPECT_TRUE(logHas("DB: ok"));
    EXPECT_FALSE(logHas("DB: adding path to settings file"));
    EXPECT_TRUE(QFile::exists("elsewhere/main.sqlite"));
    QSettings onDisk(dir.file("conf/vantor-sdr.conf"), QSettings::IniFormat);
    EXPECT_EQ(onDisk.value("Database/path").toString(), dir.file("elsewhere/main.sqlite"));
}
