#pragma once

#include "ui/scanner/SpotTracker.h"

#include <QDateTime>
#include <QMutex>
#include <QWidget>
#include <functional>

class Controller;
class QTimer;
class SpectrumPlot;
class SpectrumSegment;

// The strong-signal scanner strip of the RX A panel. It keeps a coarse copy of
// every third full-band display spectrum, shows it with the visible bands of both
// channels, and once a second, while a channel is on, turns the peaks above its
// threshold into spots: announced when new, dropped after ten seconds unseen.
// A click on its plot tunes RX A.
class SpectumScanner : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ScanMs = 1000;

    explicit SpectumScanner(QWidget* parent = nullptr);
    ~SpectumScanner() override;

    void setController(Controller* controller, int channel);
    // One display spectrum (dB, display order) of n bins over sampleRate hertz.
    void newSpectrum(const double* dB, int n, double sampleRate);
    void setAutoThreshold();

    // The time the scan sees; the current local time unless a test sets another.
    void setClock(std::function<QDateTime()> now) { clock = std::move(now); }
    const SpotTracker& getTracker() const { return tracker; }
    SpectrumPlot* getPlot() const { return plot; }
    const SpectrumSegment* getSegment(int channel) const { return channel == 1 ? segmentB : segmentA; }

public slots:
    void SLOT_scanFrequencies();
    void SLOT_ChannelizerIsRetuned(qint64 hwRXCenter, float newFrequency, int channel);
    void SLOT_updateVisibleSegments(int channel, double start, double stop);
    void SLOT_clickInSpectrum(qint64 freq, qint64 delta);
    void setPowerThreshold(double new_threshold);
    void SLOT_AntennaOrientationChanged(float newAzimuth, float newElevation);

signals:
    void SIG_newSpot(int id, qint64 frequency, float level_dBm, float angle);
    void SIG_deadSpot(int id, qint64 frequency);
    void SIG_newAutoSpotLevel(double level_dbm);

private:
    bool anyChannelOn() const;

    QMutex lock; // guards the tracker and the segments
    SpotTracker tracker;
    SpectrumPlot* plot = nullptr;
    SpectrumSegment* segmentA = nullptr;
    SpectrumSegment* segmentB = nullptr;
    Controller* controller = nullptr;
    int channel = 0;
    QTimer* scanTimer = nullptr;
    float azimuth = 0;
    int frameCounter = 0; // only every third spectrum is taken
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
};
