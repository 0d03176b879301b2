#include "lists/Locator.h"

#include <QByteArray>
#include <hamlib/rotator.h>
#include <mutex>

bool locatorToLongLat(const QString& locator, double* longitude, double* latitude)
{
    // Hamlib traces every call on stderr unless its debug level is lowered.
    static std::once_flag quiet;
    std::call_once(quiet, [] { rig_set_debug(RIG_DEBUG_NONE); });

    const QByteArray text = locator.toLatin1();
    double lon = 0.0;
    double lat = 0.0;
    if (locator2longlat(&lon, &lat, text.constData()) != RIG_OK)
        return false;
    *longitude = lon;
    *latitude = lat;
    return true;
}
