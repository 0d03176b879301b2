#include "FileDownloader.h"

#include <QTimer>

namespace {

// Why a reply was aborted by us, kept on the reply for its end.
const char* const AbortReasonProperty = "abortReason";
// The size limit the reply was started with.
const char* const MaxBytesProperty = "maxBytes";

QString tooLarge(qint64 limit)
{
    return QStringLiteral("the reply is larger than %1 bytes").arg(limit);
}

void abortFor(QNetworkReply* reply, const QString& reason)
{
    if (reply->isFinished())
        return;
    reply->setProperty(AbortReasonProperty, reason);
    reply->abort();
}

} // namespace

FileDownloader::FileDownloader(QUrl url, QObject* parent) : QObject(parent)
{
    connect(&networkManager, &QNetworkAccessManager::finished, this, &FileDownloader::fileDownloaded);
    netRequest.setUrl(url);
    netRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                            QNetworkRequest::NoLessSafeRedirectPolicy);
}

void FileDownloader::startDownload(QUrl url)
{
    if (!url.isEmpty())
        netRequest.setUrl(url);
    startDownload();
}

void FileDownloader::startDownload()
{
    QNetworkReply* reply = networkManager.get(netRequest);
    connect(reply, &QNetworkReply::errorOccurred, this, &FileDownloader::fileFailed, Qt::QueuedConnection);
    const int timeout = timeoutMs;
    const qint64 limit = maxBytes;
    QTimer::singleShot(timeout, reply, [reply, timeout] {
        abortFor(reply, QStringLiteral("not finished within %1 ms").arg(timeout));
    });
    // Stops a large body early; fileDownloaded checks the whole one.
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply, limit](qint64 received, qint64) {
        if (received > limit)
            abortFor(reply, tooLarge(limit));
    });
    reply->setProperty(MaxBytesProperty, limit);
}

QString FileDownloader::downloadedText() const
{
    const int end = downloadedBytes.indexOf('\0');
    return QString::fromLatin1(end < 0 ? downloadedBytes : downloadedBytes.left(end));
}

void FileDownloader::fileDownloaded(QNetworkReply* reply)
{
    const QNetworkReply::NetworkError error = reply->error();
    QString abortReason = reply->property(AbortReasonProperty).toString();
    const qint64 limit = reply->property(MaxBytesProperty).toLongLong();
    if (abortReason.isEmpty() && reply->bytesAvailable() > limit)
        abortReason = tooLarge(limit);
    downloadedBytes = abortReason.isEmpty() ? reply->readAll() : QByteArray();
    if (!abortReason.isEmpty())
        lastErrorText = abortReason;
    else if (error != QNetworkReply::NoError)
        lastErrorText = reply->errorString();
    else
        lastErrorText.clear();
    reply->deleteLater();
    emit downloaded();
}

void FileDownloader::fileFailed(QNetworkReply::NetworkError networkError)
{
    if (networkError == QNetworkReply::ContentNotFoundError)
        emit failed();
}
