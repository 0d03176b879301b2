#pragma once

#include <QtGlobal>

#include <cstdint>

// One Mode S reply as the decoder reads it; lives on the decoder's stack.
struct ModeSMessage
{
    static constexpr int LongBits = 112;
    static constexpr int ShortBits = 56;

    unsigned char bytes[LongBits / 8];
    int bitCount;       // 56 or 112
    int downlinkFormat; // first five bits; 24 for every reply that starts with "11"
    bool parityOk;
    int parity;       // the 24-bit parity field, as received or after a repair
    int repairedBits; // -1, the flipped bit, or second x 256 + first
    int addressBytes[3];

    int capability;
    int flightStatus;
    int downlinkRequest;
    int utilityMessage;
    int squawk; // four octal digits written as a decimal number
    int altitude;
    bool altitudeKnown; // false: metric or Gillham-coded, or no altitude in the reply
    bool altitudeInMeters;

    int esType;
    int esSubtype;
    int aircraftCategory;
    char flight[9];
    bool oddFrame;
    bool utcSynchronised;
    int cprLatitude;
    int cprLongitude;

    bool westward;
    int eastWestVelocity; // knots, the standard's raw value minus one (times four when supersonic)
    bool southward;
    int northSouthVelocity;
    bool velocityKnown; // both components were reported
    int verticalRateSource;
    int verticalRateDown;
    int verticalRate;
    int groundSpeed;
    bool headingValid;
    int heading;

    qlonglong frameTime;

    // Formats 17 and 18 with control field 0 carry the extended squitter of
    // an aircraft with an ICAO address.
    bool isExtendedSquitter() const
    {
        return downlinkFormat == 17 || (downlinkFormat == 18 && capability == 0);
    }
    uint32_t address() const
    {
        return uint32_t(addressBytes[0] << 16 | addressBytes[1] << 8 | addressBytes[2]);
    }
};
