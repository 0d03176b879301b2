#pragma once

#include "RemoteRfContext.h"
#include "StreamThread.h"

#include <atomic>
#include <string>

class SrvSource;
class SrvHttpClient;

// Receives the spectrum lines of one source on its own thread ("spectrum_thread").
class SrvSpectrumReader
{
public:
    explicit SrvSpectrumReader(SrvSource* source);
    // Stops and joins the thread (bounded, like every stop here).
    ~SrvSpectrumReader();
    SrvSpectrumReader(const SrvSpectrumReader&) = delete;
    SrvSpectrumReader& operator=(const SrvSpectrumReader&) = delete;

    // Starts receiving; a running reader is stopped and joined first.
    void start(SrvSpectrumCallback spectrum, void* spectrumUser, SrvContextCallback context,
               void* contextUser);
    // The transfer ends within about a second, also when nothing arrives.
    void requestStop() { m_thread.requestStop(); }
    bool isRunning() const { return m_running.load(); }
    // Forgets that the reader runs; the thread itself goes on until stopped
    // (a new start or the destruction still stops and joins it).
    void clearRunning() { m_running.store(false); }
    const std::string& sourceUid() const { return m_uid; }

private:
    SrvSource* m_source;
    SrvHttpClient* m_client;
    std::string m_uid;
    std::atomic<bool> m_running{false};
    StreamThread m_thread{"spectrum_thread"}; // last: stopped before the members it uses go
};
