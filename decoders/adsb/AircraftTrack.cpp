#include "decoders/adsb/AircraftTrack.h"

#include "core/GlobalRFData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cmath>
#include <cstdlib>
#include <cstring>

const QString AircraftTrack::LogFile = QStringLiteral("./record/adsb.dat");

AircraftTrack::AircraftTrack()
{
    std::memset(&m_record, 0, sizeof m_record);
}

AircraftTrack::AircraftTrack(const aircraft& record) : AircraftTrack()
{
    m_record.address = record.address;
    std::memcpy(m_record.addressText, record.addressText, sizeof m_record.addressText);
    m_record.seen = record.seen;
    m_record.messages = record.messages;
    copyFrom(record);
}

void AircraftTrack::copyFrom(const aircraft& record)
{
    m_record.latitude = record.latitude;
    m_record.longitude = record.longitude;
    m_record.hasPosition = record.hasPosition;
    m_record.altitude = record.altitude;
    m_record.speed = record.speed;
    m_record.track = record.track;
    m_record.verticalRateDown = record.verticalRateDown;
    m_record.verticalRate = record.verticalRate;
    m_record.frameTime = record.frameTime;
    std::memcpy(m_record.flight, record.flight, sizeof m_record.flight);
    m_record.flight[sizeof m_record.flight - 1] = '\0';
}

bool AircraftTrack::update(const aircraft& record)
{
    const double dLat = record.latitude - m_record.latitude;
    const double dLon = record.longitude - m_record.longitude;
    const bool moved = std::sqrt(dLat * dLat + dLon * dLon) > PositionStepDegrees;
    const bool climbed = std::abs(record.altitude - m_record.altitude) > AltitudeStepFeet;
    copyFrom(record);
    return moved || climbed;
}

QString AircraftTrack::trackLine() const
{
    const QChar sep(';');
    return GlobalRFData::instance()->timeText() + sep + QString::number(m_record.frameTime) + sep +
           QString::fromLatin1(m_record.addressText) + sep + flight() + sep +
           QString::number(m_record.latitude, 'f', 6) + sep + QString::number(m_record.longitude, 'f', 6) +
           sep + QString::number(m_record.altitude) + sep + QString::number(double(m_record.speed), 'f', 6) +
           sep + QString::number(m_record.track);
}

void AircraftTrack::writeTrackLine() const
{
    QDir().mkpath(QFileInfo(LogFile).path());
    QFile file(LogFile);
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return;
    QTextStream out(&file);
    out.setCodec("UTF-8");
    out << trackLine() << '\n';
}
