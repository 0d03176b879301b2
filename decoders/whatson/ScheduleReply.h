#pragma once

#include "decoders/whatson/RFStation.h"

#include <QByteArray>
#include <QJsonArray>
#include <QList>

// The schedule service's answer as it came over the network: a UTF-8 JSON
// array of station entries. Anything else (another JSON value, a truncated or
// broken document, an empty body) holds no entries. The body ends at its first
// NUL byte.
class ScheduleReply
{
public:
    explicit ScheduleReply(const QByteArray& body);

    // Whether the body was a JSON array.
    bool isArray() const { return m_isArray; }
    // The array's elements as they came; elements that are no objects stay in.
    const QJsonArray& entries() const { return m_entries; }
    // The entries read as stations, in order; entries without a frequency are
    // left out. No bookmark is made.
    QList<RFStation> stations() const;

private:
    QJsonArray m_entries;
    bool m_isArray = false;
};
