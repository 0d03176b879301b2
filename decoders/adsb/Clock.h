#pragma once

#include <QtGlobal>

#include <functional>

// Wall-clock time in milliseconds since the epoch (UTC). The ADS-B classes
// read the time through one of these so that tests can set it.
using MillisecondClock = std::function<qint64()>;

// QDateTime::currentMSecsSinceEpoch.
MillisecondClock systemClock();
