// The "Carte" tab: the map panel placed in the window, given the engine when
// the window is, following RX A's retunes and the band choice, and showing
// the aircraft of an ADS-B receiver handed to the window.
#include "WindowFixture.h"

#include "WaitFor.h"
#include "tests/mappanel/SilentRtl.h"
#include "core/ProgramSettings.h"
#include "decoders/adsb/ADSBReceiver.h"
#include "decoders/adsb/QPlaneWrapper.h"
#include "lists/dbRadioSegment.h"
#include "map/graphics/MapGraphicsScene.h"
#include "mappanel/BeaconMapObject.h"
#include "mappanel/DemUI.h"
#include "mainwindow/FrontPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>

#include <cstring>

namespace {

class FrontPanelMap : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        // Offline tiles: the network layer's server refuses.
        ProgramSettings::open()->setValue("Map/tile_server", "http://127.0.0.1:9");
        window = std::make_unique<FrontPanel>();
        map = window->findChild<DemUI*>();
        ASSERT_NE(map, nullptr);
        QObject::connect(map->findChild<MapGraphicsScene*>(), &MapGraphicsScene::objectAdded,
                         [this](MapGraphicsObject* object) { added.append(object); });
    }
    void attach()
    {
        attachEngine();
        window->setController(engine.get());
    }
    BeaconMapObject* spot() const
    {
        for (MapGraphicsObject* o : added)
            if (auto* b = dynamic_cast<BeaconMapObject*>(o))
                return b;
        return nullptr;
    }

    std::unique_ptr<FrontPanel> window;
    DemUI* map = nullptr;
    QList<MapGraphicsObject*> added;
};

} // namespace

TEST_F(FrontPanelMap, TheCarteTabHoldsTheMapPanel)
{
    QTabWidget* tabs = window->tabWidget();
    int carte = -1;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->tabText(i) == "Carte")
            carte = i;
    ASSERT_GE(carte, 0);
    EXPECT_TRUE(tabs->widget(carte)->isAncestorOf(map));
}

TEST_F(FrontPanelMap, TheMapFollowsRetunesOfRXAAndTheBandChoice)
{
    attach();
    emit engine->MSG_VantorSpot("F1ABC", 45.0, 6.0, 146.5, 0);
    ASSERT_TRUE(waitFor([&] { return spot() != nullptr; }));
    EXPECT_TRUE(spot()->isVisible());

    // Only what the receiver hears now: nothing before a retune.
    QCheckBox* byFrequency = map->findChildren<QCheckBox*>().value(0);
    ASSERT_EQ(byFrequency->text(), "Par frequence");
    byFrequency->click();
    ASSERT_TRUE(waitFor([&] { return !spot()->isVisible(); }));

    // RX A tuned outside the receiver's window: the receiver moves, and the map with it.
    window->SLOT_userTunesFreqWidget(146500000);
    ASSERT_TRUE(waitFor([&] { return spot()->isVisible(); }));
    window->SLOT_userTunesFreqWidget(Centre - 2000000);
    ASSERT_TRUE(waitFor([&] { return !spot()->isVisible(); }));

    // The band choice reaches the map (without the frequency switch).
    byFrequency->click();
    ASSERT_TRUE(waitFor([&] { return spot()->isVisible(); }));
    dbRadioSegment band;
    band.NAME = "2m";
    band.FSTART = 144000000;
    band.FSTOP = 146000000;
    window->setBandPlan({&band});
    window->bandBox()->setCurrentIndex(1);
    ASSERT_TRUE(waitFor([&] { return !spot()->isVisible(); }));
    window->bandBox()->setCurrentIndex(0);
    ASSERT_TRUE(waitFor([&] { return spot()->isVisible(); }));
}

TEST_F(FrontPanelMap, AnADSBReceiverHandedToTheWindowShowsItsAircraftAndStopsAtClose)
{
    attach();
    SilentRtl rtl;
    ADSBReceiver adsb;
    adsb.setHardware(&rtl);
    window->setADSBReceiver(&adsb);
    ASSERT_TRUE(waitFor([&] { return adsb.isRunning(); }));
    aircraft record;
    std::memset(&record, 0, sizeof record);
    record.address = 0x3c6586;
    record.latitude = 43.6;
    record.longitude = 1.4;
    record.hasPosition = true;
    emit adsb.SIG_aircraftAppeared(AircraftTrack(record));
    ASSERT_TRUE(waitFor([&] {
        for (MapGraphicsObject* o : added)
            if (dynamic_cast<QPlaneWrapper*>(o) != nullptr)
                return true;
        return false;
    }));
    window.reset();
    EXPECT_FALSE(adsb.isRunning());
}
