#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QString>
#include <QUrl>

// Fetches one HTTP resource into memory. Every request ends with downloaded(),
// a failed one too: succeeded() tells which, and a not-found reply also emits
// failed() (queued from the reply's error report, so after downloaded()). Redirects are followed (never from
// https to http), the application proxy applies, and a request is aborted as failed when it has not finished
// within the time-out or its body outgrows the size limit.
class FileDownloader : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultTimeoutMs = 30000;
    static constexpr qint64 DefaultMaxBytes = 16 * 1024 * 1024;

    explicit FileDownloader(QUrl url, QObject* parent = nullptr);

    // GETs url, which replaces the stored URL unless it is empty.
    void startDownload(QUrl url);
    // GETs the stored URL.
    void startDownload();
    // Apply to the requests started afterwards.
    void setTimeout(int milliseconds) { timeoutMs = milliseconds; }
    void setMaxBytes(qint64 bytes) { maxBytes = bytes; }

    // The body of the last finished request, as it came.
    QByteArray downloadedData() const { return downloadedBytes; }
    // The body up to its first NUL byte, read as Latin-1.
    QString downloadedText() const;
    // Whether the last finished request brought its body (no network, HTTP,
    // time-out or size failure).
    bool succeeded() const { return lastErrorText.isEmpty(); }
    // Why the last finished request failed, for the log; empty after a success.
    QString errorText() const { return lastErrorText; }

signals:
    void downloaded();
    // The server has no such resource (HTTP 404); follows downloaded().
    void failed();

private slots:
    void fileDownloaded(QNetworkReply* reply);
    // Emits failed() for a not-found reply; every other error is only told
    // by succeeded() and errorText().
    void fileFailed(QNetworkReply::NetworkError networkError);

private:
    QNetworkAccessManager networkManager;
    QByteArray downloadedBytes;
    QNetworkRequest netRequest;
    int timeoutMs = DefaultTimeoutMs;
    qint64 maxBytes = DefaultMaxBytes;
    QString lastErrorText;
};
