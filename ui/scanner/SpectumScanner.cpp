#include "ui/scanner/SpectumScanner.h"

#include "core/AntennaSystem.h"
#include "core/QLogger.h"
#include "engine/Controller.h"
#include "ui/scanner/SpectrumPlot.h"
#include "ui/scanner/SpectrumSegment.h"

#include <QHBoxLayout>
#include <QMutexLocker>
#include <QTimer>

namespace {
constexpr double PlotTop = -40;
constexpr double PlotBottom = -135;

SpectrumSegment* makeSegment(const QString& name, const QColor& colour, double halfWidthMHz, QwtPlot* plot)
{
    auto* segment = new SpectrumSegment(name, colour);
    segment->setInterval(-halfWidthMHz, halfWidthMHz);
    segment->attach(plot);
    return segment;
}
} // namespace

SpectumScanner::SpectumScanner(QWidget* parent) : QWidget(parent)
{
    QLogger::logTrace(LogModule, QStringLiteral("SpectumScanner::SpectumScanner() "));
    plot = new SpectrumPlot(this, false);
    plot->setYRange(PlotBottom, PlotTop);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot);

    AntennaSystem* antenna = AntennaSystem::instance();
    azimuth = antenna->getAzimuth();
    connect(antenna, &AntennaSystem::SIG_AntennaOrientationChanged, this,
            &SpectumScanner::SLOT_AntennaOrientationChanged, Qt::QueuedConnection);

    scanTimer = new QTimer(this);
    segmentA = makeSegment(QStringLiteral("RXA"), Qt::green, 0.1, plot);
    segmentB = makeSegment(QStringLiteral("RXB"), Qt::yellow, 0.016, plot);
}

SpectumScanner::~SpectumScanner()
{
    scanTimer->stop();
}

void SpectumScanner::setController(Controller* engine, int followed)
{
    controller = engine;
    channel = followed;
    if (controller == nullptr)
        return;
    const qint64 centre = controller->getRxCenterFreq();
    {
        QMutexLocker locker(&lock);
        tracker.setCentre(centre);
    }
    // The plot reads the receiver's band before the first spectrum comes.
    plot->setCenterAndSpan(double(centre), double(controller->getSampleRate()));
    // Attaching again must not double the connections.
    const auto queuedOnce = Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection);
    connect(controller, &Controller::MSG_ChannelizerIsRetuned, this,
            &SpectumScanner::SLOT_ChannelizerIsRetuned, queuedOnce);
    connect(plot, &SpectrumPlot::NewDemodFreq, this, &SpectumScanner::SLOT_clickInSpectrum, queuedOnce);
    connect(scanTimer, &QTimer::timeout, this, &SpectumScanner::SLOT_scanFrequencies, Qt::UniqueConnection);
    scanTimer->start(ScanMs);
}

void SpectumScanner::newSpectrum(const double* dB, int n, double sampleRate)
{
    if (++frameCounter < 3)
        return;
    frameCounter = 0;
    QMutexLocker locker(&lock);
    tracker.takeSpectrum(dB, n, sampleRate);
    if (tracker.getGroupCount() > 0)
        plot->setSpectrum(tracker.getCentre(), tracker.getLevels(), tracker.getGroupCount(), sampleRate);
}

bool SpectumScanner::anyChannelOn() const
{
    if (controller == nullptr)
        return false;
    for (int c = 0; c < Controller::ChannelCount; ++c)
        if (controller->channelOn[c].load())
            return true;
    return false;
}

void SpectumScanner::SLOT_scanFrequencies()
{
    if (!anyChannelOn())
        return;
    ScanOutcome outcome;
    {
        QMutexLocker locker(&lock);
        outcome = tracker.scan(clock(), azimuth);
    }
    // Announced with the lock released: a listener may call back into the scanner.
    if (outcome.thresholdFollowed)
        emit SIG_newAutoSpotLevel(outcome.threshold);
    for (const ScannerSpot& spot : outcome.born)
        emit SIG_newSpot(spot.id, spot.frequency, float(spot.level), spot.angle);
    for (const ScannerSpot& spot : outcome.dead)
        emit SIG_deadSpot(spot.id, spot.frequency);
}

void SpectumScanner::SLOT_ChannelizerIsRetuned(qint64 hwRXCenter, float newFrequency, int retuned)
{
    if (retuned != channel)
        return;
    plot->SLOT_setCurrentRXFreq(double(hwRXCenter + qint64(newFrequency)) / 1000000.0, retuned);
    plot->setCenterAndSpan(double(hwRXCenter), 0);
    QMutexLocker locker(&lock);
    tracker.ageAll();
    tracker.setCentre(hwRXCenter);
}

void SpectumScanner::SLOT_updateVisibleSegments(int segmentChannel, double start, double stop)
{
    QMutexLocker locker(&lock);
    (segmentChannel == 1 ? segmentB : segmentA)->setInterval(start / 1000000.0, stop / 1000000.0);
}

void SpectumScanner::SLOT_clickInSpectrum(qint64, qint64 delta)
{
    if (controller != nullptr)
        controller->setRxOffset(int(delta), 0);
}

void SpectumScanner::setPowerThreshold(double new_threshold)
{
    QMutexLocker locker(&lock);
    tracker.setFixedThreshold(new_threshold);
}

void SpectumScanner::setAutoThreshold()
{
    QMutexLocker locker(&lock);
    tracker.setAutoThreshold();
}

void SpectumScanner::SLOT_AntennaOrientationChanged(float newAzimuth, float)
{
    azimuth = newAzimuth;
}
