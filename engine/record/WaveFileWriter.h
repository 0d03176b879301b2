#pragma once

#include "engine/record/StopSignal.h"

#include <QMutex>
#include <QString>
#include <QThread>

#include <atomic>

class SampleFifo;

// The uncompressed counterpart of the MP3 recorder: the same stereo blocks
// (interleaved float pairs at 48000 frames/s, without context) stored as a
// 32-bit float WAV file "./record/RX_<MHz>_<stamp>.wav" through libsndfile.
// The file is created with the first block. The elapsed time goes to the
// "counter" plug-in.
class WaveFileWriter : public QThread
{
    Q_OBJECT
public:
    static constexpr int SampleRate = 48000;

    explicit WaveFileWriter(QObject* parent = nullptr);
    // Stops a recording that still runs and waits for the thread.
    ~WaveFileWriter() override;

    SampleFifo* fifo() const { return m_fifo; }

    // Starts a recording named after frequencyHz; does nothing while one runs.
    bool startRecording(qint64 frequencyHz);
    void stopRecording();
    bool isRecording() const { return m_running.load(); }
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
