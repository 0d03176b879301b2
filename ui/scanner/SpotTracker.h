#pragma once

#include <QDateTime>
#include <QtGlobal>
#include <vector>

// One strong signal followed by the scanner.
struct ScannerSpot
{
    int id = 0;
    qint64 frequency = 0; // Hz
    QDateTime lastSeen;
    double level = 0; // dB
    float angle = 0;  // antenna azimuth when last seen, degrees
    bool refreshed = false;
};

// What one scan changed: spots born and spots that died, in the order found.
struct ScanOutcome
{
    std::vector<ScannerSpot> born;
    std::vector<ScannerSpot> dead;
    bool thresholdFollowed = false; // the automatic threshold moved to `threshold`
    double threshold = 0;
};

// The scanner's bookkeeping without widgets or threads: a coarse copy of the
// full-band spectrum (means of groups of four bins) and the spots found on it.
// A scan refreshes the first spot within 7 kHz of each group at or above the
// threshold, creates one where none is, and drops spots unseen for longer than
// their lifetime.
class SpotTracker
{
public:
    static constexpr int GroupSize = 4;
    static constexpr qint64 MatchDistance = 7000; // Hz
    static constexpr int SpotLifetime = 10;       // seconds
    static constexpr double InitialThreshold = -200.0;

    // Takes one display spectrum (dB, display order) of n bins covering sampleRate
    // hertz around the centre. Fewer than four bins are ignored; a remainder of
    // bins beyond the last whole group is left out; a bin that is not a finite
    // number counts as -200 dB.
    void takeSpectrum(const double* dB, int n, double sampleRate);

    ScanOutcome scan(const QDateTime& now, float azimuth);

    // A retune: every spot counts as last seen at the epoch, so the next scan drops
    // each one it does not see again.
    void ageAll();

    void setCentre(qint64 hz) { centre = hz; }
    qint64 getCentre() const { return centre; }
    // A fixed threshold; the automatic one stops following the spectrum.
    void setFixedThreshold(double dB);
    void setAutoThreshold();
    bool isAutoThreshold() const { return autoThreshold; }
    double getThreshold() const { return threshold; }

    int getGroupCount() const { return static_cast<int>(levels.size()); }
    const double* getLevels() const { return levels.data(); }
    const qint64* getFrequencies() const { return frequencies.data(); }
    double getMeanLevel() const { return meanLevel; }
    double getPeakLevel() const { return peakLevel; }
    int getPeakBin() const { return peakBin; }
    const std::vector<ScannerSpot>& getSpots() const { return spots; }

private:
    ScannerSpot* findNear(qint64 frequency);

    bool autoThreshold = true;
    double threshold = InitialThreshold;
    std::vector<double> levels;
    std::vector<qint64> frequencies;
    double meanLevel = 0;
    double peakLevel = -200;
    int peakBin = 0;
    qint64 centre = 0;
    std::vector<ScannerSpot> spots;
};
