// The GPS reader on a pseudo-terminal behind "dosdevices/com1": settings,
// reports, the shared position and time, its logs, a vanished device, the
// local clock.
#include "map/gps/GPSD.h"

#include "core/GlobalRFData.h"
#include "core/ProgramSettings.h"

#include "NmeaSentences.h"
#include "ProgramLog.h"
#include "PtyPort.h"
#include "TempWorkDir.h"
#include "ThreadGate.h"
#include "WaitFor.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <utility>
#include <vector>

namespace {

using Time = std::array<int, 7>;

// The reader's reports, delivered to the test thread (queued from the reader's).
class GpsProbe : public QObject
{
public:
    explicit GpsProbe(GPSD& gps)
    {
        connect(&gps, &GPSD::hasGpsFix, this,
                [this](float latitude, float longitude) { fixes.emplace_back(latitude, longitude); });
        connect(&gps, &GPSD::hasGpsTime, this, [this](int y, int mo, int d, int h, int mi, int s, int ms) {
            times.push_back({y, mo, d, h, mi, s, ms});
        });
    }
    // Serves events until the reader reported this time of day.
    bool waitForTime(int hour, int minute, int second)
    {
        return waitFor([&] {
            for (const Time& t : times)
                if (t[3] == hour && t[4] == minute && t[5] == second)
                    return true;
            return false;
        });
    }

    std::vector<std::pair<float, float>> fixes;
    std::vector<Time> times;
};

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

QString gpsLog()
{
    return fileText(QStringLiteral("logs/gps.log"));
}

void writeGpsSettings(const std::vector<std::pair<QString, QVariant>>& values)
{
    auto settings = ProgramSettings::open();
    settings->beginGroup(QStringLiteral("GPS"));
    for (const auto& value : values)
        settings->setValue(value.first, value.second);
}

// A reader on COM1, opened on a pseudo-terminal, its thread running.
class GpsReaderOnPort : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ProgramLog::capture();
        ASSERT_TRUE(pty.ok());
        QDir().mkpath(QStringLiteral("record"));
        writeGpsSettings({{"enable_gps", "1"}, {"gps_port", 1}, {"bauds", 4800}, {"log_NMEA", true}});
        gps = std::make_unique<GPSD>();
        ASSERT_TRUE(gps->isPortOpen());
        probe = std::make_unique<GpsProbe>(*gps);
        gps->start(QThread::LowestPriority);
    }

    TempWorkDir dir;
    PtyPort pty{0};
    std::unique_ptr<GPSD> gps;
    std::unique_ptr<GpsProbe> probe;
};

} // namespace

