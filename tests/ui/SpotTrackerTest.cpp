// The scanner's bookkeeping: the coarse spectrum, the automatic threshold, spot
// matching, identifiers and expiry.
#include "ui/scanner/SpotTracker.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {
const QDateTime Start = QDateTime(QDate(2024, 5, 1), QTime(12, 0, 0));

// 4096 bins over 1 MHz around 100 MHz: 1024 groups of 976.5625 Hz.
class SpotTrackerTest : public ::testing::Test
{
protected:
    static constexpr int Bins = 4096;
    static constexpr double Rate = 1000000;
    static constexpr qint64 Centre = 100000000;

    void SetUp() override { tracker.setCentre(Centre); }

    // Flat noise with strong groups at the given offsets from the centre (Hz).
    void feed(const std::vector<qint64>& peaks, double peakLevel = -50, double floor = -120)
    {
        std::vector<double> bins(Bins, floor);
        for (qint64 offset : peaks) {
            const int group = int((offset + Rate / 2) * (Bins / 4) / Rate);
            for (int i = 0; i < 4; ++i)
                bins[group * 4 + i] = peakLevel;
        }
        tracker.takeSpectrum(bins.data(), Bins, Rate);
    }

    SpotTracker tracker;
};
} // namespace

TEST_F(SpotTrackerTest, CoarseSpectrumAveragesGroupsOfFourAndFindsTheFirstStrongest)
{
    std::vector<double> bins(16, -100);
    bins[4] = -40; // group 1: mean -85
    bins[5] = -40;
    bins[6] = -130;
    bins[7] = -130;
    bins[8] = -70; // group 2: mean -85 as well, found later
    bins[9] = -70;
    bins[10] = -70;
    bins[11] = -130;
    bins[12] = std::numeric_limits<double>::quiet_NaN(); // counts as -200
    tracker.setCentre(1000);
    tracker.takeSpectrum(bins.data(), 16, 400);

    ASSERT_EQ(tracker.getGroupCount(), 4);
    const double expectedLevels[] = {-100, -85, -85, -125};
    const qint64 expectedFrequencies[] = {800, 900, 1000, 1100};
    for (int g = 0; g < 4; ++g) {
        EXPECT_DOUBLE_EQ(tracker.getLevels()[g], expectedLevels[g]) << g;
        EXPECT_EQ(tracker.getFrequencies()[g], expectedFrequencies[g]) << g;
    }
    EXPECT_EQ(tracker.getPeakBin(), 4);
    EXPECT_DOUBLE_EQ(tracker.getPeakLevel(), -85);
    // The mean is the mean of the first bin of each group.
    EXPECT_DOUBLE_EQ(tracker.getMeanLevel(), (-100 - 40 - 70 - 200) / 4.0);
}

TEST_F(SpotTrackerTest, TooShortASpectrumChangesNothing)
{
    const double bins[3] = {-10, -10, -10};
    tracker.takeSpectrum(bins, 3, Rate);
    tracker.takeSpectrum(nullptr, 4096, Rate);
    EXPECT_EQ(tracker.getGroupCount(), 0);
}

TEST_F(SpotTrackerTest, AutomaticThresholdFollowsPeakAndMean)
{
    // Mean -120 and peak -60 from the default -200: 0.4 x (-83) + 0.6 x (-200).
    std::vector<double> bins(Bins, -120);
    for (int i = 1; i < 4; ++i)
        bins[400 + i] = -40; // group mean -60, first bin still -120
    tracker.takeSpectrum(bins.data(), Bins, Rate);
    const ScanOutcome outcome = tracker.scan(Start, 0);
    EXPECT_TRUE(outcome.thresholdFollowed);
    EXPECT_NEAR(outcome.threshold, -153.2, 1e-9);
    EXPECT_NEAR(tracker.getThreshold(), -153.2, 1e-9);
}

TEST_F(SpotTrackerTest, FixedThresholdStopsFollowing)
{
    tracker.setFixedThreshold(-80);
    feed({100000});
    const ScanOutcome outcome = tracker.scan(Start, 0);
    EXPECT_FALSE(outcome.thresholdFollowed);
    EXPECT_EQ(tracker.getThreshold(), -80);
    ASSERT_EQ(outcome.born.size(), 1u);

    tracker.setAutoThreshold();
    EXPECT_TRUE(tracker.isAutoThreshold());
    EXPECT_EQ(tracker.getThreshold(), SpotTracker::InitialThreshold);
}

TEST_F(SpotTrackerTest, PeaksCloserThanSevenKilohertzMakeOneSpot)
{
    struct Case
    {
        qint64 apart;
        size_t spots;
    };
    for (const Case c : {Case{6000, 1}, Case{8000, 2}, Case{20000, 2}}) {
        SpotTracker fresh;
        fresh.setCentre(Centre);
        fresh.setFixedThreshold(-80);
        tracker = fresh;
        feed({100000, 100000 + c.apart});
        EXPECT_EQ(tracker.scan(Start, 0).born.size(), c.spots) << c.apart << " Hz apart";
    }
}

