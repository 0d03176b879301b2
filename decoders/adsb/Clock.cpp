#include "decoders/adsb/Clock.h"

#include <QDateTime>

MillisecondClock systemClock()
{
    return [] { return QDateTime::currentMSecsSinceEpoch(); };
}
