#include "StartupEnvironment.h"

#include "core/AppPaths.h"
#include "core/ProgramSettings.h"
#include "core/QLogger.h"
#include "map/geo/GeoTools.h"

#include <QDebug>
#include <QDir>
#include <QNetworkProxy>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>

namespace {

// Stands in the settings until the user names a real proxy host.
const QString PlaceholderProxyHost = QStringLiteral("proxy.example");
constexpr int DefaultProxyPort = 80;

const QString DefaultDemPath = QStringLiteral("./SRTM3/Eurasia/");
// The station position until the settings or a GPS fix give one (Paris).
constexpr double DefaultStationLatitude = 48.8566;
constexpr double DefaultStationLongitude = 2.3522;

void logTrace(const QString& text)
{
    QLogger::logTrace(LogModule, text);
}

QString defaultMainDatabasePath()
{
    return QDir::toNativeSeparators(AppPaths::applicationDir() + QDir::separator() + "db" +
                                    QDir::separator() + "Orvex.sqlite");
}

void testMainDatabase(QSettings& settings)
{
    QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE");
    settings.beginGroup("Database");
    bool wroteDefault = false;
    QString path =
        ProgramSettings::valueOrWriteDefault(settings, "path", defaultMainDatabasePath(), &wroteDefault)
            .toString();
    if (wroteDefault)
        logTrace("DB: adding path to settings file");
    settings.endGroup();
    database.setDatabaseName(path);
    if (database.open()) {
        logTrace("DB: ok");
    } else {
        qDebug() << "Could not connect to database!";
        QLogger::logError(LogModule, "DB: could not open database ");
        QLogger::logError(LogModule, database.lastError().text());
    }
    database.close();
}

void testPersonalDatabase()
{
    QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "MY");
    database.setDatabaseName(AppPaths::applicationDir() + "/db/mylist.sqlite");
    if (!database.open())
        qDebug() << " cound not open personal freq db";
    database.close();
}

} // namespace

void testDatabases(QSettings& settings)
{
    testMainDatabase(settings);
    testPersonalDatabase();
}

void applyNetworkProxy(QSettings& settings)
{
    settings.beginGroup("Network");
    if (settings.value("use_proxy", false).toBool()) {
        QString host = settings.value("proxy_address", PlaceholderProxyHost).toString();
        bool isNumber = false;
        int port = settings.value("proxy_port", DefaultProxyPort).toInt(&isNumber);
        // A port that is no TCP port would otherwise wrap to an arbitrary one.
        if (!isNumber || port < 1 || port > 65535) {
            logTrace(QString("Invalid proxy port, using %1").arg(DefaultProxyPort));
            port = DefaultProxyPort;
        }
        QNetworkProxy proxy(QNetworkProxy::HttpProxy, host, static_cast<quint16>(port));
        QNetworkProxy::setApplicationProxy(proxy);
        logTrace("Using proxy host: " + proxy.hostName());
    } else {
        logTrace("No proxy");
    }
    settings.endGroup();
}

void loadStationAndTerrain(QSettings& settings)
{
    settings.beginGroup("DEM");
    GeoTools& geo = GeoTools::instance();
    bool hasPath = settings.contains("path");
    geo.setDemPath(settings.value("path", DefaultDemPath).toString());
    // The position is kept in single precision, as the settings have always held it.
    float latitude = settings.value("lat", DefaultStationLatitude).toFloat();
    float longitude = settings.value("lon", DefaultStationLongitude).toFloat();
    geo.setStationLocation(static_cast<double>(longitude), static_cast<double>(latitude));
    if (!hasPath) {
        settings.setValue("path", DefaultDemPath);
        settings.setValue("lon", DefaultStationLongitude);
        settings.setValue("lat", DefaultStationLatitude);
        logTrace("No valid station loction found. Using default");
    }
    settings.endGroup();
}