TEST_F(SpotTrackerTest, NewSpotsCarryIncreasingIdentifiersFrequencyLevelAndAzimuth)
{
    tracker.setFixedThreshold(-80);
    feed({-200000, 300000}, -45);
    const ScanOutcome first = tracker.scan(Start, 123.5f);
    ASSERT_EQ(first.born.size(), 2u);
    EXPECT_EQ(first.born[1].id, first.born[0].id + 1);
    EXPECT_GE(first.born[0].id, 1);
    for (const ScannerSpot& spot : first.born) {
        EXPECT_DOUBLE_EQ(spot.level, -45);
        EXPECT_EQ(spot.angle, 123.5f);
        // A group's frequency is its lower edge: within a group's width below the peak.
        const bool nearA = spot.frequency <= Centre - 200000 && spot.frequency > Centre - 200000 - 977;
        const bool nearB = spot.frequency <= Centre + 300000 && spot.frequency > Centre + 300000 - 977;
        EXPECT_TRUE(nearA || nearB) << spot.frequency;
    }

    // Identifiers are never reused, not even by another tracker.
    SpotTracker other;
    other.setCentre(Centre);
    other.setFixedThreshold(-80);
    std::vector<double> bins(Bins, -120);
    bins[0] = bins[1] = bins[2] = bins[3] = -10;
    other.takeSpectrum(bins.data(), Bins, Rate);
    const ScanOutcome later = other.scan(Start, 0);
    ASSERT_EQ(later.born.size(), 1u);
    EXPECT_GT(later.born[0].id, first.born[1].id);
}

TEST_F(SpotTrackerTest, SpotsSeenAgainAreRefreshedWithoutBeingAnnounced)
{
    tracker.setFixedThreshold(-80);
    feed({100000}, -50);
    ASSERT_EQ(tracker.scan(Start, 0).born.size(), 1u);
    feed({100000}, -60);
    const ScanOutcome again = tracker.scan(Start.addSecs(5), 10);
    EXPECT_TRUE(again.born.empty());
    EXPECT_TRUE(again.dead.empty());
    ASSERT_EQ(tracker.getSpots().size(), 1u);
    EXPECT_DOUBLE_EQ(tracker.getSpots()[0].level, -60);
    EXPECT_EQ(tracker.getSpots()[0].angle, 10.0f);
    EXPECT_EQ(tracker.getSpots()[0].lastSeen, Start.addSecs(5));
}

TEST_F(SpotTrackerTest, UnseenSpotsDieAfterMoreThanTenSeconds)
{
    struct Case
    {
        int secondsLater;
        bool dies;
    };
    for (const Case c : {Case{10, false}, Case{11, true}}) {
        SpotTracker fresh;
        fresh.setCentre(Centre);
        fresh.setFixedThreshold(-80);
        tracker = fresh;
        feed({100000});
        const ScanOutcome born = tracker.scan(Start, 0);
        ASSERT_EQ(born.born.size(), 1u);
        feed({});
        const ScanOutcome later = tracker.scan(Start.addSecs(c.secondsLater), 0);
        EXPECT_EQ(later.dead.size(), c.dies ? 1u : 0u) << c.secondsLater << " s";
        if (c.dies) {
            EXPECT_EQ(later.dead[0].id, born.born[0].id);
            EXPECT_EQ(later.dead[0].frequency, born.born[0].frequency);
        }
        EXPECT_EQ(tracker.getSpots().size(), c.dies ? 0u : 1u);
    }
}

TEST_F(SpotTrackerTest, AfterARetuneOnlySpotsSeenAgainSurvive)
{
    tracker.setFixedThreshold(-80);
    feed({100000, 300000});
    ASSERT_EQ(tracker.scan(Start, 0).born.size(), 2u);
    tracker.ageAll();
    feed({300000});
    const ScanOutcome next = tracker.scan(Start.addSecs(1), 0);
    ASSERT_EQ(next.dead.size(), 1u);
    EXPECT_NEAR(double(next.dead[0].frequency), double(Centre + 100000), 1000);
    ASSERT_EQ(tracker.getSpots().size(), 1u);
    EXPECT_NEAR(double(tracker.getSpots()[0].frequency), double(Centre + 300000), 1000);
}

TEST_F(SpotTrackerTest, GroupsAreTakenStrongestFirstEvenWhenNearlyEqual)
{
    // Many groups within a decibel of each other: the strongest of each cluster wins
    // the spot, and spots are born in decreasing level.
    tracker.setFixedThreshold(-90);
    std::vector<double> bins(Bins);
    for (int i = 0; i < Bins; ++i)
        bins[i] = -60 - 0.001 * ((i / 4 * 7919) % 997);
    tracker.takeSpectrum(bins.data(), Bins, Rate);
    const ScanOutcome outcome = tracker.scan(Start, 0);
    ASSERT_GT(outcome.born.size(), 50u);
    for (size_t i = 1; i < outcome.born.size(); ++i)
        ASSERT_GE(outcome.born[i - 1].level, outcome.born[i].level) << i;
}
