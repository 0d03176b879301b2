#include "MapTileGraphicsObject.h"

#include "map/tiles/MapTileSource.h"

#include <QPainter>
#include <QPixmap>
#include <QtDebug>

#include <cmath>

namespace {
constexpr qreal TileZValue = -1.0;
} // namespace

MapTileGraphicsObject::MapTileGraphicsObject(quint16 tileSize) : m_tileSize(tileSize)
{
    setZValue(TileZValue);
}

MapTileGraphicsObject::~MapTileGraphicsObject()
{
    delete m_picture;
}

QRectF MapTileGraphicsObject::boundingRect() const
{
    return QRectF(-m_tileSize / 2.0, -m_tileSize / 2.0, m_tileSize, m_tileSize);
}

void MapTileGraphicsObject::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const QRectF rect = boundingRect();
    if (m_picture != nullptr) {
        const QRect target(int(std::lround(rect.left())), int(std::lround(rect.top())),
                           int(std::lround(rect.width())), int(std::lround(rect.height())));
        painter->drawPixmap(target, *m_picture);
    } else {
        painter->drawText(rect, Qt::AlignCenter,
                          m_tileSource.isNull() ? QStringLiteral(" No tile source defined")
                                                : QStringLiteral(" Loading..."));
    }
}

void MapTileGraphicsObject::setTileSize(quint16 tileSize)
{
    if (tileSize != m_tileSize)
        m_tileSize = tileSize;
}

void MapTileGraphicsObject::setTile(quint32 x, quint32 y, quint8 z, bool force)
{
    if (m_initialized && !force && x == m_tileX && y == m_tileY && z == m_tileZoom)
        return;
    delete m_picture;
    m_picture = nullptr;
    m_tileX = x;
    m_tileY = y;
    m_tileZoom = z;
    m_initialized = true;
    update();
    if (m_tileSource.isNull())
        return;
    connect(m_tileSource.data(), &MapTileSource::tileRetrieved, this,
            &MapTileGraphicsObject::handleTileRetrieved, Qt::UniqueConnection);
    m_requestPending = true;
    m_tileSource->requestTile(x, y, z);
}

void MapTileGraphicsObject::setTileSource(QSharedPointer<MapTileSource> source)
{
    if (!m_tileSource.isNull())
        disconnect(m_tileSource.data(), nullptr, this, nullptr);
    m_tileSource = source;
    if (!m_tileSource.isNull())
        connect(m_tileSource.data(), &MapTileSource::allTilesInvalidated, this,
                &MapTileGraphicsObject::handleTileInvalidation);
    if (m_initialized)
        setTile(m_tileX, m_tileY, m_tileZoom, true);
}

void MapTileGraphicsObject::handleTileRetrieved(quint32 x, quint32 y, quint8 z)
{
    if (!m_requestPending || x != m_tileX || y != m_tileY || z != m_tileZoom)
        return;
    m_requestPending = false;
    QImage* image = m_tileSource->getFinishedTile(x, y, z);
    if (image == nullptr) {
        qWarning() << "Failed to get tile" << x << y << z << "from MapTileSource";
        return;
    }
    QPixmap* picture = new QPixmap(QPixmap::fromImage(*image));
    delete image;
    if (m_picture != nullptr) {
        qWarning() << "Tile should be null, but isn't";
        delete m_picture;
    }
    m_picture = picture;
    update();
    disconnect(m_tileSource.data(), &MapTileSource::tileRetrieved, this,
               &MapTileGraphicsObject::handleTileRetrieved);
}

void MapTileGraphicsObject::handleTileInvalidation()
{
    if (m_initialized)
        setTile(m_tileX, m_tileY, m_tileZoom, true);
}
