#include "BeaconMapObject.h"

#include "BeaconInfoText.h"

#include <QDebug>
#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>

BeaconMapObject::BeaconMapObject(dbBeacon* beacon, QColor color, MapGraphicsObject* parent)
    : MapGraphicsObject(true, parent), beacon(beacon), color(color)
{
    setFlag(MapObjectSelectable, true);
    setVisible(false);
    setPos(QPointF(beacon->longitude, beacon->latitude));
    // The name may come from a remote server or another user's spot.
    setToolTip(BeaconInfoText::toolTip(beacon->CALLSIGN));
    setZValue(99.0);
    connect(this, &MapGraphicsObject::SIG_isSelected, this, &BeaconMapObject::PRIV_SLOT_selected);
}

QRectF BeaconMapObject::boundingRect() const
{
    return QRectF(-40, -40, 90, 90);
}

void BeaconMapObject::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(QBrush(color, Qt::SolidPattern));
    painter->drawEllipse(QRectF(-radius, -radius, 2 * radius, 2 * radius));

    painter->setFont(QFont("Arial", 8));
    painter->setPen(Qt::black);
    // The frame handed over has y pointing north; texts want it downwards.
    painter->save();
    painter->scale(1, -1);
    const int h = painter->fontMetrics().height();
    const int x = int(-radius);
    const int y1 = int(h + radius + 2);
    painter->drawText(x, y1, beacon->CALLSIGN);
    // Read at each paint: a spot may have moved the row's frequency.
    painter->drawText(x, y1 + 1 + h, QString::number(double(beacon->FREQ) / 1000000.0, 'f', 3));
    if (!beacon->comment.isEmpty())
        painter->drawText(x, y1 + 1 + h + 1 + h, beacon->comment);
    painter->restore();
}

void BeaconMapObject::keyReleaseEvent(QKeyEvent* event)
{
    event->ignore();
}

void BeaconMapObject::PRIV_SLOT_selected()
{
    if (!isVisible())
        return;
    qDebug() << "beacon selected " << beacon->CALLSIGN;
    emit SIG_BeaconSelected(beacon, qlonglong(beacon->FREQ));
}
