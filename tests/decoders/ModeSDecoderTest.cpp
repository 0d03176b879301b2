// The Mode S decoder on published frames and on frames built field by field:
// parity and repair, address recovery, decoded values, positions, expiry.
#include "AdsbTestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace modesfixture;

namespace {

constexpr const char* kIdentification = "8D4840D6202CC371C32CE0576098"; // 4840d6 "KLM1023 "
constexpr const char* kEvenPosition = "8D40621D58C382D690C8AC2863A7";   // 40621d, 38000 ft
constexpr const char* kOddPosition = "8D40621D58C386435CC412692AD6";
constexpr const char* kVelocity = "8D485020994409940838175B284F"; // 485020
constexpr const char* kAllCall = "5D4840D6F8740F";                // format 11 of 4840d6
constexpr const char* kAltitudeReply = "2000183859C38D";          // format 4 of 4840d6, 38000 ft
constexpr const char* kIdentityReply = "28000AAA02E41F";          // format 5 of 4840d6

class ModeSDecoderTest : public ::testing::Test
{
protected:
    ModeSDecoderTest() { decoder.setClock(clock.function()); }

    int aircraftCount() const
    {
        int n = 0;
        for (aircraft* a = decoder.firstAircraft(); a; a = a->next)
            ++n;
        return n;
    }

    TestClock clock;
    ModeSDecoder decoder;
};

} // namespace

TEST(ModeSParity, PublishedFramesCheck)
{
    for (const char* hex : {kIdentification, kEvenPosition, kOddPosition, kVelocity, kAllCall,
                            "8D406B902015A678D4D220AA4BDA"}) {
        const Frame f = fromHex(hex);
        const uint32_t received = uint32_t(f[f.size() - 3]) << 16 | uint32_t(f[f.size() - 2]) << 8 | f.back();
        EXPECT_EQ(ModeSDecoder::parity(f.data(), int(f.size()) * 8), received) << hex;
    }
}

TEST(ModeSParity, LengthFollowsTheFirstBit)
{
    struct Case
    {
        int format;
        int bits;
    };
    for (const Case c : {Case{0, 56}, Case{4, 56}, Case{5, 56}, Case{11, 56}, Case{16, 112}, Case{17, 112},
                         Case{18, 112}, Case{20, 112}, Case{21, 112}, Case{24, 112}, Case{31, 112}})
        EXPECT_EQ(ModeSDecoder::messageBits(static_cast<unsigned char>(c.format << 3)), c.bits) << c.format;
}

TEST_F(ModeSDecoderTest, IdentificationGivesAddressAndFlight)
{
    QSignalSpy created(&decoder, &ModeSDecoder::MSG_newAircraft);
    feedHex(decoder, kIdentification, 1234);
    ASSERT_EQ(created.count(), 1);
    aircraft* a = decoder.findAircraft(0x4840d6);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(created.at(0).at(0).value<aircraft*>(), a);
    EXPECT_STREQ(a->addressText, "4840d6");
    EXPECT_STREQ(a->flight, "KLM1023 ");
    EXPECT_EQ(a->messages, 1);
    EXPECT_EQ(a->frameTime, 1234);
    EXPECT_EQ(a->seen, clock.ms / 1000);
}

TEST_F(ModeSDecoderTest, PositionPairDecodesFromTheNewerHalf)
{
    struct Case
    {
        const char* first;
        const char* second;
        double latitude;
        double longitude;
    };
    for (const Case c : {Case{kOddPosition, kEvenPosition, 52.2572021484375, 3.91937255859375},
                         Case{kEvenPosition, kOddPosition, 52.26578017412606, 3.938912527901786}}) {
        ModeSDecoder fresh;
        fresh.setClock(clock.function());
        QSignalSpy updated(&fresh, &ModeSDecoder::MSG_positionUpdated);
        feedHex(fresh, c.first);
        clock.advanceSeconds(1);
        feedHex(fresh, c.second);
        aircraft* a = fresh.findAircraft(0x40621d);
        ASSERT_NE(a, nullptr);
        EXPECT_TRUE(a->hasPosition);
        EXPECT_NEAR(a->latitude, c.latitude, 1e-9);
        EXPECT_NEAR(a->longitude, c.longitude, 1e-9);
        EXPECT_EQ(a->altitude, 38000);
        ASSERT_EQ(updated.count(), 1);
        EXPECT_EQ(updated.at(0).at(0).value<uint32_t>(), 0x40621du);
    }
}

TEST_F(ModeSDecoderTest, PositionPairMustFallWithinTenSeconds)
{
    struct Case
    {
        qint64 apartMs;
        bool decoded;
    };
    for (const Case c : {Case{10000, true}, Case{10001, false}}) {
        ModeSDecoder fresh;
        fresh.setClock(clock.function());
        feedHex(fresh, kEvenPosition);
        clock.ms += c.apartMs;
        feedHex(fresh, kOddPosition);
        EXPECT_EQ(fresh.findAircraft(0x40621d)->hasPosition, c.decoded) << c.apartMs;
    }
}

