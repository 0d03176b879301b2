#include "hardware/RemoteReceiverHardware.h"

#include "core/AntennaSystem.h"
#include "engine/SampleFifo.h"
#include "map/geo/GeoTools.h"
#include "srvlib/RemoteStream.h"
#include "srvlib/SrvRegistry.h"
#include "srvlib/SrvServer.h"
#include "srvlib/SrvSource.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QThread>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

using Sample = std::complex<float>;

int streamCallBackStub(int count, Sample* samples, remote_rf_context*, void* user)
{
    static_cast<RemoteReceiverHardware*>(user)->streamCallBack(samples, count);
    return 1;
}

int rfContextCallBackStub(remote_rf_context* context, void* user)
{
    if (context == nullptr)
        return 0;
    if (user != nullptr)
        static_cast<RemoteReceiverHardware*>(user)->rfContextCallBack(context);
    return 1;
}

// A rate from the wire as a whole number of hertz; 0 (rate unknown) when it
// is not a usable number.
int truncatedRate(float rate)
{
    return std::isfinite(rate) && rate >= 0.0f && rate < float(INT_MAX) ? int(rate) : 0;
}

bool isPlausiblePosition(float longitude, float latitude)
{
    return std::isfinite(longitude) && std::isfinite(latitude) && std::fabs(longitude) <= 180.0f &&
           std::fabs(latitude) <= 90.0f;
}

// Copies text into a buffer of size bytes, cut at a character boundary.
void copyName(char* buffer, size_t size, const QByteArray& text)
{
    size_t length = std::min(size_t(text.size()), size - 1);
    while (length > 0 && length < size_t(text.size()) && (uchar(text[int(length)]) & 0xC0) == 0x80)
        --length;
    std::memcpy(buffer, text.constData(), length);
    buffer[length] = '\0';
}

} // namespace

RemoteReceiverHardware::RemoteReceiverHardware(RemoteStream* stream, QObject* parent)
    : QObject(parent), m_stream(stream)
{
    init();
}

RemoteReceiverHardware::RemoteReceiverHardware(SrvHttpClient* client, const QString& key, QObject* parent)
    : QObject(parent), m_client(client), m_stream(findStream(key.toStdString()))
{
    init();
}

void RemoteReceiverHardware::init()
{
    type = Orvex_Remote;
    m_queue = std::make_unique<SampleFifo>();
    if (m_stream == nullptr)
        return;
    m_server = m_stream->server();
    if (m_client == nullptr && m_server != nullptr)
        m_client = m_server->client();
    m_key = m_stream->uid();
    m_source = findSource(m_stream->source());
    if (m_source == nullptr)
        return;
    copyName(m_name, sizeof m_name, QString::fromStdString(m_source->name()).toLocal8Bit());
    sr_capabilities = std::make_unique<SampleRateTable>();
    sr_capabilities->rates = {m_stream->sampleRate()};
    m_filterBandwidth = m_stream->sampleRate();
}

RemoteReceiverHardware::~RemoteReceiverHardware()
{
    detachSessionHandler();
    // No event processing here: nothing may reach a receiver being destroyed.
    if (!stopStream(false))
        qWarning() << "RemoteReceiverHardware::~RemoteReceiverHardware stream thread still running"
                   << QString::fromStdString(m_key);
}

template <class Cond> bool RemoteReceiverHardware::waitFor(Cond cond, int ms, bool processEvents)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.hasExpired(ms))
            return false;
        if (processEvents)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(10);
    }
    return true;
}

bool RemoteReceiverHardware::streamThreadActive() const
{
    if (!m_started.load() || m_stream == nullptr)
        return false;
    const int state = m_stream->currentState();
    if (state == RemoteStream::Starting || state == RemoteStream::Receiving ||
        state == RemoteStream::Returned)
        return true;
    // Started but its thread has not run yet.
    return state == RemoteStream::Reset && m_stream->wantedState() != RemoteStream::Reset;
}

bool RemoteReceiverHardware::stopStream(bool processEvents)
{
    if (streamThreadActive()) {
        m_stream->stop();
        if (!waitFor([this] { return !streamThreadActive(); }, StopTimeoutMs, processEvents))
            return false;
    }
    // Also a run that ended on its own (a server that could not be reached or
    // ended the transfer) leaves a thread to join: at once, it has ended.
    if (m_started.load())
        m_stream->join();
    m_started = false;
    return true;
}

void RemoteReceiverHardware::setSessionHandler(VantorCBHandler* handler)
{
    if (m_server == nullptr)
        return;
    if (handler == nullptr) {
        detachSessionHandler();
        return;
    }
    m_server->setHandler(handler);
    m_handlerSet = true;
}

