#include "decoders/whatson/WhatsonMapObject.h"

#include "decoders/whatson/RFStation.h"

#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QTextDocument>

whatsonMapObject::whatsonMapObject(RFStation* s, QColor c, QObject* parent)
    : MapGraphicsObject(true), station(s), color(c)
{
    Q_UNUSED(parent); // map objects belong to nobody once added to a scene
    qRegisterMetaType<RFStation*>();
    setFlag(MapObjectSelectable, true);
    setVisible(true);
    setPos(QPointF(float(station->longitude), float(station->latitude)));
    // The tool tip would take markup for rich text: the name is shown as it is.
    setToolTip(Qt::convertFromPlainText(station->bcast_name));
    setZValue(99);
    connect(this, &MapGraphicsObject::SIG_isSelected, this, &whatsonMapObject::PRIV_SLOT_selected);
}

QRectF whatsonMapObject::boundingRect() const
{
    return QRectF(-40, -40, 90, 90);
}

void whatsonMapObject::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(QBrush(color, Qt::SolidPattern));
    painter->drawEllipse(QRectF(-radius, -radius, 2 * radius, 2 * radius));

    painter->setFont(QFont(QStringLiteral("Arial"), 8));
    painter->setPen(Qt::black);
    painter->save();
    // Upright text in the object's north-up coordinates.
    painter->scale(1, -1);
    painter->setRenderHint(QPainter::Antialiasing, false);
    const int h = QFontMetrics(painter->font()).height();
    const int x = -int(radius);
    const int y1 = h + int(radius) + 2;
    const int y2 = y1 + h + 1;
    const int y3 = y2 + h + 1;
    painter->drawText(x, y1, station->bcast_name);
    painter->drawText(x, y2, QString::number(double(station->frequency) / 1e6, 'f', 3) + " MHz");
    painter->drawText(x, y3, station->lang);
    painter->restore();
}

void whatsonMapObject::keyReleaseEvent(QKeyEvent* event)
{
    event->ignore();
}

void whatsonMapObject::PRIV_SLOT_selected()
{
    if (isSelected())
        emit SIG_WhatsonMapSelected(station, station->frequency);
}
