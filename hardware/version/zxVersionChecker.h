#pragma once

#include <QObject>
#include <QString>

class FileDownloader;

// Once per run: fetches the version file from the download server, tells the
// main window when it names a newer build, and posts the outcome with the web
// site's address to the news plug-in. A check that fails (no network, an HTTP
// error, no answer in time, a reply that is not a number) is logged and posts
// nothing: it never claims that this version is the latest.
//
// The server and the site are settings of the group "Version" ("download_host",
// "web_site"), written with their defaults when missing.
class zxVersionChecker : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultTimeoutMs = 20000;
    // A version file is one number; anything longer is not one.
    static constexpr qint64 MaxReplyBytes = 4096;

    explicit zxVersionChecker(QObject* parent = nullptr, int timeoutMs = DefaultTimeoutMs);

    // Host (and port) of the download server.
    static QString downloadHost();
    // The address shown to the user for news of the program.
    static QString webSiteAddress();

    // Starts the download; SLOT_downloaded evaluates it.
    void check();

public slots:
    void SLOT_downloaded();

signals:
    void SIG_NewVersionAvailable(double version);

private:
    FileDownloader* downloader = nullptr;
    const int m_timeoutMs;
};
