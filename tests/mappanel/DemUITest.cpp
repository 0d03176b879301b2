// The map panel on a real engine attached to the test receiver, with a small
// beacon database, offline tiles (the network layer's server refuses) and
// generated terrain.
#include "DemUIFixture.h"
#include "SrtmTestTiles.h"
#include "WaitFor.h"
#include "core/AntennaSystem.h"
#include "map/geo/GeoTools.h"
#include "map/terrain/SRTMReader.h"
#include "map/terrain/TerrainGrid.h"

#include <QCheckBox>
#include <QDir>
#include <QTextBrowser>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_div.h>

TEST_F(DemUITest, TheReceiverWindowFollowsEitherChannelAndTheSwitchesFilter)
{
    panel->setController(&engine);
    panel->SLOT_VantorSpot("IN", 45.0, 6.0, 100.5, 0);
    panel->SLOT_VantorSpot("OUT", 45.0, 6.0, 145.0, 0);
    panel->SLOT_VantorSpot("HF", 45.0, 6.0, 7.1, 0);
    ASSERT_EQ(objects.size(), 3);
    // Receiver range 24..1766 MHz: the HF spot is outside it.
    EXPECT_TRUE(visible("IN"));
    EXPECT_TRUE(visible("OUT"));
    EXPECT_FALSE(visible("HF"));

    // "Par frequence" before any retune: window 0..1, everything hidden.
    QList<QCheckBox*> boxes = panel->findChildren<QCheckBox*>();
    ASSERT_EQ(boxes.size(), 2);
    QCheckBox* byFrequency = boxes[0];
    ASSERT_EQ(byFrequency->text(), "Par frequence");
    byFrequency->click();
    ASSERT_TRUE(waitFor([&] { return !visible("IN"); }));
    EXPECT_FALSE(visible("OUT"));

    // A retune reported by channel 1 moves the window too.
    emit engine.MSG_ChannelizerIsRetuned(100000000, 0, 1);
    ASSERT_TRUE(waitFor([&] { return visible("IN"); }));
    EXPECT_FALSE(visible("OUT"));
    // The same centre from channel 0 keeps it.
    emit engine.MSG_ChannelizerIsRetuned(100000000, 0, 0);
    serveEventsPast(50);
    EXPECT_TRUE(visible("IN"));

    // Band selection applies only without the frequency switch.
    byFrequency->click();
    ASSERT_TRUE(waitFor([&] { return visible("OUT"); }));
    panel->SLOT_BandSelected(144000000, 146000000);
    EXPECT_FALSE(visible("IN"));
    EXPECT_TRUE(visible("OUT"));
    panel->SLOT_BandSelected(-1, -1);
    EXPECT_TRUE(visible("IN"));
}

TEST_F(DemUITest, DatabaseBeaconsOnePerCallsignAndNoAircraftBandFarAway)
{
    GeoTools::instance().setStationLocation(6.0, 45.0);
    addBeacon("F1AAA", 432000000, 45.1, 6.1);
    addBeacon("F1AAA", 144400000, 45.1, 6.1);
    addBeacon("FAR2M", 145000000, 47.0, 6.0);  // about 222 km
    addBeacon("FARAIR", 120000000, 47.0, 6.0);
    addBeacon("NEARAIR", 120000000, 45.2, 6.0);
    addBeacon("LOW", 1000000, 45.2, 6.0); // below the receiver's range
    panel->setController(&engine);
    ASSERT_TRUE(waitFor([&] { return objects.size() == 3; }));
    serveEventsPast(100);
    ASSERT_EQ(objects.size(), 3);
    EXPECT_EQ(object("F1AAA")->row()->FREQ, 144400000u);
    EXPECT_NE(object("FAR2M"), nullptr);
    EXPECT_NE(object("NEARAIR"), nullptr);
}

