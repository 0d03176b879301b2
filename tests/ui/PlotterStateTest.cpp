// The plotter's frequency window, passband, dB range, bookmarks and the signals
// its operations emit.
#include "PlotterFixture.h"
#include "WaitFor.h"

#include <QSignalSpy>
#include <cmath>
#include <limits>

TEST(RoundToResolution, NearestMultipleWithHalvesAwayFromZero)
{
    struct Case
    {
        qint64 f;
        int resolution;
        qint64 expected;
    };
    const Case cases[] = {{14, 10, 10},
                          {15, 10, 20},
                          {-15, 10, -20},
                          {-4, 10, 0},
                          {144501234, 10, 144501230},
                          {144501235, 10, 144501240},
                          {7, 1, 7}};
    for (const Case& c : cases)
        EXPECT_EQ(roundToResolution(c.f, c.resolution), c.expected) << c.f << " / " << c.resolution;
}

using PlotterState = PlotterFixture;

TEST_F(PlotterState, SpanOutsideItsLimitsIsRefusedButStillAnnounced)
{
    QSignalSpy spans(&plotter, &CPlotter::newSpan);
    plotter.setSpan(10000);
    plotter.setSpan(10001);
    plotter.setSpan(std::numeric_limits<int>::max());
    ASSERT_EQ(spans.count(), 3);
    EXPECT_EQ(spans.at(0).at(0).toInt(), 96000);
    EXPECT_EQ(spans.at(1).at(0).toInt(), 10001);
    EXPECT_EQ(spans.at(2).at(0).toInt(), 10001);
    EXPECT_EQ(plotter.getSpan(), 10001);
}

TEST_F(PlotterState, OffsetIsClampedSoTheWindowStaysOnTheBins)
{
    struct Case
    {
        double rate;
        int span;
        qint64 asked;
        qint64 stored;
    };
    const Case cases[] = {
        {96000, 48000, 30000, 23999},
        {96000, 48000, -30000, -23999},
        {96000, 48000, 1234, 1234},
        {96000, 96000, 5000, 1},
        {96000, 96000, -5000, 1},
        // A window wider than the band is centred on it.
        {48000, 96000, 30000, 0},
        {48000, 96000, -30000, 0},
    };
    for (const Case& c : cases) {
        plotter.setSampleRate(c.rate);
        plotter.setSpan(c.span);
        QSignalSpy areas(&plotter, &CPlotter::newVisibleArea);
        plotter.setFftCenterOffset(c.asked);
        EXPECT_EQ(plotter.getFftCenterOffset(), c.stored) << c.rate << " " << c.span << " " << c.asked;
        ASSERT_EQ(areas.count(), 1);
        EXPECT_EQ(areas.at(0).at(0).toLongLong(), c.stored - c.span / 2);
        EXPECT_EQ(areas.at(0).at(1).toLongLong(), c.stored + c.span / 2);
    }
}

TEST_F(PlotterState, LoweringTheRateBelowTheSpanRecentresTheWindow)
{
    plotter.setFftCenterOffset(20000);
    ASSERT_EQ(plotter.getFftCenterOffset(), 20000);
    plotter.setSampleRate(48000);
    plotter.setSpan(96000);
    EXPECT_EQ(plotter.getFftCenterOffset(), 0);
}

