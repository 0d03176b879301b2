#pragma once

#include "engine/record/StopSignal.h"

#include <QMutex>
#include <QString>
#include <QThread>

#include <atomic>

class SampleFifo;

// Records the demodulated audio as an MP3 file ("./record/RX_<MHz>_<stamp>.mp3"):
// 48000 frames/s stereo as the mixing thread queues it (blocks of interleaved
// float pairs, full scale +-1.0, without context), encoded by LAME at a
// constant 128 kbit/s with ID3 tags. The file is created at the first encoded
// bytes. The elapsed time goes to the "counter" plug-in.
class Mp3FileWriter : public QThread
{
    Q_OBJECT
public:
    static constexpr int SampleRate = 48000;
    static constexpr int BitRateKbps = 128;
    // LAME's output rule (1.25 x frames + 7200 bytes) for blocks of up to 4096
    // frames; longer blocks are encoded in pieces of this many frames.
    static constexpr int MaxFramesPerCall = 4096;
    static constexpr int OutputBufferBytes = 12320;

    explicit Mp3FileWriter(QObject* parent = nullptr);
    // Stops a recording that still runs and waits for the thread.
    ~Mp3FileWriter() override;

    SampleFifo* fifo() const { return m_fifo; }

    // Starts a recording named after frequencyHz (RX A's frequency); does
    // nothing while one runs.
    bool startRecording(qint64 frequencyHz);
    void stopRecording();
    bool isRecording() const { return m_running.load(); }
    qint64 frequency() const { return m_frequency.load(); }
    // Path of the file being (or last) written; empty until the first file.
    QString fileName() const;

protected:
    void run() override;

private:
    void setFileName(const QString& name);

    SampleFifo* m_fifo;
    StopSignal m_stop;
    std::atomic<bool> m_running{false};
    std::atomic<qint64> m_frequency{0};
    mutable QMutex m_nameLock;
    QString m_fileName;
};
