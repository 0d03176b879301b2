#pragma once

#include "RemoteRfContext.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

class SrvSource;
class SrvHttpClient;
class StreamFrameParser;

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
    void requestStop() { m_stopRequest.store(true); }
    bool isRunning() const { return m_running.load(); }
    const std::string& sourceUid() const { return m_uid; }

private:
    void run();
    void joinThread();
    static bool stopRequested(void* self);

    SrvSource* m_source;
    SrvHttpClient* m_client;
    std::string m_uid;
    std::atomic<bool> m_stopRequest{false};
    std::atomic<bool> m_running{false};
    std::unique_ptr<StreamFrameParser> m_parser;
    std::thread m_thread;
};
