// Which frequency objects the map shows: receiver range, receiver window, band.
#include "mappanel/BeaconFilter.h"

#include <gtest/gtest.h>

namespace {

constexpr BeaconFilter::Range Receiver{24000000, 1766000000};

struct WindowCase
{
    qint64 centre;
    int rate;
    bool accepted;
    qint64 low;
    qint64 high;
};

class ReceiverWindow : public ::testing::TestWithParam<WindowCase>
{
};

} // namespace

TEST(BeaconFilter, StartsWithTheWindowZeroToOneAndNoBand)
{
    BeaconFilter filter;
    EXPECT_EQ(filter.windowLow(), 0);
    EXPECT_EQ(filter.windowHigh(), 1);
    EXPECT_FALSE(filter.byFrequency());
    EXPECT_FALSE(filter.byBand());
    EXPECT_EQ(filter.bandLow(), -1);
    EXPECT_EQ(filter.bandHigh(), -1);
}

TEST_P(ReceiverWindow, IsTheCentreLessAndPlusHalfTheRate)
{
    const WindowCase c = GetParam();
    BeaconFilter filter;
    filter.setReceiverWindow(50000000, 1000000);
    EXPECT_EQ(filter.setReceiverWindow(c.centre, c.rate), c.accepted);
    EXPECT_EQ(filter.windowLow(), c.low);
    EXPECT_EQ(filter.windowHigh(), c.high);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReceiverWindow,
    ::testing::Values(WindowCase{100000000, 2048000, true, 98976000, 101024000},
                      // An odd rate: half by integer division.
                      WindowCase{145000000, 2048001, true, 143976000, 146024000},
                      WindowCase{1024000, 2048000, true, 0, 2048000},
                      // A negative edge keeps the previous window.
                      WindowCase{1000, 2048000, false, 49500000, 50500000},
                      WindowCase{-5, 0, false, 49500000, 50500000}));

TEST(BeaconFilter, WithoutASwitchEveryObjectInTheReceiverRangeShows)
{
    BeaconFilter filter;
    EXPECT_TRUE(filter.shows(24000000, Receiver));
    EXPECT_TRUE(filter.shows(1766000000, Receiver));
    EXPECT_FALSE(filter.shows(23999999, Receiver));
    EXPECT_FALSE(filter.shows(1766000001, Receiver));
    EXPECT_TRUE(filter.shows(10000000000LL, BeaconFilter::NoReceiverRange));
    EXPECT_FALSE(filter.shows(11000000001LL, BeaconFilter::NoReceiverRange));
}

TEST(BeaconFilter, ByFrequencyBeforeAnyRetuneHidesEverything)
{
    BeaconFilter filter;
    filter.setByFrequency(true);
    for (qint64 f : {qint64(0), qint64(1)})
        EXPECT_TRUE(filter.shows(f, Receiver)) << f;
    for (qint64 f : {qint64(2), qint64(145000000)})
        EXPECT_FALSE(filter.shows(f, Receiver)) << f;
}

TEST(BeaconFilter, ByFrequencyShowsTheWindowOnlyWhateverTheBand)
{
    BeaconFilter filter;
    filter.setReceiverWindow(100000000, 2048000);
    filter.setByFrequency(true);
    filter.selectBand(7000000, 7200000);
    EXPECT_TRUE(filter.shows(98976000, Receiver));
    EXPECT_TRUE(filter.shows(101024000, Receiver));
    EXPECT_FALSE(filter.shows(101024001, Receiver));
    EXPECT_FALSE(filter.shows(7100000, Receiver));
}

TEST(BeaconFilter, ABandSelectionSwitchesTheBandFilterAndBothNegativeSwitchesItOff)
{
    BeaconFilter filter;
    filter.selectBand(7000000, 7200000);
    EXPECT_TRUE(filter.byBand());
    EXPECT_TRUE(filter.shows(7100000, BeaconFilter::NoReceiverRange));
    EXPECT_FALSE(filter.shows(145000000, BeaconFilter::NoReceiverRange));
    filter.selectBand(-1, -1);
    EXPECT_FALSE(filter.byBand());
    EXPECT_TRUE(filter.shows(145000000, BeaconFilter::NoReceiverRange));
}

TEST(BeaconFilter, ABandBoundBelowOneLeavesTheReceiverBound)
{
    BeaconFilter filter;
    filter.selectBand(0, 146000000);
    const BeaconFilter::Range range = filter.withBand(Receiver);
    EXPECT_EQ(range.min, Receiver.min);
    EXPECT_EQ(range.max, 146000000);
    filter.selectBand(144000000, -1);
    EXPECT_EQ(filter.withBand(Receiver).min, 144000000);
    EXPECT_EQ(filter.withBand(Receiver).max, Receiver.max);
    // The switch off: the band no longer narrows the range.
    filter.setByBand(false);
    EXPECT_EQ(filter.withBand(Receiver).min, Receiver.min);
}
