#pragma once

#include "decoders/adsb/AircraftTrack.h"
#include "map/graphics/MapGraphicsObject.h"

#include <QColor>

// One aircraft on the map, drawn in screen pixels: an oval along its track
// with the flight and the altitude written under it. It keeps its own copy of
// the aircraft's record. It is only offered to the map (pendingAdd) once the
// aircraft has a position, so nothing is drawn at 0 degrees, 0 degrees.
//
// Fed on the map's thread, from the decoder's records or from the tracks the
// ADS-B receiver announces (SIG_aircraftAppeared, SIG_aircraftMoved).
class QPlaneWrapper : public MapGraphicsObject
{
    Q_OBJECT
public:
    explicit QPlaneWrapper(QObject* parent = nullptr);

    // Takes a copy of the record and moves the item to its position.
    void setAircraft(const aircraft* record);
    void setTrack(const AircraftTrack& track);
    // Refreshes the copy and the position; true when the aircraft moved more
    // than a step or changed altitude by more than a step (AircraftTrack), or
    // had no record yet.
    bool updateAircraft(const aircraft* record);
    bool updateTrack(const AircraftTrack& track);
    // Appends the track line to the aircraft log, once the aircraft has a position.
    void writeTrackLine() const;

    bool hasRecord() const { return m_hasRecord; }
    const AircraftTrack& track() const { return m_track; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget = nullptr) override;

    // Set when the aircraft first has a position; the map adds the item to
    // its scene and clears it.
    bool pendingAdd = false;
    double symbolSize = 8.0; // pixels
    QColor color = Qt::green;

private:
    void followPosition();

    AircraftTrack m_track;
    bool m_hasRecord = false;
    bool m_offered = false; // pendingAdd was set once
};