TEST_F(ModeSDecoderTest, GeneratedPositionsDecodeEverywhere)
{
    struct Case
    {
        double latitude;
        double longitude;
    };
    // Across the date line (the formula gives 190 for -170), the equator,
    // the southern and western hemispheres and high latitudes.
    for (const Case c : {Case{45.0, -170.0}, Case{-33.9, 151.2}, Case{0.5, -0.5}, Case{64.1, -21.9},
                         Case{-54.8, -68.3}, Case{78.2, 15.6}, Case{10.0, 179.9}}) {
        for (bool oddLast : {false, true}) {
            ModeSDecoder fresh;
            fresh.setClock(clock.function());
            feedFrame(fresh, airbornePosition(0xabc123, c.latitude, c.longitude, 30000, !oddLast));
            clock.advanceSeconds(2);
            feedFrame(fresh, airbornePosition(0xabc123, c.latitude, c.longitude, 30000, oddLast));
            aircraft* a = fresh.findAircraft(0xabc123);
            ASSERT_NE(a, nullptr);
            ASSERT_TRUE(a->hasPosition) << c.latitude << " " << c.longitude;
            EXPECT_NEAR(a->latitude, c.latitude, 0.001) << c.longitude;
            EXPECT_NEAR(a->longitude, c.longitude, 0.001) << c.latitude;
        }
    }
}

TEST(ModeSPosition, ZoneCountsFollowTheTransitionLatitudes)
{
    struct Case
    {
        double latitude;
        int zones;
    };
    for (const Case c :
         {Case{0.0, 59}, Case{10.47, 59}, Case{10.48, 58}, Case{-10.48, 58}, Case{14.82, 58}, Case{14.83, 57},
          Case{52.26, 36}, Case{86.53, 3}, Case{86.54, 2}, Case{86.99, 2}, Case{87.0, 1}, Case{-90.0, 1}})
        EXPECT_EQ(ModeSDecoder::cprLatitudeZones(c.latitude), c.zones) << c.latitude;
}

TEST_F(ModeSDecoderTest, VelocityFollowsTheStandard)
{
    feedHex(decoder, kVelocity);
    aircraft* a = decoder.findAircraft(0x485020);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->speed, 159); // 159.2 kt
    EXPECT_NEAR(a->track, 182.9, 1.0);
    EXPECT_EQ(a->verticalRateDown, 1);
    EXPECT_EQ(a->verticalRate, 14);

    struct Case
    {
        int east;
        int north;
        bool supersonic;
        int speed;
        int track;
    };
    for (const Case c : {Case{0, 400, false, 400, 0}, Case{300, 0, false, 300, 90},
                         Case{-300, -300, false, 424, 225}, Case{1200, 1600, true, 2000, 36}}) {
        feedFrame(decoder, groundVelocity(0x101010, c.east, c.north, c.supersonic));
        aircraft* v = decoder.findAircraft(0x101010);
        EXPECT_EQ(v->speed, c.speed) << c.east << " " << c.north;
        EXPECT_EQ(v->track, c.track) << c.east << " " << c.north;
    }
}

TEST_F(ModeSDecoderTest, VelocityNotAvailableKeepsTheLastOne)
{
    feedFrame(decoder, groundVelocity(0x101010, 0, 250));
    Frame unknown = groundVelocity(0x101010, 0, 250);
    unknown[7] &= 0x80; // north-south raw value 0: not available
    unknown[8] &= 0x1F;
    setParity(unknown);
    QSignalSpy updated(&decoder, &ModeSDecoder::MSG_positionUpdated);
    feedFrame(decoder, unknown);
    EXPECT_EQ(decoder.findAircraft(0x101010)->speed, 250);
    EXPECT_EQ(decoder.findAircraft(0x101010)->track, 0);
    EXPECT_EQ(decoder.findAircraft(0x101010)->messages, 2);
    EXPECT_EQ(updated.count(), 1);
}

