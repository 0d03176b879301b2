#pragma once

#include "engine/SampleFifo.h"
#include "srvlib/RemoteRfContext.h"

#include <QThread>
#include <QVector>
#include <atomic>
#include <memory>

class SrvSource;
class SrvSpectrumReader;

// Streams the spectrum lines of one server source. The reader's own thread
// ("spectrum_thread") queues each line; this thread converts the lines to
// doubles and hands them on by signal. Centre changes the server reports with
// the lines are signalled as they arrive.
// A downloader runs once: its owner deletes a stopped one and makes a new one for the next start.
class RemoteSpectrumDownloader : public QThread
{
    Q_OBJECT

public:
    explicit RemoteSpectrumDownloader(SrvSource* source);
    // Stops and joins the thread (and with it the reader's).
    ~RemoteSpectrumDownloader() override;

    // True while run() is not running: before the first start and once it has
    // stopped the reader and joined its thread.
    bool isDone() const { return done.load(); }

    // Called on the reader's thread with each new radio context.
    void remoteCenterFreqChanged(const remote_rf_context* f);
    // Called on the reader's thread with each line (count values, malloc'd);
    // false when the queue refused it and the line stays the caller's.
    bool queueLine(float* values, int count);

public slots:
    // Asks the loop to stop; it sees the flag within about 10 ms, then joins the
    // reader (bounded by the reader's own stop) and emits SIG_stopped.
    void stopRefresh() { stopRequested.store(true); }

signals:
    // One line of levels in dB; the values are the receiver's own copy.
    void SIG_newSpectrum(const QVector<double>& f);
    void SIG_stopped();
    void SIG_newFrequency(qlonglong f);

protected:
    void run() override;

private:
    SrvSource* source;
    // Declared before the reader: the reader's thread queues into it until joined.
    SampleFifo lines;
    std::unique_ptr<SrvSpectrumReader> reader;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> done{true};
    // Only the reader's thread touches these (one reader at a time).
    bool hasContext = false;
    remote_rf_context lastContext{};
};
