// The decoder's aircraft list: updates, CPR positions and expiry.
#include "decoders/adsb/ModeSDecoder.h"
#include "platform/MutexObject.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kCprScale = 131072.0; // 2^17
constexpr int kLatitudeZones = 15;     // NZ

// The latitude below which a zone count n (2..59) holds, from the CPR
// transition-latitude formula; entry n.
std::array<double, 60> buildTransitionLatitudes()
{
    std::array<double, 60> latitudes{};
    const double a = 1.0 - std::cos(M_PI / (2.0 * kLatitudeZones));
    for (int n = 2; n < 60; ++n)
        latitudes[size_t(n)] = std::acos(std::sqrt(a / (1.0 - std::cos(2.0 * M_PI / n)))) * 180.0 / M_PI;
    return latitudes;
}

} // namespace

double ModeSDecoder::cprMod(double a, double b)
{
    const double r = std::fmod(a, b);
    return r < 0 ? r + b : r;
}

int ModeSDecoder::cprLatitudeZones(double latitude)
{
    static const std::array<double, 60> transitions = buildTransitionLatitudes();
    const double lat = std::fabs(latitude);
    for (int n = 59; n >= 2; --n)
        if (lat < transitions[size_t(n)])
            return n;
    return 1;
}

bool ModeSDecoder::globalCprPosition(int evenLat, int evenLon, int oddLat, int oddLon, bool oddIsNewer,
                                     double* latitude, double* longitude)
{
    const double j = std::floor((59.0 * evenLat - 60.0 * oddLat) / kCprScale + 0.5);
    double latEven = 6.0 * (cprMod(j, 60) + evenLat / kCprScale);
    double latOdd = 360.0 / 59.0 * (cprMod(j, 59) + oddLat / kCprScale);
    if (latEven >= 270.0)
        latEven -= 360.0;
    if (latOdd >= 270.0)
        latOdd -= 360.0;
    const int nl = cprLatitudeZones(latEven);
    if (nl != cprLatitudeZones(latOdd))
        return false;
    const double m = std::floor(((nl - 1.0) * evenLon - double(nl) * oddLon) / kCprScale + 0.5);
    double lon;
    if (!oddIsNewer) {
        *latitude = latEven;
        const int ni = std::max(nl, 1);
        lon = 360.0 / ni * (cprMod(m, ni) + evenLon / kCprScale);
    } else {
        *latitude = latOdd;
        const int ni = std::max(nl - 1, 1);
        lon = 360.0 / ni * (cprMod(m, ni) + oddLon / kCprScale);
    }
    if (lon > 180.0)
        lon -= 360.0;
    *longitude = lon;
    return true;
}

aircraft* ModeSDecoder::findAircraft(uint32_t address) const
{
    for (aircraft* a = aircraftList; a; a = a->next)
        if (a->address == address)
            return a;
    return nullptr;
}

aircraft* ModeSDecoder::newAircraft(uint32_t address)
{
    auto* a = static_cast<aircraft*>(std::calloc(1, sizeof(aircraft)));
    if (!a)
        return nullptr;
    a->mutex = mutexobject::create();
    if (!a->mutex) {
        std::free(a);
        return nullptr;
    }
    a->address = address;
    std::snprintf(a->addressText, sizeof a->addressText, "%06x", address & 0xFFFFFFu);
    a->seen = nowSeconds();
    return a;
}

void ModeSDecoder::updateAircraft(const ModeSMessage& mm)
{
    if (checkParity && !mm.parityOk)
        return;
    const uint32_t address = mm.address();
    aircraft* a = findAircraft(address);
    const bool created = a == nullptr;
    if (created) {
        a = newAircraft(address);
        if (!a)
            return;
        a->next = aircraftList;
        aircraftList = a;
    }

    mutexobject::wait(a->mutex);
    a->seen = nowSeconds();
    a->messages += 1;
    a->frameTime = mm.frameTime;
    bool changed = false;
    const int df = mm.downlinkFormat;
    if (df == 0 || df == 4 || df == 20) {
        if (mm.altitudeKnown)
            a->altitude = mm.altitude;
        changed = true;
    } else if (mm.isExtendedSquitter()) {
        if (mm.esType >= 1 && mm.esType <= 4) {
            std::memcpy(a->flight, mm.flight, sizeof a->flight);
        } else if (mm.esType >= 9 && mm.esType <= 18) {
            storePositionReport(a, mm);
        } else if (mm.esType == 19 && (mm.esSubtype == 1 || mm.esSubtype == 2)) {
            if (mm.velocityKnown) {
                a->speed = mm.groundSpeed;
                a->track = mm.heading;
            }
            a->verticalRateDown = mm.verticalRateDown;
            a->verticalRate = mm.verticalRate;
            changed = true;
        }
    }
    mutexobject::release(a->mutex);

    if (created)
        emit MSG_newAircraft(a);
    else if (changed)
        emit MSG_positionUpdated(address);
}

void ModeSDecoder::storePositionReport(aircraft* a, const ModeSMessage& mm)
{
    if (mm.altitudeKnown)
        a->altitude = mm.altitude;
    if (mm.oddFrame) {
        a->oddCprLatitude = mm.cprLatitude;
        a->oddCprLongitude = mm.cprLongitude;
        a->oddCprTime = clock();
    } else {
        a->evenCprLatitude = mm.cprLatitude;
        a->evenCprLongitude = mm.cprLongitude;
        a->evenCprTime = clock();
    }
    if (a->oddCprTime != 0 && a->evenCprTime != 0 &&
        std::llabs(a->oddCprTime - a->evenCprTime) <= CprPairWindowMs)
        decodeCprPosition(a);
}

// Called with the record's lock held; the listeners of MSG_positionUpdated
// run under it too (the lock is recursive).
void ModeSDecoder::decodeCprPosition(aircraft* a)
{
    double latitude = 0;
    double longitude = 0;
    if (!globalCprPosition(a->evenCprLatitude, a->evenCprLongitude, a->oddCprLatitude, a->oddCprLongitude,
                           !(a->oddCprTime < a->evenCprTime), &latitude, &longitude))
        return;
    a->latitude = latitude;
    a->longitude = longitude;
    a->hasPosition = true;
    emit MSG_positionUpdated(a->address);
}

void ModeSDecoder::removeStaleAircraft()
{
    const qint64 now = nowSeconds();
    aircraft** link = &aircraftList;
    while (*link) {
        aircraft* a = *link;
        if (now - a->seen <= AircraftTtlSeconds) {
            link = &a->next;
            continue;
        }
        *link = a->next;
        const uint32_t address = a->address;
        // Wait for whoever holds it, then destroy it unowned.
        mutexobject::wait(a->mutex);
        mutexobject::release(a->mutex);
        mutexobject::close(a->mutex);
        std::free(a);
        emit MSG_deletedAircraft(address);
    }
}