TEST_F(ModeSDecoderTest, RepairsFlippedBitsOfSquittersAndAllCallReplies)
{
    struct Case
    {
        const char* what;
        Frame frame;
        std::vector<int> flips;
        bool accepted;
    };
    const Frame ident = fromHex(kIdentification);
    const Frame allCall = fromHex(kAllCall);
    const std::vector<Case> cases = {
        {"squitter, capability bit", ident, {5}, true},  {"squitter, data bit", ident, {47}, true},
        {"squitter, parity bit", ident, {111}, true},    {"squitter, two bits", ident, {12, 90}, true},
        {"all-call, one bit", allCall, {30}, true},      {"all-call, parity bit", allCall, {55}, true},
        {"all-call, two bits", allCall, {9, 30}, false},
    };
    for (const Case& c : cases) {
        ModeSDecoder fresh;
        fresh.setClock(clock.function());
        Frame damaged = c.frame;
        for (int bit : c.flips)
            damaged = withBitFlipped(damaged, bit);
        feedFrame(fresh, damaged);
        const aircraft* a = fresh.findAircraft(0x4840d6);
        EXPECT_EQ(a != nullptr, c.accepted) << c.what;
        if (a && c.frame.size() == 14)
            EXPECT_STREQ(a->flight, "KLM1023 ") << c.what;
    }
}

TEST_F(ModeSDecoderTest, RepairsCanBeSwitchedOff)
{
    decoder.tryTwoBitRepair = false;
    feedFrame(decoder, withBitFlipped(withBitFlipped(fromHex(kIdentification), 12), 90));
    EXPECT_EQ(decoder.findAircraft(0x4840d6), nullptr);
    decoder.trySingleBitRepair = false;
    feedFrame(decoder, withBitFlipped(fromHex(kIdentification), 12));
    EXPECT_EQ(decoder.findAircraft(0x4840d6), nullptr);
}

TEST_F(ModeSDecoderTest, OverlaidAddressNeedsARecentCleanReply)
{
    struct Case
    {
        const char* what;
        const char* before; // null: nothing before
        bool flipInBefore;
        double secondsLater;
        bool accepted;
    };
    for (const Case c :
         {Case{"after a clean all-call", kAllCall, false, 0, true},
          Case{"60 s after it", kAllCall, false, 60, true}, Case{"61 s after it", kAllCall, false, 61, false},
          Case{"after a clean squitter", kIdentification, false, 0, true},
          Case{"after a repaired squitter only", kIdentification, true, 0, false},
          Case{"with nothing before", nullptr, false, 0, false}}) {
        ModeSDecoder fresh;
        fresh.setClock(clock.function());
        if (c.before) {
            Frame f = fromHex(c.before);
            feedFrame(fresh, c.flipInBefore ? withBitFlipped(f, 40) : f);
        }
        clock.advanceSeconds(c.secondsLater);
        feedHex(fresh, kAltitudeReply);
        aircraft* a = fresh.findAircraft(0x4840d6);
        EXPECT_EQ(a != nullptr && a->altitude == 38000, c.accepted) << c.what;
    }
}

TEST_F(ModeSDecoderTest, RepliesOfEveryOverlaidFormatAreAccepted)
{
    // Formats 0, 16, 20, 21 and 24 built with 4840d6 in their parity; a
    // reply whose first bits are "11" is format 24 and 112 bits long.
    struct Case
    {
        const char* what;
        Frame frame;
    };
    auto overlaid = [](std::initializer_list<uint8_t> head, size_t bytes) {
        Frame f(head);
        f.resize(bytes, 0x5A);
        setParity(f, 0x4840d6);
        return f;
    };
    const std::vector<Case> cases = {
        {"identity (5)", fromHex(kIdentityReply)},
        {"short air-air (0)", overlaid({0x00, 0x00, 0x18, 0x38}, 7)},
        {"long air-air (16)", overlaid({0x80, 0x00, 0x18, 0x38}, 14)},
        {"Comm-B altitude (20)", overlaid({0xA0, 0x00, 0x18, 0x38}, 14)},
        {"Comm-B identity (21)", overlaid({0xA8, 0x00, 0x0A, 0xAA}, 14)},
        {"Comm-D (24)", overlaid({0xC0, 0x12}, 14)},
        {"Comm-D with other control bits (24)", overlaid({0xDB, 0x12}, 14)},
    };
    feedHex(decoder, kAllCall);
    int messages = 1;
    for (const Case& c : cases) {
        feedFrame(decoder, c.frame);
        EXPECT_EQ(decoder.findAircraft(0x4840d6)->messages, ++messages) << c.what;
    }
    EXPECT_EQ(aircraftCount(), 1);
}

TEST_F(ModeSDecoderTest, GeneratedReplyAltitudes)
{
    feedFrame(decoder, allCallReply(0x3c6586));
    for (int feet : {-1000, 0, 2475, 38000, 50175}) {
        feedFrame(decoder, altitudeReply(0x3c6586, feet));
        EXPECT_EQ(decoder.findAircraft(0x3c6586)->altitude, feet);
    }
}