TEST_F(GpsReaderOnPort, ReportsTheFixAndTheTimeOfEachNewSecond)
{
    pty.sendText(MunichGga);
    ASSERT_TRUE(probe->waitForTime(12, 35, 19));
    ASSERT_EQ(probe->fixes.size(), 1u);
    EXPECT_FLOAT_EQ(probe->fixes[0].first, 48.1173f);
    EXPECT_FLOAT_EQ(probe->fixes[0].second, 11.516667f);
    // No sentence brought a date yet: the date parts say so with 0.
    EXPECT_EQ(probe->times.back(), (Time{0, 0, 0, 12, 35, 19, 0}));
    GlobalRFData* data = GlobalRFData::instance();
    EXPECT_FLOAT_EQ(data->latitude.load(), 48.1173f);
    EXPECT_FLOAT_EQ(data->longitude.load(), 11.516667f);
    EXPECT_FLOAT_EQ(data->altitude.load(), 545.4f);
    EXPECT_TRUE(gpsLog().contains("{GPSD} 12:35:19, 48.117298,11.516667,545.40")) << gpsLog().toStdString();

    pty.sendText(MunichRmc);
    ASSERT_TRUE(probe->waitForTime(12, 35, 20));
    EXPECT_EQ(probe->fixes.size(), 1u) << "the position did not move";
    EXPECT_EQ(probe->times.back(), (Time{1994, 3, 23, 12, 35, 20, 0}));
    EXPECT_EQ(std::vector<int>({data->year, data->month, data->day, data->hour, data->minute, data->second}),
              std::vector<int>({1994, 3, 23, 12, 35, 20}));

    // The raw bytes went to the NMEA log under ./record.
    const QStringList logs = QDir(QStringLiteral("record")).entryList({"NMEA_*.zxmsr"}, QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    EXPECT_EQ(fileText("record/" + logs[0]).toStdString(), MunichGga + MunichRmc);
}

TEST_F(GpsReaderOnPort, ReportsAFixOnlyWhenThePositionOrTheAltitudeMoved)
{
    struct Step
    {
        const char* name;
        std::string latitude;
        std::string altitude;
        bool reported;
        float storedAltitude;
    };
    const Step steps[] = {
        {"first fix", "4807.038,N", "545.4", true, 545.4f},
        {"4 m higher", "4807.038,N", "549.4", false, 549.4f},
        {"6 m above the last report", "4807.038,N", "551.5", true, 551.5f},
        {"a thousandth of a minute north", "4807.039,N", "551.5", true, 551.5f},
        {"no altitude", "4807.039,N", "", false, 551.5f},
        {"on the equator", "0000.000,N", "1.5", true, 1.5f},
        // One millionth of a degree is the float just below 1e-6: no move.
        {"a millionth of a degree north", "0000.00006,N", "1.5", false, 1.5f},
        {"two millionths", "0000.00012,N", "1.5", true, 1.5f},
    };
    int second = 0;
    size_t reports = 0;
    for (const Step& step : steps) {
        ++second;
        pty.sendText(ggaSentence("1200" + QString::number(second).rightJustified(2, '0').toStdString(),
                                 step.latitude, "00000.000,E", step.altitude));
        ASSERT_TRUE(probe->waitForTime(12, 0, second)) << step.name;
        reports += step.reported ? 1 : 0;
        EXPECT_EQ(probe->fixes.size(), reports) << step.name;
        EXPECT_FLOAT_EQ(GlobalRFData::instance()->altitude.load(), step.storedAltitude) << step.name;
    }
}

TEST_F(GpsReaderOnPort, FieldsWithoutValuesNeverReachTheSharedStore)
{
    GlobalRFData* data = GlobalRFData::instance();
    // A position before any altitude: the altitude stays unknown.
    pty.sendText(MunichRmc);
    ASSERT_TRUE(probe->waitForTime(12, 35, 20));
    ASSERT_EQ(probe->fixes.size(), 1u);
    EXPECT_FLOAT_EQ(data->latitude.load(), 48.1173f);
    EXPECT_EQ(data->altitude.load(), 0.0f);

    // A valid fix without its position fields (and an altitude too close to report).
    pty.sendText(ggaSentence("123521", ",", ",", "3.0"));
    ASSERT_TRUE(probe->waitForTime(12, 35, 21));
    EXPECT_EQ(probe->fixes.size(), 1u);
    EXPECT_FLOAT_EQ(data->latitude.load(), 48.1173f);
    EXPECT_FLOAT_EQ(data->longitude.load(), 11.516667f);
    EXPECT_FLOAT_EQ(data->altitude.load(), 3.0f);
}

TEST_F(GpsReaderOnPort, BadBytesAreLoggedAndDropped)
{
    std::string noise;
    for (int i = 0; i < 256; ++i)
        noise += char(i == '$' ? 'x' : i);
    pty.sendText(noise);
    pty.sendText("$GPGGA," + std::string(10000, '9'));
    pty.sendText("$GPRMC,123520,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*61\r\n");
    pty.sendText(MunichGga);
    ASSERT_TRUE(probe->waitForTime(12, 35, 19));
    EXPECT_EQ(probe->times.size(), 1u) << "the sentence with a bad checksum was taken";
    // The reader logs what it dropped once it has fed the whole read, which may
    // be after it reported the good sentence of the same read.
    EXPECT_TRUE(waitFor([] { return gpsLog().contains("sentence(s) with a bad checksum dropped"); }))
        << gpsLog().toStdString();
}

TEST_F(GpsReaderOnPort, AVanishedDeviceEndsTheReadingAndTheProgramGoesOn)
{
    pty.sendText(MunichGga);
    ASSERT_TRUE(probe->waitForTime(12, 35, 19));
    pty.hangUp();
    EXPECT_TRUE(waitFor([&] { return gps->isFinished(); }));
    EXPECT_TRUE(ProgramLog::text().contains("GPSD::run() the GPS device is gone, reading stops"));
    EXPECT_FLOAT_EQ(GlobalRFData::instance()->latitude.load(), 48.1173f) << "the last fix stays";
}

TEST_F(GpsReaderOnPort, StopEndsTheThreadOnAnIdlePort)
{
    gps->stop();
    EXPECT_TRUE(gps->isFinished());
}

// A reader thread held in a call that does not come back (here a listener
// of its fix, connected directly) is waited for only so long, and said so;
// once the call comes back, the thread ends.
TEST_F(GpsReaderOnPort, AStopWaitsOnlySoLongForAThreadHeldInACall)
{
    // Connected while the reader is stopped: the reader thread reads the connection.
    ASSERT_TRUE(gps->stop());
    ThreadGate gate;
    QObject::connect(
        gps.get(), &GPSD::hasGpsFix, probe.get(), [&gate] { gate.pass(); }, Qt::DirectConnection);
    gps->start(QThread::LowestPriority);
    pty.sendText(MunichGga);
    ASSERT_TRUE(waitFor([&] { return gate.held() == 1; }));

    EXPECT_FALSE(gps->stop());
    EXPECT_EQ(gate.held(), 1) << "the stop waited until the call came back";
    EXPECT_TRUE(ProgramLog::text().contains("GPSD::stop() the reader thread did not end within"));
    gate.open();
    EXPECT_TRUE(waitFor([&] { return gps->isFinished(); }));
}

TEST(GpsReaderSettings, PortAndWrittenDefaultsFollowTheSettings)
{
    using Values = std::vector<std::pair<QString, QVariant>>;
    struct Case
    {
        const char* name;
        Values stored;
        bool opened;
        Values afterwards; // keys the reader leaves in the file
        const char* logLine;
    };
    const Values defaults = {{"enable_gps", "0"}, {"gps_port", 1}, {"bauds", 4800}, {"log_NMEA", false}};
    const Case cases[] = {
        {"first run", {}, false, defaults, "GPSD:: start local timer"},
        {"enabled without a port",
         {{"enable_gps", "1"}},
         false,
         {{"enable_gps", "1"}, {"gps_port", 1}, {"bauds", 4800}, {"log_NMEA", false}},
         "GPSD:: start local timer"},
        {"disabled",
         {{"enable_gps", "0"}, {"gps_port", 1}},
         false,
         {{"enable_gps", "0"}, {"gps_port", 1}},
         "GPSD:: start local timer"},
        {"COM1",
         {{"enable_gps", "1"}, {"gps_port", 1}, {"bauds", "none"}},
         true,
         {{"enable_gps", "1"}, {"gps_port", 1}, {"bauds", "none"}},
         "GPSD::GPSD() open ok "},
        {"port 0",
         {{"enable_gps", "1"}, {"gps_port", 0}},
         false,
         {{"enable_gps", "1"}, {"gps_port", 0}},
         "GPSD:: start local timer"},
        {"COM17",
         {{"enable_gps", "1"}, {"gps_port", 17}},
         false,
         {{"enable_gps", "1"}, {"gps_port", 17}},
         "GPSD::GPSD() open gps_port error "},
        {"a rate the port refuses",
         {{"enable_gps", "1"}, {"gps_port", 1}, {"bauds", 1234}},
         false,
         {{"enable_gps", "1"}, {"gps_port", 1}, {"bauds", 1234}},
         "GPSD::GPSD() open gps_port error "},
    };
    for (const Case& c : cases) {
        TempWorkDir dir;
        ProgramLog::capture();
        PtyPort pty(0);
        ASSERT_TRUE(pty.ok());
        writeGpsSettings(c.stored);
        {
            GPSD gps;
            EXPECT_EQ(gps.isPortOpen(), c.opened) << c.name;
            if (c.opened)
                EXPECT_EQ(pty.baud(), 4800u) << c.name;
        }
        auto settings = ProgramSettings::open();
        settings->beginGroup(QStringLiteral("GPS"));
        EXPECT_EQ(settings->childKeys().size(), int(c.afterwards.size())) << c.name;
        for (const auto& value : c.afterwards)
            EXPECT_EQ(settings->value(value.first).toString(), value.second.toString()) << c.name;
        EXPECT_TRUE(ProgramLog::text().contains(c.logLine)) << c.name;
        EXPECT_TRUE(gpsLog().contains("{GPSD} Starting")) << c.name;
    }
}

TEST(GpsReaderLocalClock, ReportsTheComputersUtcTimeOncePerSecond)
{
    TempWorkDir dir;
    GPSD gps;
    ASSERT_FALSE(gps.isPortOpen());
    GpsProbe probe(gps);
    ASSERT_TRUE(waitFor([&] { return probe.times.size() >= 2; }));
    EXPECT_NE(probe.times[0][5], probe.times[1][5]) << "two reports within one second";
    for (const Time& t : probe.times) {
        const QDateTime reported(QDate(t[0], t[1], t[2]), QTime(t[3], t[4], t[5]), Qt::UTC);
        EXPECT_LE(std::abs(reported.secsTo(QDateTime::currentDateTimeUtc())), 5);
        EXPECT_EQ(t[6], 0);
    }
    EXPECT_EQ(GlobalRFData::instance()->year.load(), QDateTime::currentDateTimeUtc().date().year());

    // A thread started without a port ends at once and leaves the clock running.
    gps.start();
    EXPECT_TRUE(gps.wait(kWaitBoundMs));
    const size_t before = probe.times.size();
    EXPECT_TRUE(waitFor([&] { return probe.times.size() > before; }));
}
