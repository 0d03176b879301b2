#include "decoders/adsb/QPlaneWrapper.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

QPlaneWrapper::QPlaneWrapper(QObject* parent) : MapGraphicsObject(true)
{
    Q_UNUSED(parent); // map objects belong to nobody once added to a scene
    setVisible(true);
}

void QPlaneWrapper::setAircraft(const aircraft* record)
{
    if (record != nullptr)
        setTrack(AircraftTrack(*record));
}

void QPlaneWrapper::setTrack(const AircraftTrack& track)
{
    m_track = track;
    m_hasRecord = true;
    followPosition();
}

bool QPlaneWrapper::updateAircraft(const aircraft* record)
{
    if (record == nullptr)
        return false;
    if (!m_hasRecord) {
        setAircraft(record);
        return true;
    }
    const bool changed = m_track.update(*record);
    followPosition();
    return changed;
}

bool QPlaneWrapper::updateTrack(const AircraftTrack& track)
{
    return updateAircraft(&track.record());
}

void QPlaneWrapper::writeTrackLine() const
{
    if (m_hasRecord && m_track.hasPosition())
        m_track.writeTrackLine();
}

void QPlaneWrapper::followPosition()
{
    if (!m_track.hasPosition())
        return;
    setPos(QPointF(m_track.longitude(), m_track.latitude()));
    if (!m_offered) {
        m_offered = true;
        pendingAdd = true;
    }
}

QRectF QPlaneWrapper::boundingRect() const
{
    return QRectF(-100, -100, 200, 200);
}

void QPlaneWrapper::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!m_hasRecord)
        return;
    const double size = symbolSize;
    const qreal track = m_track.track();
    painter->save();
    painter->scale(1, -1);
    painter->rotate(track);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(color);
    painter->drawEllipse(QRectF(-size / 3, -size, 2 * size / 3, 2 * size));

    painter->setFont(QFont(QStringLiteral("Arial"), 8));
    painter->setPen(Qt::black);
    painter->rotate(-track);
    const int h = QFontMetrics(painter->font()).height();
    const int x = int(-size);
    const int y1 = int(h + size + 2);
    painter->drawText(x, y1, m_track.flight());
    painter->drawText(x, y1 + h + 1, QString::number(m_track.altitude()));
    painter->restore();
}
