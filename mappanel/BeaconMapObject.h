#pragma once

#include "lists/dbBeacon.h"
#include "map/graphics/MapGraphicsObject.h"

#include <QColor>

// One frequency row on the map (a database beacon, a personal memory, a remote
// server's bookmark or a spot): a small disc with the callsign, the frequency
// in MHz and the comment when there is one, a fixed size in screen pixels.
// Born hidden: the map panel's filters decide when it shows. Selecting a
// visible object reports its row.
class BeaconMapObject : public MapGraphicsObject
{
    Q_OBJECT

public:
    // The row is not owned: it must outlive the object.
    BeaconMapObject(dbBeacon* beacon, QColor color, MapGraphicsObject* parent = nullptr);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget = nullptr) override;

    dbBeacon* row() const { return beacon; }

signals:
    void SIG_BeaconSelected(dbBeacon* beacon, qlonglong beaconFreq);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;

private slots:
    void PRIV_SLOT_selected();

private:
    dbBeacon* beacon;
    double radius = 6.0;
    QColor color;
};
