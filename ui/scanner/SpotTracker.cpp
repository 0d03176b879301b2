#include "ui/scanner/SpotTracker.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>

namespace {
// Spot identifiers are unique for the whole process; the first one is 1.
std::atomic<int> lastSpotId{0};

// A bin that is not a finite number counts as the floor, so that it can neither
// win the peak nor poison the mean and the automatic threshold for good.
double finiteOrFloor(double dB)
{
    return std::isfinite(dB) ? dB : -200.0;
}

struct GroupLevel
{
    qint64 frequency;
    double level;
};
} // namespace

void SpotTracker::takeSpectrum(const double* dB, int n, double sampleRate)
{
    if (dB == nullptr || n < GroupSize)
        return;
    const int groupCount = n / GroupSize;
    if (groupCount != getGroupCount()) {
        levels.assign(groupCount, 0.0);
        frequencies.assign(groupCount, 0);
    }
    peakBin = 0;
    meanLevel = 0;
    peakLevel = -200;

    double firstBinSum = 0;
    for (int g = 0; g < groupCount; ++g) {
        const double* group = dB + g * GroupSize;
        frequencies[g] = static_cast<qint64>(centre - sampleRate / 2 + g * sampleRate / groupCount);
        double sum = 0;
        for (int i = 0; i < GroupSize; ++i)
            sum += finiteOrFloor(group[i]);
        levels[g] = sum / GroupSize;
        firstBinSum += finiteOrFloor(group[0]);
        if (levels[g] > peakLevel) {
            peakLevel = levels[g];
            peakBin = g * GroupSize;
        }
    }
    meanLevel = firstBinSum / groupCount;
}

ScannerSpot* SpotTracker::findNear(qint64 frequency)
{
    for (ScannerSpot& spot : spots)
        if (std::llabs(spot.frequency - frequency) < MatchDistance)
            return &spot;
    return nullptr;
}

ScanOutcome SpotTracker::scan(const QDateTime& now, float azimuth)
{
    ScanOutcome outcome;
    std::vector<GroupLevel> groups(levels.size());
    for (size_t g = 0; g < levels.size(); ++g)
        groups[g] = {frequencies[g], levels[g]};
    for (ScannerSpot& spot : spots)
        spot.refreshed = false;

    // Strongest first; a plain comparison keeps the ordering strict.
    std::stable_sort(groups.begin(), groups.end(),
                     [](const GroupLevel& a, const GroupLevel& b) { return a.level > b.level; });

    if (autoThreshold) {
        threshold = 0.4 * ((peakLevel - meanLevel) * 0.5 + meanLevel + 7.0) + 0.6 * threshold;
        outcome.thresholdFollowed = true;
    }
    outcome.threshold = threshold;

    for (const GroupLevel& group : groups) {
        if (group.level < threshold)
            break; // sorted: every following group is weaker
        if (ScannerSpot* spot = findNear(group.frequency)) {
            spot->level = group.level;
            spot->refreshed = true;
            spot->lastSeen = now;
            spot->angle = azimuth;
            continue;
        }
        ScannerSpot spot;
        spot.id = ++lastSpotId;
        spot.frequency = group.frequency;
        spot.level = group.level;
        spot.lastSeen = now;
        spot.refreshed = true;
        spot.angle = azimuth;
        spots.push_back(spot);
        outcome.born.push_back(spot);
    }

    auto expired = [&](const ScannerSpot& spot) {
        return !spot.refreshed && spot.lastSeen.secsTo(now) > SpotLifetime;
    };
    for (const ScannerSpot& spot : spots)
        if (expired(spot))
            outcome.dead.push_back(spot);
    spots.erase(std::remove_if(spots.begin(), spots.end(), expired), spots.end());
    return outcome;
}

void SpotTracker::ageAll()
{
    const QDateTime epoch = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    for (ScannerSpot& spot : spots)
        spot.lastSeen = epoch;
}

void SpotTracker::setFixedThreshold(double dB)
{
    threshold = dB;
    autoThreshold = false;
}

void SpotTracker::setAutoThreshold()
{
    autoThreshold = true;
    threshold = InitialThreshold;
}
