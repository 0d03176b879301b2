#pragma once

#include "decoders/adsb/Aircraft.h"

#include <QMetaType>
#include <QString>

// What the ADS-B receiver keeps of one aircraft for the map and the aircraft
// log: its own copy of the decoder's record (without the list's link and
// lock), refreshed from the record as messages arrive. A plain value that may
// travel between threads.
class AircraftTrack
{
public:
    static constexpr int AltitudeStepFeet = 10;
    static constexpr double PositionStepDegrees = 1e-5;

    AircraftTrack();
    explicit AircraftTrack(const aircraft& record);

    // Copies position, altitude, speed, track, vertical rate, frame time and
    // flight. True when the altitude moved by more than AltitudeStepFeet or
    // the position by more than PositionStepDegrees (distance in degrees).
    bool update(const aircraft& record);

    const aircraft& record() const { return m_record; }
    quint32 address() const { return m_record.address; }
    bool hasPosition() const { return m_record.hasPosition; }
    double latitude() const { return m_record.latitude; }
    double longitude() const { return m_record.longitude; }
    int altitude() const { return m_record.altitude; }
    int track() const { return m_record.track; }
    QString flight() const { return QString::fromLatin1(m_record.flight); }

    // One line of the aircraft log, without its line end: GPS time; frame
    // time; address; flight; latitude; longitude; altitude; speed; track.
    QString trackLine() const;
    // Appends the line to LogFile (creating "./record" when missing); the line
    // is lost when the file cannot be opened.
    void writeTrackLine() const;

    static const QString LogFile; // "./record/adsb.dat"

private:
    void copyFrom(const aircraft& record);

    aircraft m_record;
};

Q_DECLARE_METATYPE(AircraftTrack)