void RemoteReceiverHardware::detachSessionHandler()
{
    if (!m_handlerSet || m_server == nullptr)
        return;
    m_handlerSet = false;
    // The handler is cleared first, and only while the stream runs: a cleared
    // handler on an ended stream would start a new one (should it end in
    // between, the new one has no handler and is stopped below all the same).
    // Once the stream is seen ended, no further call can come.
    if (m_server->isSessionStreamRunning())
        m_server->setHandler(nullptr);
    m_server->markClosing();
    if (waitFor([this] { return !m_server->isSessionStreamRunning(); }, StopTimeoutMs, false))
        m_server->stopSessionStream(); // it has ended: at once
    else
        qWarning() << "RemoteReceiverHardware: session stream still running";
}

int RemoteReceiverHardware::getBoardCount()
{
    return m_stream != nullptr ? 1 : 0;
}

int RemoteReceiverHardware::doCalibrate()
{
    return 1;
}

const char* RemoteReceiverHardware::getHardwareName()
{
    return m_name;
}

int RemoteReceiverHardware::prepareRXEngine()
{
    if (m_stream == nullptr)
        return 0;
    if (m_stream->sampleRate() <= 0) {
        qDebug() << "RemoteReceiverHardware::prepareRXEngine refused, stream rate" << m_stream->sampleRate();
        return 0;
    }
    m_queue->flush();
    m_watermark = StartWatermark;
    m_dataArrived = false;
    if (!m_stream->start(streamCallBackStub, this, rfContextCallBackStub, this))
        return 0;
    m_started = true;
    // The stream thread reports "receiving" before it has even connected: only
    // data shows that the server delivers. A thread that ended without any
    // (server unreachable or refusing) is a failed start.
    waitFor([this] { return m_dataArrived.load() || m_stream->currentState() >= RemoteStream::Returned; },
            StartTimeoutMs, true);
    if (m_dataArrived.load())
        return 1;
    qDebug() << "RemoteReceiverHardware::prepareRXEngine no data from" << QString::fromStdString(m_key);
    stopStream(true);
    return 0;
}

int RemoteReceiverHardware::finalizeRXEngine()
{
    stopStream(true);
    return 0;
}

int RemoteReceiverHardware::setRxSampleRate(int)
{
    return 0;
}

int RemoteReceiverHardware::setRxHWFilterBW(int hertz)
{
    m_filterBandwidth = hertz;
    return hertz;
}

int RemoteReceiverHardware::getActualRxSampleRate()
{
    return m_stream != nullptr ? m_stream->sampleRate() : 0;
}

int RemoteReceiverHardware::setRxCenterFreq(qint64 frequency)
{
    if (m_stream == nullptr) {
        qDebug() << "RemoteReceiverHardware::setRxCenterFreq mstream is null ?";
        return 0;
    }
    std::lock_guard<std::mutex> guard(m_tuneLock);
    if (m_stream->tuneRequest(frequency))
        return 1;
    qDebug() << "RemoteReceiverHardware::setRxCenterFreq refused";
    return 0;
}

qint64 RemoteReceiverHardware::getRxCenterFreq()
{
    if (m_stream == nullptr)
        return 0;
    std::lock_guard<std::mutex> guard(m_tuneLock);
    return m_stream->center();
}

qint64 RemoteReceiverHardware::getMin_HWRx_CenterFreq()
{
    return m_stream != nullptr ? m_stream->fmin() : 0;
}

qint64 RemoteReceiverHardware::getMax_HWRx_CenterFreq()
{
    return m_stream != nullptr ? m_stream->fmax() : 0;
}

int RemoteReceiverHardware::setRxGain(float gain, int stage)
{
    return m_source != nullptr && m_source->setGain(gain, stage) ? 1 : 0;
}

float RemoteReceiverHardware::getRxGainValue(int stage)
{
    return m_source != nullptr ? float(m_source->getGainValue(stage)) : 0.0f;
}

int RemoteReceiverHardware::getRxGainStageCount()
{
    return m_source != nullptr ? m_source->getGainStageCount() : 0;
}

QString RemoteReceiverHardware::getRxGainStageName(int stage)
{
    return m_source != nullptr ? QString::fromStdString(m_source->getGainStageName(stage))
                               : QStringLiteral("?");
}

QString RemoteReceiverHardware::getRxGainStageUnitName(int stage)
{
    return m_source != nullptr ? QString::fromStdString(m_source->getGainStageUnitName(stage))
                               : QStringLiteral("?");
}

int RemoteReceiverHardware::getRxGainStageType(int)
{
    return 0;
}

float RemoteReceiverHardware::getMinGainValue(int stage)
{
    return m_source != nullptr ? float(m_source->getMinGainValue(stage)) : 0.0f;
}

float RemoteReceiverHardware::getMaxGainValue(int stage)
{
    return m_source != nullptr ? float(m_source->getMaxGainValue(stage)) : 0.0f;
}

int RemoteReceiverHardware::getGainDiscreteValuesCount(int)
{
    return 0;
}

