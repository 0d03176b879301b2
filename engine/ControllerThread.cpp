// The engine thread: its states, reception from the receiver and playback of a
// raw-RF recording.
#include "engine/Channelizer.h"
#include "engine/Controller.h"
#include "engine/FetchBackoff.h"
#include "engine/MultiSDR.h"
#include "engine/ReceiverHardware.h"
#include "engine/SampleBlockMemory.h"
#include "engine/SampleContext.h"
#include "engine/SampleFifo.h"
#include "engine/SharedSamples.h"
#include "engine/ThreadPause.h"
#include "engine/VisuFifo.h"
#include "engine/audio/AudioOutput.h"
#include "engine/record/Mp3FileWriter.h"
#include "engine/record/SDRFileReader.h"
#include "engine/record/SDRFileWriter.h"

#include "core/AntennaSystem.h"
#include "core/GlobalRFData.h"
#include "core/QLogger.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kIdleSleepMs = 20;
constexpr int kPlaybackPollMs = 2;
constexpr int kMinBlocksPerFetch = 32;
constexpr int kMaxBlocksPerFetch = 512;
// About one block per this many samples per second: the fetches come at a roughly
// constant rate whatever the receiver's rate.
constexpr int kRatePerBlock = 16384;
constexpr int kFewestBlocksPerFetch = 3;
// Time without a refused block after which the memory an overload left is returned.
constexpr qint64 kQuietAfterOverloadMs = 2000;

} // namespace

int Controller::fullbandFftLengthFor(int rate)
{
    if (rate <= 256000)
        return 32768;
    if (rate <= 1000000)
        return 8192;
    if (rate < 2000000)
        return 32768;
    return 65536;
}

int Controller::blocksPerFetchFor(int rate)
{
    return std::min(kMaxBlocksPerFetch, rate / kRatePerBlock + kFewestBlocksPerFetch);
}

int Controller::reducedBlocksPerFetch(int blocks)
{
    // Never below 32, and never more than it was (a slow receiver may start below 32).
    return std::min(blocks, std::max(kMinBlocksPerFetch, int(blocks * 0.8)));
}

void Controller::setOwnState(int newState)
{
    int current = state.load();
    while (current != StopState && !state.compare_exchange_weak(current, newState)) {
    }
}

void Controller::run()
{
    hwCenter = hardware ? hardware->getRxCenterFreq() : 0;
    receptionRate = hardware ? hardware->getActualRxSampleRate() : 0;

    audioOutput->start(QThread::InheritPriority);
    multiSdr->start(QThread::InheritPriority);
    setPriority(QThread::HighestPriority);

    main_channelizer->setStageCallback(1, generate_fullband_display_fft);
    main_channelizer->setStageCallback(2, nullptr);
    beacon_channelizer->setStageCallback(1, nullptr);
    beacon_channelizer->setStageCallback(2, generate_smallband_display_fft);

    lastState = Idle;
    setOwnState(Idle);
    blocks_per_fetch = kMinBlocksPerFetch;

    int inHand = -1;
    for (;;) {
        const int current = state.load();
        if (current != inHand) {
            inHand = current;
            lastState = current;
        }
        switch (current) {
        case Idle:
            idlePass();
            break;
        case Receiving:
            receive();
            break;
        case Stopping:
            stopReception();
            break;
        case PlaybackStart:
            setOwnState(Playing);
            emit MSG_FileReaderStarts();
            break;
        case Playing:
            playback();
            break;
        case PlaybackEnd:
            endPlayback();
            break;
        default:
            break;
        }
        if (lastState.load() == StopState)
            break;
    }
}

