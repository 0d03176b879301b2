#pragma once

#include "decoders/adsb/Aircraft.h"
#include "decoders/adsb/Clock.h"
#include "decoders/adsb/ModeSMessage.h"

#include <QMetaType>
#include <QObject>

#include <cstdint>
#include <cstdio>

// Turns Mode S frames into a list of aircraft: checks the CRC-24 parity and
// repairs one or two flipped bits, recovers the address of replies whose
// parity carries it, decodes identification, altitude, airborne position (from
// even/odd CPR pairs) and velocity, and forgets aircraft not heard for a minute.
//
// The list and its records belong to the thread that feeds the frames; the
// signals are emitted on that thread and carry pointers into the list, so
// listeners connect directly and copy what they keep.
class ModeSDecoder : public QObject
{
    Q_OBJECT
public:
    static constexpr int AddressCacheSize = 1024;
    // An address recovered from a parity overlay must have been seen in a
    // clean reply this recently.
    static constexpr qint64 AddressTtlSeconds = 60;
    // An aircraft not heard for longer is removed.
    static constexpr qint64 AircraftTtlSeconds = 60;
    // The two halves of a position pair must be at most this far apart.
    static constexpr qint64 CprPairWindowMs = 10000;

    explicit ModeSDecoder(QObject* parent = nullptr);
    // Frees the aircraft list and the address cache.
    ~ModeSDecoder() override;

    // Units of the console table: metres and km/h, else feet and knots.
    bool useMetric = true;
    bool tryTwoBitRepair = true;
    bool trySingleBitRepair = true;
    bool checkParity = true;

    void setClock(MillisecondClock clock);

    // Linear search from the head; null when the address is not listed.
    aircraft* findAircraft(uint32_t address) const;
    aircraft* firstAircraft() const { return aircraftList; }

    // Decodes one frame of msg (its bit count follows from its first byte; the
    // caller guarantees those bytes) into mm, and hands it to the aircraft list
    // when its parity holds.
    void decodeMessage(ModeSMessage* mm, const unsigned char* msg, qlonglong frameTime);
    // Removes every aircraft not heard for more than AircraftTtlSeconds.
    void removeStaleAircraft();

    // 112 when the first bit is set (formats 16 to 31), else 56.
    static int messageBits(unsigned char firstByte);
    // The CRC-24 remainder of the bits of msg before its parity field.
    static uint32_t parity(const unsigned char* msg, int bits);
    // Flips the first single bit (parity bits included) that makes the
    // message consistent; returns its index, or -1.
    static int repairSingleBit(ModeSMessage* mm);
    // The same with the first pair of bits; returns second x 256 + first, or -1.
    static int repairTwoBits(ModeSMessage* mm);
    static uint32_t addressSlot(uint32_t address);
    // Number of longitude zones at a latitude (NZ = 15).
    static int cprLatitudeZones(double latitude);
    // a mod b, never negative.
    static double cprMod(double a, double b);
    // Global position from an even and an odd CPR pair (raw 17-bit values);
    // false when the two latitudes fall into different zone counts.
    static bool globalCprPosition(int evenLat, int evenLon, int oddLat, int oddLon, bool oddIsNewer,
                                  double* latitude, double* longitude);
    // Identification characters of the six-bit codes.
    static char identificationCharacter(int code);

    // Console diagnostics. The table lists up to 15 aircraft after clearing
    // the terminal; the message dump names extended-squitter types.
    void printAircraftTable(std::FILE* out = stdout) const;
    static void printMessage(const ModeSMessage& mm, std::FILE* out = stdout);
    static const char* squitterTypeName(int type, int subtype);

public slots:
    // Decodes msg, then removes stale aircraft, then frees msg. len is the
    // frame's bit count plus one: msg holds at least (len - 1) / 8 bytes. A
    // frame shorter than its format needs is dropped.
    void SL_newADSBRawMessage(unsigned char* msg, int len, qlonglong frame_time);

signals:
    void MSG_newAircraft(aircraft* aircraft);
    // A known aircraft's position, altitude or velocity changed.
    void MSG_positionUpdated(uint32_t addr);
    // Emitted after the record was freed.
    void MSG_deletedAircraft(uint32_t addr);

private:
    struct CachedAddress
    {
        uint32_t address;
        uint32_t time; // seconds
    };

    qint64 nowSeconds() const { return clock() / 1000; }
    bool recoverAddress(ModeSMessage* mm);
    void rememberAddress(uint32_t address);
    bool addressSeenRecently(uint32_t address) const;
    void decodeExtendedSquitter(ModeSMessage* mm);
    void updateAircraft(const ModeSMessage& mm);
    aircraft* newAircraft(uint32_t address);
    void storePositionReport(aircraft* a, const ModeSMessage& mm);
    void decodeCprPosition(aircraft* a);

    MillisecondClock clock;
    CachedAddress* addressCache;
    aircraft* aircraftList = nullptr;
};

Q_DECLARE_METATYPE(aircraft*)
