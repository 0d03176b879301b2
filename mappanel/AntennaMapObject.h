#pragma once

#include "map/graphics/MapGraphicsObject.h"

#include <QColor>

// The antenna at the station: a disc, the two edges of the beam drawn north up
// and clockwise (as the polar display shows the azimuth), and the azimuth in
// degrees, a fixed size in screen pixels. Follows the antenna orientation; the
// map panel relays the station moves.
class AntennaMapObject : public MapGraphicsObject
{
    Q_OBJECT

public:
    explicit AntennaMapObject(MapGraphicsObject* parent = nullptr);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget = nullptr) override;

    float getAzimuth() const { return azimuth; }
    float getElevation() const { return elevation; }
    float getBeamwidth() const { return beamwidth; }

public slots:
    void SLOT_updateAntennaDirection(float angleDeg, float newElevation);
    void SLOT_stationChangedLocation(float newLatitude, float newLongitude);

private:
    QColor color;
    float azimuth;
    float elevation;
    float latitude;
    float longitude;
    // Read once: the beam width does not change while the program runs.
    float beamwidth;
    double radius = 8.0;
};