float RemoteReceiverHardware::getGainDiscreteValue(int, int)
{
    return 0.0f;
}

int RemoteReceiverHardware::setAutoGainMode()
{
    return 0;
}

int RemoteReceiverHardware::getActualRxHWFilter()
{
    return m_filterBandwidth;
}

void* RemoteReceiverHardware::getRXSamples(int blocks, int* count)
{
    if (count != nullptr)
        *count = 0;
    if (blocks <= 0 || count == nullptr)
        return nullptr;
    const size_t wanted = size_t(blocks) * BlockSamples;
    size_t capacity = wanted;
    auto* buffer = static_cast<Sample*>(std::malloc(capacity * sizeof(Sample)));
    if (buffer == nullptr)
        return nullptr;

    // After a start, wait once for the queue to fill; from then on the
    // watermark only falls, so a fetch never waits for it again.
    while (m_queue->size() < m_watermark) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QThread::msleep(5);
        m_watermark = m_queue->size();
    }

    size_t gathered = 0;
    QElapsedTimer idle;
    idle.start();
    while (gathered < wanted) {
        int blockCount = 0;
        auto* block = static_cast<Sample*>(m_queue->dequeue(&blockCount, 0, nullptr, true));
        if (block == nullptr) {
            // Nothing more will come from an ended stream; a silent one is
            // given up after a while so that the engine thread stays responsive.
            if ((!streamThreadActive() && m_queue->size() == 0) || idle.hasExpired(FetchTimeoutMs))
                break;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            continue;
        }
        idle.restart();
        if (blockCount > 0 && gathered + size_t(blockCount) > capacity) {
            capacity = gathered + size_t(blockCount);
            auto* grown = static_cast<Sample*>(std::realloc(buffer, capacity * sizeof(Sample)));
            if (grown == nullptr) {
                std::free(block);
                break;
            }
            buffer = grown;
        }
        if (blockCount > 0) {
            std::memcpy(buffer + gathered, block, size_t(blockCount) * sizeof(Sample));
            gathered += size_t(blockCount);
        }
        std::free(block);
    }
    if (gathered == 0) {
        std::free(buffer);
        return nullptr;
    }
    *count = int(gathered);
    return buffer;
}

void RemoteReceiverHardware::dc_remove() {}

void RemoteReceiverHardware::setIQCorrectionFactors(float, float, float) {}

void RemoteReceiverHardware::getIQCorrectionFactors(float*, float*, float*) {}

void RemoteReceiverHardware::setppmError(double) {}

double RemoteReceiverHardware::getppmError()
{
    return 0.0;
}

int RemoteReceiverHardware::queuedBlocks() const
{
    return m_queue->size();
}

void RemoteReceiverHardware::streamCallBack(Sample* samples, int count)
{
    m_dataArrived = true;
    if (samples == nullptr)
        return;
    if (count <= 0 || m_queue->enqueue(samples, count, 0, nullptr) <= 0) {
        qDebug() << "RemoteReceiverHW streamCallBack() qs < 0";
        std::free(samples);
    }
}

void RemoteReceiverHardware::rfContextCallBack(const remote_rf_context* context)
{
    m_dataArrived = true;
    GeoTools& geo = GeoTools::instance();
    AntennaSystem* antenna = AntennaSystem::instance();
    const Position station = geo.getStationPosition();
    const qint64 centre = context->rx_center;
    const int rate = truncatedRate(context->rate);
    const bool positionValid = isPlausiblePosition(context->longitude, context->latitude);
    const bool azimuthValid = std::isfinite(context->azimuth);

    if (!m_lastContext) {
        m_lastContext = std::make_unique<remote_rf_context>(*context);
        if (m_stream != nullptr)
            m_stream->setCenter(centre);
        emit RemoteWasRetuned(centre, rate);
        if (positionValid)
            geo.setStationLocation(context->longitude, context->latitude);
        if (azimuthValid)
            antenna->setAzimuth(context->azimuth);
        return;
    }
    if (context->marker == m_lastContext->marker)
        return;
    if (centre != m_lastContext->rx_center) {
        emit RemoteWasRetuned(centre, rate);
        if (m_stream != nullptr)
            m_stream->setCenter(centre);
    }
    const double dLat = station.latitude() - double(context->latitude);
    const double dLon = station.longitude() - double(context->longitude);
    if (positionValid && std::sqrt(dLat * dLat + dLon * dLon) > 0.01)
        geo.setStationLocation(context->longitude, context->latitude);
    if (azimuthValid && std::fabs(antenna->getAzimuth() - context->azimuth) > 1.0f)
        antenna->setAzimuth(context->azimuth);
    *m_lastContext = *context;
}

void RemoteReceiverHardware::remoteRetuned(qlonglong frequency, int samplerate)
{
    qDebug() << "RemoteReceiverHardware::remoteRetuned()" << frequency;
    emit RemoteWasRetuned(frequency, samplerate);
}
