#include "GPSD.h"

#include "NmeaParser.h"
#include "core/ComPort.h"
#include "core/GlobalRFData.h"
#include "core/ProgramSettings.h"
#include "core/QLogger.h"
#include "core/ThreadStop.h"
#include "map/geo/GeoTools.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QSettings>
#include <QTimer>

#include <cmath>

namespace {

// The reader's own log, "./logs/gps.log".
const QString GpsLogModule = QStringLiteral("GPSD");

// A change of position (degrees) or altitude (metres) worth reporting.
constexpr double MinPositionChange = 0.000001;
constexpr double MinAltitudeChange = 5;

} // namespace

GPSD::GPSD(QObject* parent) : QThread(parent)
{
    QLogger::QLoggerManager::instance()->addLogFile(QStringLiteral("./logs/gps.log"), GpsLogModule,
                                                    QLogger::TraceLevel);
    QLogger::logInfo(GpsLogModule, QStringLiteral("Starting"));

    const Position station = GeoTools::instance().getStationPosition();
    GlobalRFData::instance()->latitude = float(station.latitude());
    GlobalRFData::instance()->longitude = float(station.longitude());

    nmeaLogPath = QStringLiteral("./record/NMEA_") +
                  QDateTime::currentDateTime().toString(QStringLiteral("ddMMyyyy_hhmmss")) +
                  QStringLiteral(".zxmsr");
    readSettingsAndOpenPort();
    if (port < 0)
        startLocalTimer();
}

GPSD::~GPSD()
{
    stop();
    if (port >= 0)
        comport_close(port);
}

void GPSD::readSettingsAndOpenPort()
{
    auto settings = ProgramSettings::open();
    settings->beginGroup(QStringLiteral("GPS"));
    int bauds = DefaultBauds;
    if (!settings->contains(QStringLiteral("enable_gps"))) {
        settings->setValue(QStringLiteral("enable_gps"), QStringLiteral("0"));
        settings->setValue(QStringLiteral("gps_port"), 1);
        settings->setValue(QStringLiteral("bauds"), DefaultBauds);
        settings->setValue(QStringLiteral("log_NMEA"), false);
    } else if (settings->value(QStringLiteral("enable_gps")).toInt() == 1) {
        if (!settings->contains(QStringLiteral("gps_port"))) {
            // Written for the next start; no port this time.
            settings->setValue(QStringLiteral("gps_port"), 1);
            settings->setValue(QStringLiteral("bauds"), DefaultBauds);
            settings->setValue(QStringLiteral("log_NMEA"), false);
        } else {
            const int number = settings->value(QStringLiteral("gps_port")).toInt();
            logNmea = settings->value(QStringLiteral("log_NMEA")).toBool();
            QLogger::logTrace(LogModule,
                              QStringLiteral("GPSD::GPSD() settings.value('gps_port') %1").arg(number));
            port = number - 1;
            bool isNumber = false;
            bauds = settings->value(QStringLiteral("bauds")).toInt(&isNumber);
            if (!isNumber || bauds == 0)
                bauds = DefaultBauds;
        }
    }
    if (port < 0)
        return;
    if (comport_open(port, bauds) != 0) {
        QLogger::logError(LogModule, QStringLiteral("GPSD::GPSD() open gps_port error "));
        port = -1;
        return;
    }
    portOpen = true;
    QLogger::logError(LogModule, QStringLiteral("GPSD::GPSD() open ok "));
}

bool GPSD::stop()
{
    return endThreadWithin(
        this, StopBoundMs,
        QStringLiteral("GPSD::stop() the reader thread did not end within %1 ms").arg(StopBoundMs),
        [this] { requestInterruption(); });
}

