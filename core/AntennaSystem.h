#pragma once

#include <QObject>
#include <atomic>

// The direction of the station's antenna: azimuth with a north correction,
// elevation and beam width. Set from the accessory link's and the remote
// receiver's threads and from the GUI, read by the engine thread and the
// displays; every field is read and written whole, without a lock.
class AntennaSystem : public QObject
{
    Q_OBJECT
public:
    // The process-wide object, created on first use.
    static AntennaSystem* instance()
    {
        static AntennaSystem antenna;
        return &antenna;
    }

    // Reads the beam width from the program settings ("Antenna"/"beamwidth"),
    // writing the default 10 degrees when it is missing.
    AntennaSystem();

    // The reported azimuth: the raw azimuth plus the north offset, not wrapped.
    float getAzimuth() const { return m_rawAzimuth + m_northOffset; }
    float getElevation() const { return m_elevation; }
    float getBeamwidth() const { return m_beamwidth; }
    // Whether an azimuth was ever accepted.
    bool isChanged() const { return m_changed; }

    // Takes a new raw azimuth in degrees: a negative value is turned once by
    // 360, a value above 360 is taken as 360, and a change below 0.25 degree
    // is ignored.
    void setAzimuth(float degrees);

public slots:
    // The present direction becomes north.
    void SLOT_setNorth();
    // The present direction becomes measuredAzimuth.
    void SLOT_setAzimuthFromMeasurement(float measuredAzimuth);

signals:
    void SIG_AntennaOrientationChanged(float newAzimuth, float newElevation);

private:
    std::atomic<float> m_rawAzimuth{0};
    std::atomic<float> m_elevation{0};
    std::atomic<float> m_beamwidth{10};
    std::atomic<float> m_northOffset{0};
    std::atomic<bool> m_changed{false};
};
