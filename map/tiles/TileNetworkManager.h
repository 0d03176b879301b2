#pragma once

#include <QByteArray>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

// One HTTP access manager per thread for the tile sources, each used only by
// the thread that made it and deleted in that thread when the thread ends, so
// that a thread made later never gets a manager of a thread that is gone.
// Every request carries the same "User-Agent".
class TileNetworkManager
{
public:
    // The user agent of new instances.
    static const QByteArray DefaultUserAgent;

    // The calling thread's instance, made on first use.
    static TileNetworkManager* instance();

    // Sets the "User-Agent" header and issues a GET; the reply belongs to the
    // access manager, the caller schedules its deletion.
    QNetworkReply* get(QNetworkRequest& request);

    void setUserAgent(const QByteArray& userAgent) { m_userAgent = userAgent; }
    QByteArray userAgent() const { return m_userAgent; }

    ~TileNetworkManager();

private:
    TileNetworkManager();
    TileNetworkManager(const TileNetworkManager&) = delete;
    TileNetworkManager& operator=(const TileNetworkManager&) = delete;

    QNetworkAccessManager* m_accessManager;
    QByteArray m_userAgent;
};
