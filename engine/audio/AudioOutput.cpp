#include "engine/audio/AudioOutput.h"

#include "core/QLogger.h"
#include "core/ThreadStop.h"
#include "engine/SampleFifo.h"
#include "engine/audio/Equalizer.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <algorithm>
#include <complex>
#include <cstdlib>
#include <vector>

namespace {
// A device that accepts nothing for this long is taken as stopped.
constexpr int kStallMs = 500;
// The longest wait for an audio block: requestStop ends it at once, so it only bounds how
// long the thread's own events wait while no audio comes.
constexpr int kQueueWaitMs = 100;
// The least time between two openings of the device to grow its buffer.
constexpr qint64 kReopenAfterMs = 500;
} // namespace

AudioOutput::AudioOutput(const QString& deviceName, SampleFifo* audioQueue, QObject* parent)
    : QThread(parent), m_audioQueue(audioQueue)
{
    m_format.setSampleRate(kSampleRate);
    m_format.setChannelCount(2);
    m_format.setSampleSize(16);
    m_format.setCodec(QStringLiteral("audio/pcm"));
    m_format.setByteOrder(QAudioFormat::LittleEndian);
    m_format.setSampleType(QAudioFormat::SignedInt);
    // The equalizer lives in the thread that builds the audio output (the GUI
    // thread), so that its queued gain changes are delivered there.
    Equalizer::instance();
    chooseDevice(deviceName);
}

AudioOutput::~AudioOutput()
{
    stop();
}

void AudioOutput::requestStop()
{
    m_stopRequested = true;
    m_audioQueue->wakeConsumer();
}

bool AudioOutput::stop(unsigned long boundMs)
{
    return endThreadWithin(
        this, boundMs,
        QStringLiteral("AudioOutput::stop() the audio output thread did not end within %1 ms").arg(boundMs),
        [this] { requestStop(); });
}

void AudioOutput::chooseDevice(const QString& requestedName)
{
    // Without a name the system's default output is taken when it can play the
    // format: Qt lists the sound server's default after a row of ALSA plug-in
    // devices, so "the first in the list" would bypass the server's own routing.
    QList<QAudioDeviceInfo> devices = QAudioDeviceInfo::availableDevices(QAudio::AudioOutput);
    if (requestedName.isEmpty()) {
        const QAudioDeviceInfo preferred = QAudioDeviceInfo::defaultOutputDevice();
        if (!preferred.isNull())
            devices.prepend(preferred);
    }
    for (const QAudioDeviceInfo& device : devices) {
        QLogger::logTrace(LogModule,
                          QStringLiteral("AudioOutput() Testing device name:") + device.deviceName());
        const bool nameMatches = requestedName.isEmpty() || device.deviceName().contains(requestedName);
        if (nameMatches && device.isFormatSupported(m_format)) {
            m_device = device;
            QLogger::logTrace(LogModule, QStringLiteral("AudioOutput() using name:") + device.deviceName());
            return;
        }
    }
}

void AudioOutput::reportNoDevice(const QString& why)
{
    if (m_noDeviceReported)
        return;
    m_noDeviceReported = true;
    const QString line = QStringLiteral("AudioOutput::run() %1, audio is discarded").arg(why);
    qDebug().noquote() << line;
    QLogger::logWarning(LogModule, line);
}

bool AudioOutput::writeAll(QIODevice* sink, const char* data, qint64 size)
{
    const qint64 bytesPerMs = std::max<qint64>(1, m_format.bytesForDuration(1000));
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    while (size > 0 && !m_stopRequested) {
        const qint64 written = sink->write(data, size);
        if (written < 0)
            return false;
        if (written > 0) {
            data += written;
            size -= written;
            sinceProgress.restart();
            continue;
        }
        const QAudio::State state = m_output->state();
        if ((state != QAudio::ActiveState && state != QAudio::IdleState) ||
            sinceProgress.elapsed() > kStallMs)
            return false;
        // Sleep until the device has room for the rest of the block: one wake-up for it
        // rather than one every fraction of a millisecond. At most a third of the buffer,
        // so that a busy machine that wakes us late still finds audio in the device.
        const qint64 ms = (size - m_output->bytesFree()) / bytesPerMs;
        const qint64 longest = std::max(1, m_deviceBufferMs.load() / 3);
        QThread::msleep(static_cast<unsigned long>(std::clamp<qint64>(ms, 1, longest)));
    }
    return true;
}

