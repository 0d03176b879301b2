#include "decoders/whatson/WhatsonWindow.h"

#include <QJsonObject>
#include <QJsonValue>

#include <algorithm>
#include <memory>

WhatsonWindow::WhatsonWindow(qint64 start, qint64 stop) : startHz(start), stopHz(stop) {}

WhatsonWindow::~WhatsonWindow()
{
    qDeleteAll(stations);
}

void WhatsonWindow::parseSchedule(const QJsonArray& entries, const QTime& nowUtc)
{
    for (const QJsonValue& value : entries) {
        const QJsonObject entry = value.toObject();
        const qint64 frequency = qint64(entry.value("freq").toInt()) * 1000;
        if (frequency == 0 || byFrequency.contains(frequency))
            continue;
        auto station = std::make_unique<RFStation>();
        station->fromJson(entry);
        if (station->frequency < startHz || station->frequency > stopHz || !station->isListedAt(nowUtc))
            continue; // its bookmark stays
        lowestKey = std::min(lowestKey, station->schedkey);
        highestKey = std::max(highestKey, station->schedkey);
        byFrequency.insert(station->frequency, station.get());
        stations.append(station.release());
    }
}

RFStation* WhatsonWindow::findStation(int schedkey) const
{
    for (RFStation* station : stations)
        if (station->schedkey == schedkey)
            return station;
    return nullptr;
}

QList<WhatsonWindow*>& whatsonWindows()
{
    // Never freed: map markers and plug-in cards keep pointers to the stations
    // until the process ends.
    static auto* windows = new QList<WhatsonWindow*>();
    return *windows;
}
