#include "decoders/adsb/ADSBReceiver.h"

#include "core/ProgramSettings.h"
#include "core/QLogger.h"
#include "decoders/adsb/ADSBFeeder.h"
#include "decoders/adsb/ADSBFramer.h"
#include "decoders/adsb/ADSBPlugin.h"
#include "decoders/adsb/ModeSDecoder.h"
#include "engine/ReceiverHardware.h"
#include "engine/plugins/PluginManager.h"

#include <QDebug>
#include <QSettings>
#include <QTimer>
#include <QVariant>

#include <cstdlib>

ADSBReceiver::ADSBReceiver(QObject* parent)
    : QThread(parent), framer(std::make_unique<ADSBFramer>()), decoder(std::make_unique<ModeSDecoder>()),
      timer(new QTimer(this)), clock(systemClock())
{
    qRegisterMetaType<AircraftTrack>("AircraftTrack");
    setObjectName(QStringLiteral("ADSBReceiver"));
    // The whole chain runs on the thread that feeds the framer: direct calls.
    connect(framer.get(), &ADSBFramer::MSG_newADSBRawMessage, decoder.get(),
            &ModeSDecoder::SL_newADSBRawMessage, Qt::DirectConnection);
    connect(decoder.get(), &ModeSDecoder::MSG_newAircraft, this, &ADSBReceiver::SLOT_newAircraft,
            Qt::DirectConnection);
    connect(decoder.get(), &ModeSDecoder::MSG_positionUpdated, this, &ADSBReceiver::SLOT_positionUpdated,
            Qt::DirectConnection);
    connect(decoder.get(), &ModeSDecoder::MSG_deletedAircraft, this, &ADSBReceiver::SLOT_deletedAircraft,
            Qt::DirectConnection);
    connect(timer, &QTimer::timeout, this, &ADSBReceiver::SLOT_checkUpdates);
    lastReportMs = clock();

    const std::unique_ptr<QSettings> settings = ProgramSettings::open();
    settings->beginGroup(QStringLiteral("ADSB"));
    logTracks =
        ProgramSettings::valueOrWriteDefault(*settings, QStringLiteral("log_adsb_messages"), false).toBool();
    settings->endGroup();
    if (logTracks)
        QLogger::logError(LogModule, QStringLiteral("log_adsb_messages set, recording ADSB to disk"));
}

ADSBReceiver::~ADSBReceiver()
{
    stopADSB();
}

void ADSBReceiver::setClock(MillisecondClock c)
{
    clock = c;
    decoder->setClock(std::move(c));
    lastReportMs = clock();
}

void ADSBReceiver::setHardware(ReceiverHardware* hw)
{
    if (!hw) {
        qDebug() << "ADSBReceiver::setHardware NULL ??";
        return;
    }
    rxHardware = hw;
    rxHardware->setAutoGainMode();
    rxHardware->setRxSampleRate(SampleRate);
    rxHardware->setRxCenterFreq(CenterFrequency);
}

void ADSBReceiver::startADSB()
{
    qDebug() << "ADSBReceiver::startADSB";
    if (isRunning())
        return;
    stopRequested = false;
    lastReportMs = clock();
    changesAtReport = changes.load();
    start(QThread::InheritPriority);
    timer->start(UpdateIntervalMs);
}

bool ADSBReceiver::stopADSB()
{
    {
        QMutexLocker locker(&stopLock);
        stopRequested = true;
        stopWake.wakeAll();
    }
    const bool stopped = wait(StopBoundMs);
    timer->stop();
    if (!stopped)
        QLogger::logError(LogModule,
                          QStringLiteral("ADSBReceiver::stopADSB() the receiver thread did not end "
                                         "within %1 ms")
                              .arg(StopBoundMs));
    return stopped;
}

bool ADSBReceiver::pauseUnlessStopped(int ms)
{
    QMutexLocker locker(&stopLock);
    if (!stopRequested)
        stopWake.wait(&stopLock, ulong(ms));
    return stopRequested;
}

void ADSBReceiver::run()
{
    if (!prepareReceiver())
        return;
    receive();
    rxHardware->finalizeRXEngine();
}

bool ADSBReceiver::prepareReceiver()
{
    if (!rxHardware) {
        qDebug() << "ADSBReceiver::run no receiver";
        return false;
    }
    const char* name = rxHardware->getHardwareName();
    if (!name || !QString::fromUtf8(name).contains(QStringLiteral("RTL"))) {
        qDebug() << "ADSBReceiver::run name not RTLSDR ??";
        QLogger::logError(LogModule, QStringLiteral("getHardwareName() != RTLSDR"));
        return false;
    }
    if (rxHardware->prepareRXEngine() == 0) {
        qDebug() << "ADSBReceiver::run startAcquisition == 0";
        QLogger::logError(LogModule, QStringLiteral("startAcquisition() error"));
        return false;
    }
    return true;
}

// The feeder: blocks of complex floats from the receiver become 8-bit I/Q for
// the framer; stale aircraft go after every fetch, so they also go when the
// traffic stops.
void ADSBReceiver::receive()
{
    ADSBFeeder feeder(*framer);
    while (!stopRequested) {
        int count = 0;
        void* block = rxHardware->getRXSamples(FetchBlocks, &count);
        const bool got = block != nullptr && count > 0;
        if (got)
            feeder.feed(static_cast<const float*>(block), count);
        std::free(block);
        decoder->removeStaleAircraft();
        if (!got && pauseUnlessStopped(IdleWaitMs))
            break;
    }
}

void ADSBReceiver::SLOT_newAircraft(aircraft* a)
{
    if (!a || planes.contains(a->address))
        return;
    const AircraftTrack track(*a);
    planes.insert(a->address, track);
    ++changes;
    if (track.hasPosition())
        emit SIG_aircraftAppeared(track);
}

void ADSBReceiver::SLOT_positionUpdated(uint32_t addr)
{
    const aircraft* record = decoder->findAircraft(addr);
    const auto it = planes.find(addr);
    if (!record || it == planes.end())
        return;
    ++changes;
    const bool hadPosition = it->hasPosition();
    const bool changed = it->update(*record);
    if (!it->hasPosition())
        return; // off the map and out of the log until it has a position
    if (changed && logTracks)
        it->writeTrackLine();
    if (hadPosition)
        emit SIG_aircraftMoved(*it);
    else
        emit SIG_aircraftAppeared(*it);
}

void ADSBReceiver::SLOT_deletedAircraft(uint32_t addr)
{
    const auto it = planes.find(addr);
    if (it == planes.end())
        return;
    const bool onMap = it->hasPosition();
    planes.erase(it);
    ++changes;
    if (onMap)
        emit SIG_aircraftGone(addr);
}

void ADSBReceiver::SLOT_checkUpdates()
{
    const quint64 total = changes.load();
    if (total != changesAtTick)
        emit SIG_listUpdated();
    changesAtTick = total;

    const qint64 now = clock();
    const qint64 elapsed = now - lastReportMs;
    if (elapsed <= ReportIntervalMs)
        return;
    rate = 0.5f * float(double(total - changesAtReport) * 1000.0 / double(elapsed)) + 0.5f * rate;
    PluginManager::instance()->invokePluginMethod(ADSBPlugin::Name, "setValue", {QVariant::fromValue(rate)},
                                                  Qt::AutoConnection);
    lastReportMs = now;
    changesAtReport = total;
}
