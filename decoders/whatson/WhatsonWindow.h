#pragma once

#include "decoders/whatson/RFStation.h"

#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QTime>

// One 2 MHz window of the broadcast schedule as the service answered it: the
// stations on the air or still to come, at most one per frequency. Windows and
// their stations stay for the whole run.
class WhatsonWindow
{
public:
    WhatsonWindow(qint64 startHz, qint64 stopHz);
    ~WhatsonWindow();
    WhatsonWindow(const WhatsonWindow&) = delete;
    WhatsonWindow& operator=(const WhatsonWindow&) = delete;

    // Adds the answer's entries: each entry with a new frequency gets a
    // bookmark, and becomes a station of the window when its frequency lies
    // in the window (edges included) and it is listed at nowUtc.
    void parseSchedule(const QJsonArray& entries, const QTime& nowUtc);
    // The window's station with that key, or null.
    RFStation* findStation(int schedkey) const;

    qint64 startHz;
    qint64 stopHz;
    int lowestKey = 0;
    int highestKey = 0;
    QList<RFStation*> stations; // owned, in the order of the answers
    QHash<qint64, RFStation*> byFrequency;
};

// The windows asked for so far in this process, in the order they were made.
QList<WhatsonWindow*>& whatsonWindows();
