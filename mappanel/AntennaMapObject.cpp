#include "AntennaMapObject.h"

#include "core/AntennaSystem.h"
#include "map/geo/GeoTools.h"

#include <QFont>
#include <QPainter>

#include <cmath>

namespace {
constexpr int BeamLengthPx = 350;
} // namespace

AntennaMapObject::AntennaMapObject(MapGraphicsObject* parent)
    : MapGraphicsObject(true, parent), color(255, 20, 20, 128)
{
    AntennaSystem* antenna = AntennaSystem::instance();
    azimuth = antenna->getAzimuth();
    elevation = antenna->getElevation();
    beamwidth = antenna->getBeamwidth();
    const Position station = GeoTools::instance().getStationPosition();
    latitude = float(station.latitude());
    longitude = float(station.longitude());
    setVisible(true);
    setPos(QPointF(longitude, latitude));
    connect(antenna, &AntennaSystem::SIG_AntennaOrientationChanged, this,
            &AntennaMapObject::SLOT_updateAntennaDirection);
}

QRectF AntennaMapObject::boundingRect() const
{
    return QRectF(-BeamLengthPx, -BeamLengthPx, 2 * BeamLengthPx, 2 * BeamLengthPx);
}

void AntennaMapObject::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    painter->save();
    // x eastwards, y southwards: a bearing b (clockwise from north) points
    // along the angle b - 90 of this frame.
    painter->scale(1, -1);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(QBrush(color, Qt::SolidPattern));
    painter->drawEllipse(QRectF(-radius, -radius, 2 * radius, 2 * radius));
    for (const float bearing : {azimuth - beamwidth / 2, azimuth + beamwidth / 2}) {
        const double e = (bearing - 90) * 3.14159265 / 180;
        painter->drawLine(0, 0, int(BeamLengthPx * std::cos(e)), int(BeamLengthPx * std::sin(e)));
    }
    painter->setFont(QFont("Arial", 8));
    painter->setPen(Qt::black);
    const int h = painter->fontMetrics().height();
    painter->drawText(int(-radius), int(h + radius + 2), QString::number(double(azimuth), 'f', 1));
    painter->restore();
}

void AntennaMapObject::SLOT_updateAntennaDirection(float angleDeg, float newElevation)
{
    azimuth = angleDeg;
    elevation = newElevation;
    emit redrawRequested();
}

void AntennaMapObject::SLOT_stationChangedLocation(float newLatitude, float newLongitude)
{
    latitude = newLatitude;
    longitude = newLongitude;
    setPos(QPointF(longitude, latitude));
}
