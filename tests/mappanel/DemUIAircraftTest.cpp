// The aircraft an ADS-B receiver hears on the map panel: an aircraft enters the
// map once it has a position, follows its moves, and leaves when the receiver
// drops it.
#include "DemUIFixture.h"
#include "SilentRtl.h"
#include "WaitFor.h"
#include "decoders/adsb/ADSBReceiver.h"
#include "decoders/adsb/QPlaneWrapper.h"
#include "tests/decoders/AdsbTestSupport.h"

#include <cstring>

using namespace modesfixture;

namespace {

constexpr uint32_t kPlane = 0x3c6586;
constexpr uint32_t kOther = 0x4ca2b1;

class DemUIAircraftTest : public DemUITest
{
protected:
    void SetUp() override
    {
        DemUITest::SetUp();
        receiver = std::make_unique<ADSBReceiver>();
        receiver->setClock(clock.function());
    }
    void TearDown() override
    {
        panel.reset();
        receiver.reset();
        DemUITest::TearDown();
    }
    // The decoder is fed on this thread, where the receiver lives: the
    // receiver's thread, without a receiver to read, ended at once.
    void attachReceiver()
    {
        panel->setADSBReceiver(receiver.get());
        ASSERT_TRUE(receiver->wait(kWaitBoundMs));
    }
    void feed(const Frame& f) { feedFrame(*receiver->modeSDecoder(), f); }
    void positionAt(uint32_t address, double lat, double lon, int feet)
    {
        feed(airbornePosition(address, lat, lon, feet, false));
        clock.advanceSeconds(0.5);
        feed(airbornePosition(address, lat, lon, feet, true));
    }
    QPlaneWrapper* plane(uint32_t address) const
    {
        for (QPlaneWrapper* p : onMap<QPlaneWrapper>())
            if (p->track().address() == address)
                return p;
        return nullptr;
    }

    TestClock clock;
    SilentRtl rtl; // outlives the receiver's thread
    std::unique_ptr<ADSBReceiver> receiver;
};

AircraftTrack trackAt(uint32_t address, double lat, double lon, int feet)
{
    aircraft record;
    std::memset(&record, 0, sizeof record);
    record.address = address;
    std::strcpy(record.flight, "TEST12  ");
    record.latitude = lat;
    record.longitude = lon;
    record.altitude = feet;
    record.hasPosition = true;
    return AircraftTrack(record);
}

} // namespace

TEST_F(DemUIAircraftTest, AnAircraftAppearsWithItsPositionMovesAndLeaves)
{
    attachReceiver();
    feed(identification(kPlane, "AFR1234"));
    serveEventsPast(50);
    EXPECT_TRUE(onMap<QPlaneWrapper>().isEmpty()); // no position yet: not at 0, 0

    positionAt(kPlane, 43.63, 1.37, 24000);
    ASSERT_TRUE(waitFor([&] { return plane(kPlane) != nullptr; }));
    QPlaneWrapper* item = plane(kPlane);
    EXPECT_NEAR(item->pos().x(), 1.37, 1e-3);
    EXPECT_NEAR(item->pos().y(), 43.63, 1e-3);
    EXPECT_EQ(item->track().flight(), "AFR1234 ");
    EXPECT_TRUE(item->isVisible());
    EXPECT_FALSE(item->pendingAdd);

    clock.advanceSeconds(5);
    positionAt(kPlane, 43.80, 1.50, 25000);
    ASSERT_TRUE(waitFor([&] { return plane(kPlane)->track().altitude() == 25000; }));
    EXPECT_EQ(plane(kPlane), item); // the same item, moved
    EXPECT_NEAR(item->pos().x(), 1.50, 1e-3);
    EXPECT_NEAR(item->pos().y(), 43.80, 1e-3);
    EXPECT_EQ(onMap<QPlaneWrapper>().size(), 1);

    // A second aircraft, then a minute of silence from the first.
    clock.advanceSeconds(30);
    positionAt(kOther, 45.0, 5.0, 30000);
    ASSERT_TRUE(waitFor([&] { return plane(kOther) != nullptr; }));
    clock.advanceSeconds(31);
    receiver->modeSDecoder()->removeStaleAircraft();
    ASSERT_TRUE(waitFor([&] { return plane(kPlane) == nullptr; }));
    EXPECT_NE(plane(kOther), nullptr);
}

TEST_F(DemUIAircraftTest, TheReceiversSignalsAloneDriveTheMap)
{
    attachReceiver();
    // A move of an aircraft the panel never saw appear shows it all the same.
    emit receiver->SIG_aircraftMoved(trackAt(kPlane, 48.0, 2.0, 3000));
    ASSERT_TRUE(waitFor([&] { return plane(kPlane) != nullptr; }));
    emit receiver->SIG_aircraftAppeared(trackAt(kPlane, 48.1, 2.1, 3500));
    ASSERT_TRUE(waitFor([&] { return plane(kPlane)->track().altitude() == 3500; }));
    EXPECT_EQ(onMap<QPlaneWrapper>().size(), 1);
    EXPECT_NEAR(plane(kPlane)->pos().y(), 48.1, 1e-9);

    // Leaving twice, or an aircraft never shown, is harmless.
    emit receiver->SIG_aircraftGone(kOther);
    emit receiver->SIG_aircraftGone(kPlane);
    emit receiver->SIG_aircraftGone(kPlane);
    ASSERT_TRUE(waitFor([&] { return onMap<QPlaneWrapper>().isEmpty(); }));
}

TEST_F(DemUIAircraftTest, OnlyTheFirstReceiverIsTakenAndItStopsAtClose)
{
    receiver->setHardware(&rtl);
    panel->setADSBReceiver(nullptr);
    panel->setADSBReceiver(receiver.get());
    ASSERT_TRUE(waitFor([&] { return receiver->isRunning(); }));

    ADSBReceiver second;
    panel->setADSBReceiver(&second);
    emit second.SIG_aircraftAppeared(trackAt(kOther, 45.0, 5.0, 1000));
    serveEventsPast(50);
    EXPECT_FALSE(second.isRunning());
    EXPECT_TRUE(onMap<QPlaneWrapper>().isEmpty());

    panel->stopADSBReceiver();
    EXPECT_FALSE(receiver->isRunning());
}
