#include "zxVersionChecker.h"

#include "core/FileDownloader.h"
#include "core/ProgramSettings.h"
#include "core/ProgramVersion.h"
#include "core/QLogger.h"
#include "engine/plugins/PluginManager.h"

#include <QDebug>
#include <QSettings>
#include <QUrl>
#include <QUrlQuery>

#include <cmath>

namespace {

const QString DefaultDownloadHost = QStringLiteral("download.vantor-sdr.example");
const QString DefaultWebSite = QStringLiteral("http://www.vantor-sdr.example");

QString versionSetting(const QString& key, const QString& defaultValue)
{
    auto settings = ProgramSettings::open();
    settings->beginGroup(QStringLiteral("Version"));
    return ProgramSettings::valueOrWriteDefault(*settings, key, defaultValue).toString();
}

} // namespace

zxVersionChecker::zxVersionChecker(QObject* parent, int timeoutMs) : QObject(parent), m_timeoutMs(timeoutMs)
{
}

QString zxVersionChecker::downloadHost()
{
    return versionSetting(QStringLiteral("download_host"), DefaultDownloadHost);
}

QString zxVersionChecker::webSiteAddress()
{
    return versionSetting(QStringLiteral("web_site"), DefaultWebSite);
}

void zxVersionChecker::check()
{
    QLogger::logTrace(LogModule,
                      QStringLiteral("zxVersionChecker::check() - myversion= ") + ProgramVersion::Text);
    QUrl url(QStringLiteral("http://") + downloadHost() + QStringLiteral("/client/VERSION_WIN.txt"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("myversion"), ProgramVersion::BuildNumber);
    url.setQuery(query);
    delete downloader;
    downloader = new FileDownloader(url, this);
    downloader->setTimeout(m_timeoutMs);
    downloader->setMaxBytes(MaxReplyBytes);
    connect(downloader, &FileDownloader::downloaded, this, &zxVersionChecker::SLOT_downloaded);
    downloader->startDownload();
}

void zxVersionChecker::SLOT_downloaded()
{
    const QString remote = downloader->downloadedText();
    QLogger::logTrace(LogModule,
                      QStringLiteral("zxVersionChecker::SLOT_downloaded() - remote version= ") + remote);
    if (!downloader->succeeded()) {
        QLogger::logError(LogModule,
                          QStringLiteral("zxVersionChecker::SLOT_downloaded() the version check failed: ") +
                              downloader->errorText());
        return;
    }
    bool isNumber = false;
    const double site = remote.toDouble(&isNumber);
    if (!isNumber || !std::isfinite(site)) {
        QLogger::logError(
            LogModule,
            QStringLiteral("zxVersionChecker::SLOT_downloaded() the version check failed: the reply "
                           "is not a version number"));
        return;
    }
    const double mine = ProgramVersion::BuildNumber.toDouble();
    qDebug() << "my Version =" << mine << "Site:" << site;

    QString news;
    if (site > mine) {
        QLogger::logTrace(LogModule,
                          QStringLiteral("zxVersionChecker::SLOT_downloaded() new Version available"));
        emit SIG_NewVersionAvailable(site);
        news = tr("nouvelle version disponible:") + remote + QStringLiteral("\n");
    } else {
        news = tr("vous avez la derniere version\n");
    }
    news += QStringLiteral("consultez ") + webSiteAddress() + QStringLiteral(" pour les evolutions.<br/>\n");
    PluginManager::instance()->invokePluginMethod(QStringLiteral("news"), "addNews", {news},
                                                  Qt::AutoConnection);
}