void GPSD::run()
{
    qDebug() << "GPSD::run() start ";
    GlobalRFData* data = GlobalRFData::instance();
    data->year = 0;
    data->month = 0;
    data->day = 0;
    data->hour = 0;
    data->minute = 0;
    data->second = 0;
    data->altitude = 0;
    QLogger::logTrace(LogModule, QStringLiteral("GPSD::run() "));
    if (port < 0) {
        QLogger::logError(LogModule, QStringLiteral("GPSD::run() comm_port ? "));
        // The clock ticks in the object's own thread, not in this ending one.
        QMetaObject::invokeMethod(this, &GPSD::startLocalTimer, Qt::QueuedConnection);
        return;
    }

    NmeaParser parser;
    Reported last;
    char buffer[ReadSize];
    while (!isInterruptionRequested()) {
        const int ready = comport_wait(port, IdleWaitMs);
        if (ready < 0) {
            QLogger::logError(LogModule, QStringLiteral("GPSD::run() the GPS device is gone, reading stops"));
            return;
        }
        if (ready == 0)
            continue;
        const int count = comport_read(port, buffer, ReadSize);
        if (count <= 0) {
            // Ready yet nothing to read: a device in trouble; do not spin on it.
            msleep(IdleWaitMs);
            continue;
        }
        if (logNmea)
            appendToNmeaLog(buffer, count);
        const quint32 rejectedBefore = parser.rejectedSentences();
        for (int i = 0; i < count; ++i)
            if (parser.feed(buffer[i]))
                report(parser, last);
        if (const quint32 rejected = parser.rejectedSentences() - rejectedBefore)
            QLogger::logWarning(
                GpsLogModule,
                QStringLiteral("GPSD::run() %1 sentence(s) with a bad checksum dropped").arg(rejected));
    }
}

void GPSD::appendToNmeaLog(const char* bytes, int count) const
{
    // A missing "record" folder or a refused file only loses the log.
    QFile file(nmeaLogPath);
    if (file.open(QIODevice::Append | QIODevice::Text))
        file.write(bytes, count);
}

void GPSD::report(const NmeaParser& parser, Reported& last)
{
    const NmeaFix& fix = parser.fix();
    GlobalRFData* data = GlobalRFData::instance();
    int year = 0;
    quint8 month = 0, day = 0, hour = 0, minute = 0, second = 0;
    parser.splitDateTime(&year, &month, &day, &hour, &minute, &second, nullptr, nullptr);

    if (fix.hasAltitude())
        data->altitude = float(fix.altitude) / 100;
    if (fix.hasPosition()) {
        qint32 microLatitude = 0, microLongitude = 0;
        parser.positionMicrodegrees(&microLatitude, &microLongitude, nullptr);
        const float latitude = float(microLatitude / 1000000.0);
        const float longitude = float(microLongitude / 1000000.0);
        const float altitude = fix.hasAltitude() ? float(fix.altitude) / 100 : last.altitude;
        data->latitude = latitude;
        data->longitude = longitude;
        if (std::fabs(double(last.latitude) - double(latitude)) > MinPositionChange ||
            std::fabs(double(last.longitude) - double(longitude)) > MinPositionChange ||
            std::fabs(double(last.altitude) - double(altitude)) > MinAltitudeChange) {
            emit hasGpsFix(latitude, longitude);
            const QString time =
                fix.hasTime() ? QStringLiteral("%1:%2:%3").arg(int(hour)).arg(int(minute)).arg(int(second))
                              : QStringLiteral("-");
            const QString height = fix.hasAltitude() ? QString::number(double(altitude), 'f', 2) : QString();
            QLogger::logDebug(GpsLogModule, QStringLiteral("%1, %2,%3,%4")
                                                .arg(time)
                                                .arg(double(latitude), 0, 'f', 6)
                                                .arg(double(longitude), 0, 'f', 6)
                                                .arg(height));
            last.latitude = latitude;
            last.longitude = longitude;
            last.altitude = altitude;
        }
    }
    if (fix.hasTime() && second != last.second) {
        emit hasGpsTime(year, month, day, hour, minute, second, 0);
        data->month = month;
        data->day = day;
        data->hour = hour;
        data->minute = minute;
        data->second = second;
        data->year = year;
        last.second = second;
    }
}

void GPSD::startLocalTimer()
{
    if (localTimer)
        return;
    QLogger::logError(LogModule, QStringLiteral("GPSD:: start local timer"));
    localTimer = new QTimer(this);
    connect(localTimer, &QTimer::timeout, this, &GPSD::SLOT_timer);
    localTimer->start(LocalClockIntervalMs);
}

void GPSD::SLOT_timer()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDate date = now.date();
    const QTime time = now.time();
    GlobalRFData* data = GlobalRFData::instance();
    data->hour = time.hour();
    data->minute = time.minute();
    data->second = time.second();
    data->day = date.day();
    data->month = date.month();
    data->year = date.year();
    if (time.second() != lastLocalSecond) {
        lastLocalSecond = time.second();
        emit hasGpsTime(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second(),
                        data->msec);
    }
}
