#pragma once

#include "engine/audio/IqFrameDecoder.h"

#include <QAudioDeviceInfo>
#include <QAudioFormat>
#include <QString>
#include <QThread>
#include <atomic>

class SampleFifo;

// Reads a stereo sound-card input as complex baseband samples (left = I, right = Q),
// corrects gain and phase, and queues the samples in blocks in its own queue for a
// consumer that takes them as receiver samples. The device is chosen when the object
// is built; the Qt audio input is created and read on this thread.
class AudioInput : public QThread
{
    Q_OBJECT
public:
    // The first input whose name contains deviceName (case-sensitive) and supports
    // the format, else the default input when it does; with neither, sampleRate()
    // is 0 and run returns at once.
    AudioInput(const QString& deviceName, unsigned sampleRate, QObject* parent = nullptr);
    // Stops the thread and waits for it.
    ~AudioInput() override;

    void setIQCorrectionFactors(float gainI, float gainQ, float crossTerm);
    void getIQCorrectionFactors(float* gainI, float* gainQ, float* crossTerm) const;
    // Queues the DC-blocked samples instead of the corrected ones (off by default).
    void setDcBlocking(bool on) { m_decoder.setDcBlocking(on); }

    // Blocks of complex samples without context; the consumer frees them.
    SampleFifo* fifo() const { return m_fifo; }
    int sampleRate() const { return m_sampleRate; }
    QString deviceName() const { return m_device.isNull() ? QString() : m_device.deviceName(); }
    void requestStop() { m_stopRequested = true; }

    static constexpr int kBufferBytes = 4096;
    static constexpr int kReadBytes = 16384;

protected:
    void run() override;

private:
    std::atomic<bool> m_stopRequested{false};
    int m_sampleRate;
    SampleFifo* m_fifo;
    QAudioFormat m_format;
    QAudioDeviceInfo m_device;
    IqFrameDecoder m_decoder;
};
