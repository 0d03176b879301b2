#include "decoders/adsb/ModeSDecoder.h"
#include "platform/MutexObject.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kIdentificationCharacters[] =
    "?ABCDEFGHIJKLMNOPQRSTUVWXYZ????? ???????????????0123456789??????";

// Formats 17 and 18 with control field 0 carry an extended squitter of an
// aircraft with an ICAO address.
int squawkOf(int s2, int s3)
{
    const int d1 = ((s3 & 0x80) >> 5) | (s2 & 2) | ((s2 & 8) >> 3);
    const int d2 = ((s3 & 2) << 1) | ((s3 & 8) >> 2) | ((s3 & 0x20) >> 5);
    const int d3 = ((s2 & 1) << 2) | ((s2 & 4) >> 1) | ((s2 & 0x10) >> 4);
    const int d4 = ((s3 & 1) << 2) | ((s3 & 4) >> 1) | ((s3 & 0x10) >> 4);
    return d1 * 1000 + d2 * 100 + d3 * 10 + d4;
}

// The 13-bit altitude code of surveillance replies, in 25-foot steps when its
// Q bit is set. Metric and Gillham-coded altitudes are left unknown.
void altitudeFromAC13(ModeSMessage* mm)
{
    const int b2 = mm->bytes[2];
    const int b3 = mm->bytes[3];
    if (b3 & 0x40) {
        mm->altitudeInMeters = true;
        return;
    }
    if (!(b3 & 0x10))
        return;
    const int n = ((b2 & 31) << 6) | ((b3 & 0x80) >> 2) | ((b3 & 0x20) >> 1) | (b3 & 15);
    mm->altitude = n * 25 - 1000;
    mm->altitudeKnown = true;
}

void decodeIdentification(ModeSMessage* mm)
{
    const unsigned char* b = mm->bytes;
    mm->aircraftCategory = mm->esType - 1;
    const int codes[8] = {
        b[5] >> 2, ((b[5] & 3) << 4) | (b[6] >> 4), ((b[6] & 15) << 2) | (b[7] >> 6),  b[7] & 63,
        b[8] >> 2, ((b[8] & 3) << 4) | (b[9] >> 4), ((b[9] & 15) << 2) | (b[10] >> 6), b[10] & 63};
    for (int i = 0; i < 8; ++i)
        mm->flight[i] = ModeSDecoder::identificationCharacter(codes[i]);
    mm->flight[8] = '\0';
}

void decodeAirbornePosition(ModeSMessage* mm)
{
    const unsigned char* b = mm->bytes;
    mm->oddFrame = (b[6] & 4) != 0;
    mm->utcSynchronised = (b[6] & 8) != 0;
    if (b[5] & 1) {
        mm->altitude = (((b[5] >> 1) << 4) | (b[6] >> 4)) * 25 - 1000;
        mm->altitudeKnown = true;
    }
    mm->cprLatitude = ((b[6] & 3) << 15) | (b[7] << 7) | (b[8] >> 1);
    mm->cprLongitude = ((b[8] & 1) << 16) | (b[9] << 8) | b[10];
}

// Ground speed components as the standard gives them: 0 means "not
// available", otherwise the value minus one, in 4-knot units for the
// supersonic subtype.
void decodeGroundVelocity(ModeSMessage* mm)
{
    const unsigned char* b = mm->bytes;
    mm->westward = ((b[5] >> 2) & 1) != 0;
    const int eastWestRaw = ((b[5] & 3) << 8) | b[6];
    mm->southward = (b[7] >> 7) != 0;
    const int northSouthRaw = ((b[7] & 0x7f) << 3) | (b[8] >> 5);
    mm->verticalRateSource = (b[8] >> 4) & 1;
    mm->verticalRateDown = (b[8] >> 3) & 1;
    mm->verticalRate = ((b[8] & 7) << 6) | (b[9] >> 2);
    if (eastWestRaw == 0 || northSouthRaw == 0)
        return;
    const int unit = mm->esSubtype == 2 ? 4 : 1;
    mm->eastWestVelocity = (eastWestRaw - 1) * unit;
    mm->northSouthVelocity = (northSouthRaw - 1) * unit;
    mm->velocityKnown = true;
    const double ew = mm->westward ? -mm->eastWestVelocity : mm->eastWestVelocity;
    const double ns = mm->southward ? -mm->northSouthVelocity : mm->northSouthVelocity;
    mm->groundSpeed = int(std::sqrt(ew * ew + ns * ns));
    if (mm->groundSpeed == 0) {
        mm->heading = 0;
        return;
    }
    int heading = int(std::atan2(ew, ns) * 360.0 / (2.0 * M_PI));
    if (heading < 0)
        heading += 360;
    mm->heading = heading;
}