TEST_F(ModeSDecoderTest, UndecodableAltitudeKeepsTheLastOne)
{
    feedHex(decoder, kAllCall);
    feedHex(decoder, kAltitudeReply);
    ASSERT_EQ(decoder.findAircraft(0x4840d6)->altitude, 38000);

    Frame metric = altitudeReply(0x4840d6, 12000);
    metric[3] |= 0x40; // M bit: metres
    setParity(metric, 0x4840d6);
    Frame gillham = altitudeReply(0x4840d6, 12000);
    gillham[3] &= ~0x10; // Q bit clear: Gillham code
    setParity(gillham, 0x4840d6);
    Frame positionWithoutQ = airbornePosition(0x4840d6, 52.0, 4.0, 12000, false);
    positionWithoutQ[5] &= ~0x01;
    setParity(positionWithoutQ);
    for (const Frame& f : {metric, gillham, positionWithoutQ}) {
        feedFrame(decoder, f);
        EXPECT_EQ(decoder.findAircraft(0x4840d6)->altitude, 38000) << toHex(f);
    }
    EXPECT_EQ(decoder.findAircraft(0x4840d6)->messages, 5);
}

TEST_F(ModeSDecoderTest, ExtendedSquitterOfANonTransponderDevice)
{
    Frame f = airbornePosition(0x7c0001, -27.4, 153.1, 4500, false);
    f[0] = 18 << 3; // control field 0: an ICAO address
    setParity(f);
    feedFrame(decoder, f);
    aircraft* a = decoder.findAircraft(0x7c0001);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->altitude, 4500);
}

TEST_F(ModeSDecoderTest, ShortBuffersAreDropped)
{
    // Buffers of exactly the claimed size: a frame shorter than its format
    // needs must neither be read past its end nor be decoded.
    struct Case
    {
        const char* hex;
        int bytes;
        int len;
    };
    for (const Case c : {Case{kIdentification, 7, 57}, Case{kIdentification, 13, 105}, Case{kAllCall, 1, 8},
                         Case{kAllCall, 0, 0}, Case{kAllCall, 6, 49}}) {
        const Frame f = fromHex(c.hex);
        auto* msg = static_cast<unsigned char*>(std::malloc(size_t(c.bytes > 0 ? c.bytes : 1)));
        std::memcpy(msg, f.data(), size_t(c.bytes));
        decoder.SL_newADSBRawMessage(msg, c.len, 0);
        EXPECT_EQ(aircraftCount(), 0) << c.hex << " " << c.len;
    }
    feedHex(decoder, kAllCall);
    EXPECT_EQ(aircraftCount(), 1);
}

TEST_F(ModeSDecoderTest, AircraftExpireAfterAMinuteOfSilence)
{
    QSignalSpy deleted(&decoder, &ModeSDecoder::MSG_deletedAircraft);
    feedHex(decoder, kIdentification);
    clock.advanceSeconds(60);
    feedHex(decoder, kVelocity); // another aircraft
    EXPECT_NE(decoder.findAircraft(0x4840d6), nullptr);
    EXPECT_EQ(deleted.count(), 0);

    clock.advanceSeconds(1);
    feedHex(decoder, kVelocity);
    EXPECT_EQ(decoder.findAircraft(0x4840d6), nullptr);
    ASSERT_EQ(deleted.count(), 1);
    EXPECT_EQ(deleted.at(0).at(0).value<uint32_t>(), 0x4840d6u);
    EXPECT_NE(decoder.findAircraft(0x485020), nullptr);

    // Heard again: a new record, announced again.
    QSignalSpy created(&decoder, &ModeSDecoder::MSG_newAircraft);
    feedHex(decoder, kIdentification);
    EXPECT_EQ(created.count(), 1);
    EXPECT_EQ(decoder.findAircraft(0x4840d6)->messages, 1);
}

TEST_F(ModeSDecoderTest, EachAddressIsAnnouncedOnceAndUpdatesAreSignalled)
{
    QSignalSpy created(&decoder, &ModeSDecoder::MSG_newAircraft);
    QSignalSpy updated(&decoder, &ModeSDecoder::MSG_positionUpdated);
    feedHex(decoder, kIdentification);
    feedHex(decoder, kIdentification); // identification alone changes nothing on the map
    feedHex(decoder, kAllCall);
    feedHex(decoder, kAltitudeReply);
    EXPECT_EQ(created.count(), 1);
    EXPECT_EQ(updated.count(), 1);
    EXPECT_EQ(decoder.findAircraft(0x4840d6)->messages, 4);
}

TEST_F(ModeSDecoderTest, BadParityIsDropped)
{
    Frame velocity = fromHex(kVelocity);
    velocity[6] ^= 0x0F; // four bits: beyond repair
    velocity[9] ^= 0xF0;
    feedFrame(decoder, velocity);
    Frame format20 = fromHex("A0001838CA3E51F0A8000047A5A4"); // unknown overlay address
    feedFrame(decoder, format20);
    EXPECT_EQ(aircraftCount(), 0);
}
