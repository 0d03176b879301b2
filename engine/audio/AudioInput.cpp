#include "engine/audio/AudioInput.h"

#include "engine/SampleFifo.h"

#include <QAudioInput>
#include <QCoreApplication>
#include <QDebug>
#include <cstdlib>
#include <vector>

AudioInput::AudioInput(const QString& deviceName, unsigned sampleRate, QObject* parent)
    : QThread(parent), m_sampleRate(static_cast<int>(sampleRate)), m_fifo(new SampleFifo(this))
{
    m_format.setSampleRate(m_sampleRate);
    m_format.setChannelCount(2);
    m_format.setSampleSize(16);
    m_format.setCodec(QStringLiteral("audio/pcm"));
    m_format.setByteOrder(QAudioFormat::LittleEndian);
    m_format.setSampleType(QAudioFormat::SignedInt);

    for (const QAudioDeviceInfo& device : QAudioDeviceInfo::availableDevices(QAudio::AudioInput)) {
        if (!device.deviceName().contains(deviceName, Qt::CaseSensitive))
            continue;
        qDebug().noquote() << "Device name: " << device.deviceName();
        if (device.isFormatSupported(m_format)) {
            m_device = device;
            break;
        }
    }
    if (m_device.isNull()) {
        const QAudioDeviceInfo fallback = QAudioDeviceInfo::defaultInputDevice();
        if (!fallback.isNull() && fallback.isFormatSupported(m_format))
            m_device = fallback;
    }
    if (m_device.isNull()) {
        m_sampleRate = 0;
        qDebug() << "Audio format not supported by backend, cannot record audio.";
        return;
    }
    qDebug().noquote() << "using " << m_device.deviceName();
}

AudioInput::~AudioInput()
{
    requestStop();
    wait();
}

void AudioInput::setIQCorrectionFactors(float gainI, float gainQ, float crossTerm)
{
    m_decoder.setFactors(gainI, gainQ, crossTerm);
}

void AudioInput::getIQCorrectionFactors(float* gainI, float* gainQ, float* crossTerm) const
{
    m_decoder.getFactors(gainI, gainQ, crossTerm);
}

void AudioInput::run()
{
    if (m_device.isNull())
        return;
    QAudioInput input(m_device, m_format);
    input.setBufferSize(kBufferBytes);
    QIODevice* source = input.start();
    if (!source) {
        qDebug() << "AudioInput::run() the input could not be started";
        return;
    }
    std::vector<char> buffer(kReadBytes);
    while (!m_stopRequested) {
        const qint64 got = source->read(buffer.data(), kReadBytes);
        if (got <= 0) {
            // Nothing yet: let the input's own events run instead of spinning.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
            QThread::msleep(2);
            continue;
        }
        const int frames = m_decoder.framesIn(static_cast<int>(got));
        if (frames == 0) {
            m_decoder.decode(buffer.data(), static_cast<int>(got), nullptr);
            continue;
        }
        auto* block = static_cast<Complex*>(std::malloc(sizeof(Complex) * frames));
        if (!block)
            continue;
        const int count = m_decoder.decode(buffer.data(), static_cast<int>(got), block);
        if (m_fifo->enqueue(block, count, 0, nullptr) <= 0) {
            qDebug() << " AudioInput::run() queue size !!!!";
            std::free(block);
        }
    }
    input.stop();
}
