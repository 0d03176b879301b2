// An aircraft's track as the receiver keeps it: what counts as a change, and
// the aircraft log's lines.
#include "decoders/adsb/AircraftTrack.h"
#include "TempWorkDir.h"
#include "core/GlobalRFData.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cstring>

namespace {

aircraft recordAt(double latitude, double longitude, int altitude)
{
    aircraft a;
    std::memset(&a, 0, sizeof a);
    a.address = 0x4840d6;
    std::strcpy(a.addressText, "4840d6");
    std::strcpy(a.flight, "KLM1023 ");
    a.latitude = latitude;
    a.longitude = longitude;
    a.hasPosition = true;
    a.altitude = altitude;
    a.speed = 420;
    a.track = 275;
    a.frameTime = 123456789;
    return a;
}

} // namespace

TEST(AircraftTrack, ChangesAboveTenFeetOrAHundredThousandthOfADegree)
{
    struct Case
    {
        double dLat;
        double dLon;
        int dAlt;
        bool changed;
    };
    for (const Case c :
         {Case{0, 0, 0, false}, Case{0.9e-5, 0, 0, false}, Case{0, -0.9e-5, 0, false},
          Case{0.7e-5, 0.7e-5, 0, false}, Case{0.8e-5, 0.8e-5, 0, true}, Case{2e-5, 0, 0, true},
          Case{0, 0, 10, false}, Case{0, 0, -10, false}, Case{0, 0, 11, true}, Case{0, 0, -25, true}}) {
        AircraftTrack track(recordAt(52.0, 4.0, 38000));
        EXPECT_EQ(track.update(recordAt(52.0 + c.dLat, 4.0 + c.dLon, 38000 + c.dAlt)), c.changed)
            << c.dLat << " " << c.dLon << " " << c.dAlt;
        EXPECT_EQ(track.altitude(), 38000 + c.dAlt); // copied in every case
    }
}

TEST(AircraftTrack, CopyLeavesTheListsLinkAndLockBehind)
{
    aircraft a = recordAt(1, 2, 3);
    a.next = &a;
    a.mutex = reinterpret_cast<mutexobject::MutexObject*>(&a);
    const AircraftTrack track(a);
    EXPECT_EQ(track.record().next, nullptr);
    EXPECT_EQ(track.record().mutex, nullptr);
    EXPECT_EQ(track.address(), 0x4840d6u);
    EXPECT_EQ(track.flight(), "KLM1023 ");
}

TEST(AircraftTrack, LogLinesAreAppendedToTheAircraftLog)
{
    TempWorkDir dir; // no "record" folder yet
    GlobalRFData* gps = GlobalRFData::instance();
    gps->day = 7;
    gps->month = 3;
    gps->year = 2024;
    gps->hour = 14;
    gps->minute = 5;
    gps->second = 9;
    gps->msec = 7;

    AircraftTrack track(recordAt(52.2572021484375, 3.91937255859375, 38000));
    track.writeTrackLine();
    aircraft noFlight = recordAt(-33.5, -70.25, 1250);
    noFlight.flight[0] = '\0';
    AircraftTrack(noFlight).writeTrackLine();

    QFile log(dir.file("record/adsb.dat"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().toStdString(),
              "07/03/2024 14:05:09.007;123456789;4840d6;KLM1023 ;52.257202;3.919373;38000;420.000000;275\n"
              "07/03/2024 14:05:09.007;123456789;4840d6;;-33.500000;-70.250000;1250;420.000000;275\n");
}
