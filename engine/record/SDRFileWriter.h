#pragma once

#include "engine/record/RfFormat.h"
#include "engine/record/StopSignal.h"

#include <QMutex>
#include <QString>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <vector>

class SampleFifo;

// Records the receiver's blocks as raw-RF files (".orvex" in "./record").
// While isWriting(), the engine queues a malloc'd copy of every block it
// fetches, with a malloc'd context, into fifo(); the writer frees both. A file
// that passes the size limit gets a trailer and the recording continues in
// the next numbered file ("_2", "_3"...). The elapsed time goes to the
// "counter" plug-in.
class SDRFileWriter : public QThread
{
    Q_OBJECT
public:
    explicit SDRFileWriter(QObject* parent = nullptr);
    // Stops a recording that still runs and waits for the thread.
    ~SDRFileWriter() override;

    SampleFifo* fifo() const { return m_fifo; }

    // Starts a recording that stops by itself once more than maxSamples were
    // written (0 or less: no limit). Does nothing while one runs.
    bool startWriting(int maxSamples);
    void stopWriting();
    bool isWriting() const { return m_writing.load(); }

    // Path of the file being (or last) written; empty until the first file.
    QString fileName() const;
    // Emit newFileWritten when this recording ends (cleared by every start).
    void setNotifyOnEnd(bool notify) { m_notifyOnEnd.store(notify); }

    // Bytes after which a file is closed (the default is just under 1 GiB).
    void setFileSizeLimit(qint64 bytes) { m_fileSizeLimit.store(bytes); }

signals:
    void newFileWritten(QString fileName);
    // The recording ended because a file could not be created or written;
    // the message (French, for the user) names the file. Emitted from the
    // writer thread once it no longer counts as writing.
    void recordingFailed(QString message);

protected:
    void run() override;

private:
    // Writes one block to the open file; false when a write failed.
    bool writeBlock(const RfBlockHeader& header, const float* samples, int count, qint64* bytesWritten);
    void setFileName(const QString& name);

    SampleFifo* m_fifo;
    StopSignal m_stop;
    std::atomic<bool> m_writing{false};
    std::atomic<bool> m_notifyOnEnd{false};
    std::atomic<int> m_maxSamples{0};
    std::atomic<qint64> m_fileSizeLimit{RfFormat::DefaultFileSizeLimit};

    FILE* m_file = nullptr;            // writer thread only
    std::vector<uint8_t> m_conversion; // writer thread only: the last block's stored samples
    mutable QMutex m_nameLock;
    QString m_fileName;
};
