#pragma once

#include "map/graphics/MapGraphicsObject.h"

#include <QColor>

struct RFStation;

// A broadcast station on the map: a disc of 12 pixels at the transmitter with
// the broadcaster, the frequency and the language written under it. Selecting
// it announces the station.
class whatsonMapObject : public MapGraphicsObject
{
    Q_OBJECT
public:
    static constexpr qreal Radius = 6.0;

    // The station is not owned; it must outlive the marker.
    whatsonMapObject(RFStation* station, QColor color, QObject* parent = nullptr);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget = nullptr) override;

    RFStation* station;
    qreal radius = Radius;
    QColor color;

signals:
    void SIG_WhatsonMapSelected(RFStation* station, qlonglong beaconFreq);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;

private slots:
    void PRIV_SLOT_selected();
};
