#pragma once

#include "engine/record/StopSignal.h"

#include <QMutex>
#include <QString>
#include <QThread>

#include <atomic>

class SampleFifo;

// What the audio recorders share: the fifo the mixing thread fills with
// stereo blocks, start and stop of one recording at a time, and the name of
// the file written. Each recorder's run() encodes and writes the blocks; it
// clears isRecording() and flushes the fifo when it ends.
class AudioRecordingThread : public QThread
{
    Q_OBJECT
public:
    SampleFifo* fifo() const { return m_fifo; }

    // Starts a recording named after frequencyHz; does nothing while one runs.
    bool startRecording(qint64 frequencyHz);
    void stopRecording();
    bool isRecording() const { return m_running.load(); }
    qint64 frequency() const { return m_frequency.load(); }
    // Path of the file being (or last) written; empty until the first file.
    QString fileName() const;

protected:
    AudioRecordingThread(const QString& name, QObject* parent);
    // Recorders call this from their destructor, while their run() may still
    // use them: stops a recording that still runs and waits for the thread.
    void stopAndWait();
    void setFileName(const QString& name);

    SampleFifo* m_fifo;
    StopSignal m_stop;
    std::atomic<bool> m_running{false};
    std::atomic<qint64> m_frequency{0};

private:
    mutable QMutex m_nameLock;
    QString m_fileName;
};