void Controller::idlePass()
{
    if (hardware == nullptr) {
        QThread::msleep(kIdleSleepMs);
        return;
    }
    // A playback that runs takes the channels; the receiver is not prepared for it.
    if (rfReader->isPlaying()) {
        setOwnState(Playing);
        if (!channelOn[0] && !channelOn[1])
            turnChannelOn(0);
        emit MSG_FileReaderStarts();
        return;
    }
    if (channelOn[0] || channelOn[1]) {
        const int rate = hardware->getActualRxSampleRate();
        channelLocked[0] = false;
        channelLocked[1] = false;
        FULLBAND_FFT_LENGTH = fullbandFftLengthFor(rate);
        blocks_per_fetch = blocksPerFetchFor(rate);
        QLogger::logDebug(LogModule,
                          QStringLiteral("Controller::run() local_context[0].rx_samplerate=%1").arg(rate));
        QLogger::logDebug(LogModule,
                          QStringLiteral("Controller::run() blocks_per_fetch=%1").arg(blocks_per_fetch));
        QLogger::logDebug(
            LogModule,
            QStringLiteral("Controller::run() FULLBAND_FFT_LENGTH=%1").arg(FULLBAND_FFT_LENGTH.load()));
        // A playback at another rate may have re-rated the channels.
        setSampleRate(rate);
        if (hardware->prepareRXEngine() == 0) {
            QLogger::logDebug(LogModule, QStringLiteral("Controller::run() b->prepareRXEngine() failed"));
            setOwnState(Idle);
            turnChannelOff(1);
            turnChannelOff(0);
            return;
        }
        receptionRate = rate;
        setOwnState(Receiving);
        hwCenter = hardware->getRxCenterFreq();
        if (hardware->getType() == ReceiverHardware::Orvex_Remote)
            QLogger::logDebug(
                LogModule, QStringLiteral("Controller::run() getType() == ReceiverHardware::Orvex_Remote"));
        return;
    }
    QThread::msleep(kIdleSleepMs);
}

void Controller::moveCentre(qint64 centre)
{
    if (hwCenter.exchange(centre) == centre)
        return;
    for (int channel = 0; channel < ChannelCount; ++channel)
        emit MSG_ChannelizerIsRetuned(centre, float(getRxOffset(channel)), channel);
}

SampleContext* Controller::makeContext(int channel, bool live, qint64 centre, float rate)
{
    auto* ctx = static_cast<SampleContext*>(std::calloc(1, sizeof(SampleContext)));
    if (ctx == nullptr)
        return nullptr;
    GlobalRFData* rf = GlobalRFData::instance();
    Channelizer* channelChain = channelizer(channel);
    ctx->hw_center = centre;
    ctx->rx_samplerate = rate;
    ctx->rx_offset = float(getRxOffset(channel));
    ctx->ddc_outrate = float(channelChain->decimatedRate());
    ctx->channel_rate = float(channelChain->outputRate());
    ctx->rx_gain = rxGain.load();
    ctx->longitude = rf->longitude.load();
    ctx->latitude = rf->latitude.load();
    ctx->height = rf->altitude.load();
    ctx->antenna_bearing = AntennaSystem::instance()->getAzimuth();
    ctx->gps_day = uint8_t(rf->day.load());
    ctx->gps_month = uint8_t(rf->month.load());
    ctx->gps_year = uint8_t(rf->year.load() & 0xff);
    ctx->gps_hour = uint8_t(rf->hour.load());
    ctx->gps_minutes = uint8_t(rf->minute.load());
    ctx->gps_seconds = uint8_t(rf->second.load());
    ctx->hardware = hardware;
    ctx->live = live ? 1 : 0;
    ctx->fullband_visu_fifo = channel == 0 ? fullband_visu_fifo : nullptr;
    ctx->smallband_visu_fifo = channel == 1 ? smallband_visu_fifo : nullptr;
    return ctx;
}

void Controller::recordBlock(const void* block, int count, qint64 centre, float rate)
{
    SampleFifo* queue = rfWriter->fifo();
    if (!rfWriter->isWriting() || queue == nullptr)
        return;
    const size_t bytes = size_t(count) * 2 * sizeof(float);
    void* copy = std::malloc(bytes);
    SampleContext* ctx = makeContext(0, true, centre, rate);
    if (copy == nullptr || ctx == nullptr) {
        QLogger::logDebug(LogModule, QStringLiteral("Controller::run() no memory for the recorder's copy"));
        std::free(copy);
        std::free(ctx);
        return;
    }
    std::memcpy(copy, block, bytes);
    if (queue->enqueue(copy, count, 0, ctx) <= 0) {
        std::free(copy);
        std::free(ctx);
    }
}