TEST_F(PlotterState, UnusableSampleRatesAreIgnored)
{
    for (double rate : {0.0, -96000.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        plotter.setSampleRate(rate);
        EXPECT_EQ(plotter.getSampleRate(), 192000) << rate;
    }
}

TEST_F(PlotterState, CentreChangeRetunesAndRecentresButTheSameCentreChangesNothing)
{
    plotter.setFftCenterOffset(10000);
    plotter.setDemodFreq(Centre + 3000);

    plotter.setCenterFreq(Centre);
    EXPECT_EQ(plotter.getFftCenterOffset(), 10000);
    EXPECT_EQ(plotter.getDemodFreq(), Centre + 3000);

    plotter.setCenterFreq(Centre + 50000);
    EXPECT_EQ(plotter.getCenterFreq(), Centre + 50000);
    EXPECT_EQ(plotter.getDemodFreq(), Centre + 50000);
    EXPECT_EQ(plotter.getFftCenterOffset(), 0);
}

TEST_F(PlotterState, PassbandEdgesFollowTheirLimitsExceptWhenSetUnchecked)
{
    QSignalSpy delayed(&plotter, &CPlotter::delayedNewFilterFreq);
    QSignalSpy filters(&plotter, &CPlotter::newFilterFreq);

    plotter.setFilterCutLimits(-3000, -100, 100, 3000, false);
    EXPECT_EQ(plotter.getLowCut(), -3000);
    EXPECT_EQ(plotter.getHighCut(), 3000);

    plotter.setFilterCuts(-50, 9000);
    EXPECT_EQ(plotter.getLowCut(), -100);
    EXPECT_EQ(plotter.getHighCut(), 3000);

    plotter.setCutsUnchecked(-40000, 40000);
    EXPECT_EQ(plotter.getLowCut(), -40000);
    EXPECT_EQ(plotter.getHighCut(), 40000);

    ASSERT_TRUE(serveEventsPast(3 * CPlotter::FilterSettleMs));
    EXPECT_EQ(delayed.count(), 0);
    EXPECT_EQ(filters.count(), 0);
}

TEST_F(PlotterState, BurstOfPassbandChangesGivesOneFilterChangeWithTheLastEdges)
{
    QSignalSpy filters(&plotter, &CPlotter::newFilterFreq);
    // Within the settling time of each other: each restarts it.
    for (int i = 1; i <= 5; ++i)
        emit plotter.delayedNewFilterFreq(-1000 * i, 1000 * i);
    EXPECT_EQ(filters.count(), 0);
    ASSERT_TRUE(filters.wait(kWaitBoundMs));
    ASSERT_TRUE(serveEventsPast(3 * CPlotter::FilterSettleMs));
    ASSERT_EQ(filters.count(), 1);
    EXPECT_EQ(filters.at(0).at(0).toInt(), -5000);
    EXPECT_EQ(filters.at(0).at(1).toInt(), 5000);
}

TEST_F(PlotterState, BookmarksFarFromTheStationShowOnlyWhenAskedForAll)
{
    Bookmarks::instance()->addBookmark(bookmark(Centre + 60000 + 10000, "far", 150000.0f));
    Bookmarks::instance()->addBookmark(bookmark(Centre + 60000 + 20000, "unknown", -1.0f));
    Bookmarks::instance()->addBookmark(bookmark(Centre + 60000 + 90000, "outside", 0.0f));

    plotter.setCenterFreq(Centre + 60000);
    ASSERT_EQ(plotter.getTagAreas().size(), 1);
    EXPECT_EQ(plotter.getTagAreas().at(0).frequency, Centre + 80000);

    plotter.refreshBookmarks(true, false);
    ASSERT_EQ(plotter.getTagAreas().size(), 2);
    EXPECT_EQ(plotter.getTagAreas().at(0).frequency, Centre + 70000);
}

TEST_F(PlotterState, FrequencyOfAColumnIsExactToTheHertzAtHighFrequencies)
{
    // 160 Hz per column; single precision would be off by tens of hertz up here.
    plotter.setCenterFreq(10368000000LL);
    for (int x : {0, 1, 299, 301, 599})
        EXPECT_EQ(plotter.freqFromX(x), 10368000000LL - 48000 + 160 * x) << x;
    EXPECT_EQ(plotter.xFromFreq(10368000000LL + 160), 301);
    EXPECT_EQ(plotter.xFromFreq(10368000000LL - 1000000), 0);
    EXPECT_EQ(plotter.xFromFreq(10368000000LL + 1000000), Width);
}

TEST_F(PlotterState, ZoomResetShowsTheWholeBand)
{
    plotter.setSpan(20000);
    plotter.setFftCenterOffset(30000);
    QSignalSpy spans(&plotter, &CPlotter::newSpan);
    plotter.resetHorizontalZoom();
    EXPECT_EQ(plotter.getSpan(), 192000);
    ASSERT_EQ(spans.count(), 1);
    EXPECT_EQ(spans.at(0).at(0).toInt(), 192000);
    EXPECT_LE(std::abs(plotter.getFftCenterOffset()), 1);
}

TEST_F(PlotterState, MovingToTheDemodulatorCentresTheWindowOnIt)
{
    plotter.setDemodFreq(Centre + 25000);
    plotter.moveToDemodFreq();
    EXPECT_EQ(plotter.getFftCenterOffset(), 25000);
    plotter.moveToCenterFreq();
    EXPECT_EQ(plotter.getFftCenterOffset(), 0);
}
