#include "AntennaSystem.h"

#include "ProgramSettings.h"
#include "QLogger.h"

#include <QSettings>
#include <cmath>

AntennaSystem::AntennaSystem()
{
    QLogger::logTrace(LogModule, "AntennaSystem::AntennaSystem() ");
    auto settings = ProgramSettings::open();
    settings->beginGroup("Antenna");
    bool wroteDefault = false;
    m_beamwidth = ProgramSettings::valueOrWriteDefault(*settings, "beamwidth", 10.0, &wroteDefault).toFloat();
    settings->endGroup();
    QString width = QString::number(m_beamwidth.load());
    if (wroteDefault)
        QLogger::logTrace(LogModule, "Antenna size not set, using default " + width);
    else
        QLogger::logTrace(LogModule, "Loading antenna aperture " + width);
    QLogger::logTrace(LogModule, "AntennaSystem::AntennaSystem() done ");
}

void AntennaSystem::setAzimuth(float degrees)
{
    if (degrees < 0)
        degrees += 360;
    if (degrees > 360)
        degrees = 360;
    if (std::fabs(degrees - m_rawAzimuth) < 0.25f)
        return;
    m_rawAzimuth = degrees;
    m_changed = true;
    emit SIG_AntennaOrientationChanged(degrees + m_northOffset, m_elevation);
}

void AntennaSystem::SLOT_setNorth()
{
    m_northOffset = -m_rawAzimuth;
    emit SIG_AntennaOrientationChanged(getAzimuth(), m_elevation);
}

void AntennaSystem::SLOT_setAzimuthFromMeasurement(float measuredAzimuth)
{
    m_northOffset = measuredAzimuth - m_rawAzimuth;
    emit SIG_AntennaOrientationChanged(getAzimuth(), m_elevation);
}
