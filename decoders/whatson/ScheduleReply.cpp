#include "decoders/whatson/ScheduleReply.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

ScheduleReply::ScheduleReply(const QByteArray& body)
{
    const int end = body.indexOf('\0');
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(end < 0 ? body : body.left(end), &error);
    if (error.error == QJsonParseError::NoError && document.isArray()) {
        m_entries = document.array();
        m_isArray = true;
    }
}

QList<RFStation> ScheduleReply::stations() const
{
    QList<RFStation> result;
    for (const QJsonValue& value : m_entries) {
        RFStation station;
        station.readJson(value.toObject());
        if (station.frequency != 0)
            result.append(station);
    }
    return result;
}