bool AudioOutput::play(QIODevice* sink, const char* data, qint64 size)
{
    if (m_stalled) {
        // Never wait on a device that stopped: try again once it has room for a block.
        if (m_output->bytesFree() < size)
            return false;
        m_stalled = false;
        m_noDeviceReported = false;
        QLogger::logWarning(LogModule, QStringLiteral("AudioOutput::run() the sound output plays again"));
    }
    if (writeAll(sink, data, size))
        return true;
    if (!m_stopRequested) {
        m_stalled = true;
        reportNoDevice(QStringLiteral("the sound output accepts no more data"));
    }
    return false;
}

void AudioOutput::openDevice(int bufferMs)
{
    closeDevice();
    m_output = new QAudioOutput(m_device, m_format);
    m_output->setBufferSize(m_format.bytesForDuration(qint64(bufferMs) * 1000));
    m_sink = m_output->start();
    m_deviceBufferMs = bufferMs;
    m_sinceOpen.start();
    m_playedSinceOpen = false;
    QLogger::logTrace(LogModule, QStringLiteral("AudioOutput() periodSize:%1").arg(m_output->periodSize()));
    qDebug() << " periodSize=" << m_output->periodSize();
    if (!m_sink)
        reportNoDevice(QStringLiteral("no sound output device could be opened"));
}

void AudioOutput::closeDevice()
{
    if (m_output == nullptr)
        return;
    m_output->stop();
    delete m_output;
    m_output = nullptr;
    m_sink = nullptr;
}

bool AudioOutput::ranDry() const
{
    // Qt says so, or the device holds nothing more to play although it has played.
    if (m_output->state() == QAudio::IdleState && m_output->error() == QAudio::UnderrunError)
        return true;
    return m_playedSinceOpen && m_output->bytesFree() >= m_output->bufferSize();
}

bool AudioOutput::prepareDevice(int count, qint64 gapMs)
{
    if (m_device.isNull())
        return false;
    if (count != m_blockLength) {
        m_blockLength = count;
        m_buffering = std::make_unique<PlaybackBuffering>(int(qint64(count) * 1000 / kSampleRate));
        if (m_output == nullptr || m_buffering->bufferMs() != m_deviceBufferMs.load())
            openDevice(m_buffering->bufferMs());
    } else if (m_output != nullptr && !m_stalled && ranDry()) {
        // Opened again while it is dry anyway, but not after every underrun: opening
        // takes time, and a run of underruns grows the buffer by all their steps at once.
        m_buffering->underrun(gapMs);
        if (m_buffering->bufferMs() != m_deviceBufferMs.load() && m_sinceOpen.elapsed() >= kReopenAfterMs) {
            QLogger::logDebug(LogModule, QStringLiteral("AudioOutput::run() the sound output ran dry, its "
                                                        "buffer grows to %1 ms")
                                             .arg(m_buffering->bufferMs()));
            openDevice(m_buffering->bufferMs());
        }
    }
    if (m_sink == nullptr)
        return false;
    const QAudio::State state = m_output->state();
    return state == QAudio::ActiveState || state == QAudio::IdleState;
}

void AudioOutput::run()
{
    Equalizer* equalizer = Equalizer::instance();
    setPriority(QThread::HighestPriority);
    m_noDeviceReported = false;
    if (m_device.isNull())
        reportNoDevice(QStringLiteral("no sound output device could be opened"));

    std::vector<int16_t> frames;
    QElapsedTimer clock;
    clock.start();
    qint64 lastBlockMs = 0;
    while (!m_stopRequested) {
        int count = 0;
        auto* block = static_cast<Complex*>(m_audioQueue->dequeue(&count, 0, nullptr, true, kQueueWaitMs));
        if (!block || count <= 0) {
            std::free(block);
            QCoreApplication::processEvents();
            continue;
        }
        const qint64 now = clock.elapsed();
        const qint64 gap = now - lastBlockMs;
        lastBlockMs = now;
        const bool deviceUsable = !noChannel && prepareDevice(count, gap);
        if (noChannel || !deviceUsable) {
            if (!noChannel && !m_device.isNull())
                reportNoDevice(QStringLiteral("the sound output stopped (state %1, error %2)")
                                   .arg(m_output ? int(m_output->state()) : int(QAudio::StoppedState))
                                   .arg(m_output ? int(m_output->error()) : -1));
            std::free(block);
            ++m_blocksDiscarded;
            continue;
        }
        equalizer->process(block, count);
        frames.resize(2 * static_cast<size_t>(count));
        m_mixdown.process(block, count, frames.data());
        std::free(block);
        if (play(m_sink, reinterpret_cast<const char*>(frames.data()),
                 m_format.bytesPerFrame() * qint64(count))) {
            ++m_blocksPlayed;
            m_playedSinceOpen = true;
        } else if (!m_stopRequested)
            ++m_blocksDiscarded;
    }
    closeDevice();
}