TEST_F(DemUITest, ASpotMovesItsObjectAndChangesItsFrequencyToTheNearestHertz)
{
    panel->setController(&engine);
    panel->SLOT_VantorSpot("F4XYZ", 45.0, 6.0, 144.3, 0);
    panel->SLOT_VantorSpot("OTHER", 45.0, 6.0, 432.1, 0);
    panel->SLOT_VantorSpot("F4XYZ", 46.5, 7.25, 1.001, 0);
    ASSERT_EQ(objects.size(), 2);
    BeaconMapObject* spot = object("F4XYZ");
    EXPECT_EQ(spot->pos(), QPointF(7.25, 46.5));
    EXPECT_EQ(spot->row()->FREQ, 1001000u);
    // Now below the receiver's range.
    EXPECT_FALSE(spot->isVisible());
}

TEST_F(DemUITest, AnInjectedLinkInABeaconNameDoesNotTuneButTheFrequencyLinkDoes)
{
    panel->setController(&engine);
    panel->SLOT_VantorSpot("<a href='50000000'>x</a>", 45.0, 6.0, 145.5, 0);
    ASSERT_EQ(objects.size(), 1);
    emit objects[0]->SIG_isSelected();
    auto* pane = panel->findChild<QTextBrowser*>();
    ASSERT_TRUE(waitFor([&] { return !pane->toPlainText().isEmpty(); }));
    EXPECT_TRUE(pane->toPlainText().contains("<a href='50000000'>x</a>"));
    const QString html = pane->toHtml();
    EXPECT_FALSE(html.contains("href=\"50000000\""));
    EXPECT_TRUE(html.contains("href=\"145500000\""));

    const qint64 before = engine.getRxCenterFreq();
    for (const char* bad : {"50000000x", "javascript:tune(50000000)", "0"})
        emit pane->anchorClicked(QUrl(bad));
    serveEventsPast(100);
    EXPECT_EQ(engine.getRxCenterFreq(), before);
    emit pane->anchorClicked(QUrl("433000000"));
    ASSERT_TRUE(waitFor([&] { return receiver.getRxCenterFreq() != before; }));
    EXPECT_NEAR(double(receiver.getRxCenterFreq()), 433000000.0, Rate / 2);
}

// The station's terrain grid is made once per process: this test makes it.
class DemUIProfileTest : public DemUITest
{
};

TEST_F(DemUIProfileTest, TheProfileRunsInTheAntennaDirectionWithItsAxesFromTheStationGrid)
{
    ASSERT_TRUE(QDir().mkpath(dir.file("DEM")));
    // A plane at 100 m with a 300 m ridge east of the station.
    ASSERT_TRUE(SrtmTestTiles::write(dir.file("DEM/N45E006.hgt"), [](int, int column) {
        return qint16(column >= 400 && column < 500 ? 300 : 100);
    }));
    GeoTools::instance().setDemPath(dir.file("DEM"));
    GeoTools::instance().setStationLocation(6.1, 45.5);
    AntennaSystem::instance()->setAzimuth(90);
    panel->updateTerrainProfile();
    auto* plot = panel->findChild<QwtPlot*>();
    auto* curve = dynamic_cast<QwtPlotCurve*>(plot->itemList(QwtPlotItem::Rtti_PlotCurve).value(0));
    ASSERT_NE(curve, nullptr);
    ASSERT_TRUE(waitFor([&] { return curve->dataSize() == 249; }));
    EXPECT_DOUBLE_EQ(curve->sample(0).x(), 0.2);
    EXPECT_DOUBLE_EQ(curve->sample(248).x(), 49.8);
    EXPECT_EQ(curve->sample(0).y(), 100.0);
    EXPECT_EQ(curve->sample(248).y(), 100.0);
    // Column 450 is about 0.275 degree east: about 21.5 km.
    EXPECT_EQ(curve->sample(106).y(), 300.0);
    EXPECT_DOUBLE_EQ(plot->axisScaleDiv(QwtPlot::xBottom).lowerBound(), 0.0);
    EXPECT_DOUBLE_EQ(plot->axisScaleDiv(QwtPlot::xBottom).upperBound(), 50.0);
    EXPECT_DOUBLE_EQ(plot->axisScaleDiv(QwtPlot::yLeft).lowerBound(), 90.0);
    EXPECT_DOUBLE_EQ(plot->axisScaleDiv(QwtPlot::yLeft).upperBound(), 350.0);
    // Read through the station's grid, whose tiles stay there.
    EXPECT_TRUE(GeoTools::instance().terrainGrid()->lockReader()->hasTile("N45E006.hgt"));
}
