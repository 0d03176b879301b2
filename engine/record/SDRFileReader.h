#pragma once

#include "engine/record/PlaybackClock.h"
#include "engine/record/StopSignal.h"

#include <QMutex>
#include <QString>
#include <QThread>

#include <atomic>
#include <memory>

class SampleFifo;

// Plays one raw-RF recording back: reads it block by block and queues each
// block (malloc'd complex floats with a malloc'd context, both the consumer's)
// into fifo() at the pace at which it was recorded (on the recording's own
// sample clock, see PlaybackPacer). A file that is cut short
// or corrupted ends playback with a message; every wait sees the stop.
class SDRFileReader : public QThread
{
    Q_OBJECT
public:
    // The player keeps at most this many blocks queued (it waits while more wait).
    static constexpr int MaxQueuedBeforeWait = 3;
    // At the end of a file the queue drains while the consumer takes blocks;
    // a consumer that takes none for this long ends the wait.
    static constexpr int DrainTimeoutMs = 2000;

    explicit SDRFileReader(QObject* parent = nullptr);
    // Stops a playback that still runs and waits for the thread.
    ~SDRFileReader() override;

    SampleFifo* fifo() const { return m_fifo; }
    // The clock that paces the playbacks (the steady clock unless replaced);
    // replaced only while no playback runs.
    void setClock(std::unique_ptr<PlaybackClock> clock);

    // Plays the file; false while a playback still runs.
    bool startPlaying(const QString& fileName);
    void stopPlaying() { m_stop.request(); }
    bool stopRequested() const { return m_stop.isSet(); }
    // True from the start until the file ended (and its queue drained) or a stop was seen.
    bool isPlaybackRunning() const { return m_running.load(); }
    // Running and not asked to stop.
    bool isPlaying() const { return m_running.load() && !m_stop.isSet(); }

    // Why the last playback ended early; empty after a whole file.
    QString errorText() const;

signals:
    void SIG_reading_finished();
    // The file could not be played to its end: what was wrong with it.
    void SIG_playbackFailed(QString message);

protected:
    void run() override;

private:
    void playFile();
    void fail(const QString& message);
    void report(const QString& text);
    void drainQueue();

    SampleFifo* m_fifo;
    StopSignal m_stop;
    std::unique_ptr<PlaybackClock> m_clock = std::make_unique<SteadyPlaybackClock>();
    std::atomic<bool> m_running{false};
    mutable QMutex m_lock; // file name and error text
    QString m_fileName;
    QString m_error;
};