void decodeAirspeedHeading(ModeSMessage* mm)
{
    const unsigned char* b = mm->bytes;
    mm->headingValid = (b[5] & 4) != 0;
    mm->heading = int((((b[5] & 3) << 5) | (b[6] >> 3)) * 2.8125);
}

} // namespace

ModeSDecoder::ModeSDecoder(QObject* parent)
    : QObject(parent), clock(systemClock()),
      addressCache(static_cast<CachedAddress*>(std::calloc(AddressCacheSize, sizeof(CachedAddress))))
{
    qRegisterMetaType<aircraft*>("aircraft*");
    qRegisterMetaType<uint32_t>("uint32_t");
}

ModeSDecoder::~ModeSDecoder()
{
    while (aircraftList) {
        aircraft* a = aircraftList;
        aircraftList = a->next;
        mutexobject::close(a->mutex);
        std::free(a);
    }
    std::free(addressCache);
}

void ModeSDecoder::setClock(MillisecondClock c)
{
    clock = std::move(c);
}

char ModeSDecoder::identificationCharacter(int code)
{
    return kIdentificationCharacters[code & 63];
}

void ModeSDecoder::SL_newADSBRawMessage(unsigned char* msg, int len, qlonglong frame_time)
{
    if (!msg)
        return;
    if (len >= 8 + 1 && len >= messageBits(msg[0]) + 1) {
        ModeSMessage mm;
        decodeMessage(&mm, msg, frame_time);
    }
    removeStaleAircraft();
    std::free(msg);
}

void ModeSDecoder::decodeMessage(ModeSMessage* mm, const unsigned char* msg, qlonglong frameTime)
{
    std::memset(mm, 0, sizeof *mm);
    mm->bitCount = messageBits(msg[0]);
    std::memcpy(mm->bytes, msg, size_t(mm->bitCount / 8));
    unsigned char* b = mm->bytes;
    mm->frameTime = frameTime;
    mm->downlinkFormat = b[0] >> 3;
    if (mm->downlinkFormat >= 24)
        mm->downlinkFormat = 24; // only its first two bits name the format
    const int last = mm->bitCount / 8 - 1;
    mm->parity = (b[last - 2] << 16) | (b[last - 1] << 8) | b[last];
    mm->parityOk = parity(b, mm->bitCount) == uint32_t(mm->parity);
    mm->repairedBits = -1;

    const int df = mm->downlinkFormat;
    if (!mm->parityOk && trySingleBitRepair && (df == 11 || df == 17)) {
        mm->repairedBits = repairSingleBit(mm);
        if (mm->repairedBits < 0 && df == 17 && tryTwoBitRepair)
            mm->repairedBits = repairTwoBits(mm);
        if (mm->repairedBits >= 0) {
            mm->parity = (b[last - 2] << 16) | (b[last - 1] << 8) | b[last];
            mm->parityOk = parity(b, mm->bitCount) == uint32_t(mm->parity);
        }
    }

    mm->capability = b[0] & 7;
    mm->flightStatus = b[0] & 7;
    mm->downlinkRequest = b[1] >> 3;
    mm->utilityMessage = ((b[1] & 7) << 3) | (b[2] >> 5);
    mm->addressBytes[0] = b[1];
    mm->addressBytes[1] = b[2];
    mm->addressBytes[2] = b[3];
    mm->esType = b[4] >> 3;
    mm->esSubtype = b[4] & 7;
    mm->squawk = squawkOf(b[2], b[3]);

    if (df == 11 || df == 17) {
        // Only a reply that checked as received vouches for its address.
        if (mm->parityOk && mm->repairedBits < 0)
            rememberAddress(mm->address());
    } else if (df != 18) { // a format 18 reply carries its address and a plain parity
        mm->parityOk = recoverAddress(mm);
    }

    if (df == 0 || df == 4 || df == 16 || df == 20)
        altitudeFromAC13(mm);
    if (mm->isExtendedSquitter())
        decodeExtendedSquitter(mm);

    if (mm->parityOk)
        updateAircraft(*mm);
}

void ModeSDecoder::decodeExtendedSquitter(ModeSMessage* mm)
{
    const int type = mm->esType;
    if (type >= 1 && type <= 4)
        decodeIdentification(mm);
    else if (type >= 9 && type <= 18)
        decodeAirbornePosition(mm);
    else if (type == 19 && (mm->esSubtype == 1 || mm->esSubtype == 2))
        decodeGroundVelocity(mm);
    else if (type == 19 && (mm->esSubtype == 3 || mm->esSubtype == 4))
        decodeAirspeedHeading(mm);
}