void Controller::reduceFetchSize(const char* what)
{
    memoryToReturn = true;
    sinceRefusal.start();
    QLogger::logDebug(LogModule,
                      QStringLiteral("%1%2").arg(QLatin1String(what)).arg(blocks_per_fetch.load()));
    blocks_per_fetch = reducedBlocksPerFetch(blocks_per_fetch.load());
    QLogger::logDebug(LogModule,
                      QStringLiteral("reducing blocks_per_fetch to =%1").arg(blocks_per_fetch.load()));
}

bool Controller::routeBlock(void* block, int count, bool live, qint64 centre, float rate)
{
    const bool onA = channelOn[0];
    const bool onB = channelOn[1];
    if (!onA && !onB) {
        std::free(block);
        return false;
    }
    if (onA && onB) {
        // Both channels read the one block; RX A is skipped when RX B refused it.
        SharedSamples* forA = SharedSamples::adopt(block, count);
        if (forA == nullptr) {
            std::free(block);
            QLogger::logDebug(LogModule, QStringLiteral("Controller::run() no memory for the block"));
            return true;
        }
        SharedSamples* forB = forA->share(0, count);
        SampleContext* ctxB = forB ? makeContext(1, live, centre, rate) : nullptr;
        bool refusedB = false;
        if (forB == nullptr || ctxB == nullptr) {
            QLogger::logDebug(LogModule, QStringLiteral("Controller::run() no memory for RX B's share"));
            SharedSamples::release(forB);
        } else {
            refusedB = beacon_channelizer->EnqueueShared(forB, ctxB) <= 0;
        }
        if (refusedB) {
            SharedSamples::release(forA);
            reduceFetchSize("RXA RXB->EnqueueData, blocks_per_fetch=");
            return true;
        }
        if (main_channelizer->EnqueueShared(forA, makeContext(0, live, centre, rate)) <= 0)
            reduceFetchSize("RXA RXB->EnqueueData, blocks_per_fetch=");
        return true;
    }
    if (onA) {
        if (main_channelizer->EnqueueData(block, makeContext(0, live, centre, rate), count) <= 0)
            reduceFetchSize("main_channelizer->EnqueueData QS, blocks_per_fetch=");
        return true;
    }
    if (beacon_channelizer->EnqueueData(block, makeContext(1, live, centre, rate), count) <= 0)
        reduceFetchSize("beacon_channelizer->EnqueueData QS, blocks_per_fetch=");
    return true;
}

void Controller::reportPowerLevels()
{
    if (channelOn[0]) {
        const float level = main_channelizer->powerLevel();
        emit MSG_UpdatePowerLevelMain(level);
        multiSdr->setRFLevel(level, 0);
    }
    if (channelOn[1]) {
        const float level = beacon_channelizer->powerLevel();
        emit MSG_UpdatePowerLevelSub(level);
        multiSdr->setRFLevel(level, 1);
    }
}

void Controller::receive()
{
    main_channelizer->flush(0);
    beacon_channelizer->flush(0);
    const float rate = float(receptionRate.load());
    FetchBackoff backoff;
    while (state.load() == Receiving) {
        int count = 0;
        void* block = hardware->getRXSamples(blocks_per_fetch.load(), &count);
        if (block == nullptr || count <= 0) {
            std::free(block);
            serveEventsAndSleep(backoff.nextPauseMs());
            continue;
        }
        backoff.reset();
        const qint64 centre = hwCenter.load();
        recordBlock(block, count, centre, rate);
        if (!routeBlock(block, count, true, centre, rate)) {
            setOwnState(Stopping);
            break;
        }
        reportPowerLevels();
        returnMemoryAfterOverload();
    }
    hardware->finalizeRXEngine();
}

