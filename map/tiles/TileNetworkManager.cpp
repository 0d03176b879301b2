#include "TileNetworkManager.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThreadStorage>

const QByteArray TileNetworkManager::DefaultUserAgent = QByteArrayLiteral("MapGraphics");

namespace {
// Each thread's instance, deleted by the thread itself as it ends.
QThreadStorage<TileNetworkManager*> instances;
} // namespace

TileNetworkManager* TileNetworkManager::instance()
{
    if (!instances.hasLocalData())
        instances.setLocalData(new TileNetworkManager());
    return instances.localData();
}

TileNetworkManager::TileNetworkManager()
    : m_accessManager(new QNetworkAccessManager()), m_userAgent(DefaultUserAgent)
{
}

TileNetworkManager::~TileNetworkManager()
{
    delete m_accessManager;
}

QNetworkReply* TileNetworkManager::get(QNetworkRequest& request)
{
    request.setRawHeader("User-Agent", m_userAgent);
    return m_accessManager->get(request);
}