void Controller::returnMemoryAfterOverload()
{
    // An overload is over once the channels refused nothing for a while and worked
    // their queues down: the blocks the queues held are free then.
    if (!memoryToReturn || sinceRefusal.elapsed() < kQuietAfterOverloadMs ||
        main_channelizer->inputQueueSize() > 1 || beacon_channelizer->inputQueueSize() > 1)
        return;
    memoryToReturn = false;
    SampleBlockMemory::returnFreedMemory();
}

void Controller::stopReception()
{
    setOwnState(Idle);
    mp3Writer->stopRecording();
    if (rfWriter->isWriting()) {
        rfWriter->stopWriting();
        emit MSG_FileWriterStops();
    }
}

void Controller::waitForChannelQueues(int limit, bool bothQueues)
{
    auto waiting = [&] {
        return main_channelizer->inputQueueSize() + (bothQueues ? beacon_channelizer->inputQueueSize() : 0);
    };
    while (waiting() > limit && state.load() == Playing)
        serveEventsAndSleep(kPlaybackPollMs);
}

void Controller::playback()
{
    centreFromRecording = true;
    while (state.load() == Playing) {
        if (rfReader->stopRequested() || !rfReader->isPlaybackRunning()) {
            letChannelsTakeTheirBlocks();
            setOwnState(PlaybackEnd);
            return;
        }
        if (main_channelizer->inputQueueSize() + beacon_channelizer->inputQueueSize() > 5) {
            serveEventsAndSleep(kPlaybackPollMs);
            continue;
        }
        int count = 0;
        SampleContext* recorded = nullptr;
        void* block = rfReader->fifo()->dequeue(&count, 0, &recorded, true);
        if (block == nullptr || count <= 0) {
            std::free(block);
            std::free(recorded);
            serveEventsAndSleep(kPlaybackPollMs);
            continue;
        }
        qint64 centre = hwCenter.load();
        float rate = float(rxSampleRate.load());
        if (recorded != nullptr) {
            centre = recorded->hw_center;
            rate = recorded->rx_samplerate;
            std::free(recorded);
        }
        moveCentre(centre);
        // The channels work at the recording's rate while it plays.
        setSampleRate(int(rate));
        if (channelOn[0] && !channelOn[1])
            waitForChannelQueues(4, false);
        if (!routeBlock(block, count, false, centre, rate)) {
            rfReader->stopPlaying();
            setOwnState(PlaybackEnd);
            return;
        }
    }
}

void Controller::letChannelsTakeTheirBlocks()
{
    // At the end of the file the channels that are on take the blocks already
    // handed to them before they are switched off, so the whole recording is
    // heard. A stop, or channels that take nothing for a while, end the wait.
    auto waiting = [this] {
        return (channelOn[0] ? main_channelizer->inputQueueSize() : 0) +
               (channelOn[1] ? beacon_channelizer->inputQueueSize() : 0);
    };
    QElapsedTimer sinceTaken;
    sinceTaken.start();
    int left = waiting();
    while (left > 0 && state.load() == Playing && !rfReader->stopRequested() &&
           sinceTaken.elapsed() < SDRFileReader::DrainTimeoutMs) {
        serveEventsAndSleep(kPlaybackPollMs);
        const int now = waiting();
        if (now < left)
            sinceTaken.restart();
        left = now;
    }
}

void Controller::endPlayback()
{
    // The displays, and the board file written as the channels go off, come
    // back to the receiver's own centre.
    if (hardware != nullptr)
        moveCentre(hardware->getRxCenterFreq());
    centreFromRecording = false;
    for (int channel = 0; channel < ChannelCount; ++channel) {
        if (channelOn[channel])
            turnChannelOff(channel);
    }
    if (rfReader->isPlaying()) {
        QThread::msleep(kPlaybackPollMs);
        rfReader->stopPlaying();
    }
    setOwnState(Idle);
    emit MSG_FileReaderStops();
}
