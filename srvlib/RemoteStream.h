#pragma once

#include "RemoteRfContext.h"
#include "StreamThread.h"

#include <atomic>
#include <cstdint>
#include <jansson.h>
#include <mutex>
#include <string>

class SrvServer;
class SrvHttpClient;

// An I/Q stream offered by a server, and the thread ("stream_thread") that
// receives it. Its description (names, limits, rate) is rewritten by a tune
// reply on the tuning thread while the engine and the stream threads read it:
// it is read and written under a lock, and a reply changes it whole.
//
// The thread's progress is a pair of states, current and wanted:
//   0 reset by start, thread not yet running
//   1 thread starting                 | wanted 1: run
//   2 transfer running                | wanted 2: keep receiving
//   3 transfer has returned           | wanted 3: stop
//   4 thread finished (wanted back to 0)
class RemoteStream
{
public:
    enum State { Reset = 0, Starting = 1, Receiving = 2, Returned = 3, Finished = 4 };

    RemoteStream(SrvServer* server, json_t* object);
    // Stops the thread and waits for it (bounded: the transfer sees the stop at
    // least about once a second).
    ~RemoteStream();
    RemoteStream(const RemoteStream&) = delete;
    RemoteStream& operator=(const RemoteStream&) = delete;

    bool parse(json_t* object);

    std::string key(bool withHost) const;
    std::string uid() const;
    std::string name() const;
    std::string source() const;
    int64_t center() const { return m_center.load(); }
    int64_t fmin() const;
    int64_t fmax() const;
    int sampleRate() const;
    int maxUsers() const;
    int subscribers() const;
    bool isUserTemporary() const;
    SrvServer* server() const { return m_server; }

    // A centre reported by the stream itself (from the radio context).
    void setCenter(int64_t hz) { m_center.store(hz); }
    // Clamps to [fmin, fmax] and asks the server; the reply is the updated
    // stream, whose missing members keep their values. A reply that is not
    // JSON, whose centre and limits are not sound frequencies or whose rate is
    // not above 0, is a failure and changes nothing.
    bool tuneRequest(int64_t hz);
    bool setGain(float value, int n);

    // Starts receiving; a previous thread is stopped and joined first. True
    // when the thread was created.
    bool start(SrvIQCallback iq, void* iqUser, SrvContextCallback context, void* contextUser);
    // Asks the server to stop the stream and makes the thread end its transfer
    // (without waiting for it).
    void stop();
    // Stops the thread and waits for it to end (bounded, see the destructor).
    void join() { m_thread.stopAndJoin(); }
    bool isReceiving() const { return m_current.load() == Receiving; }
    int currentState() const { return m_current.load(); }
    int wantedState() const { return m_wanted.load(); }
    // The transfer has returned, or a stop was asked.
    bool isEnding() const { return m_current.load() == Returned || m_wanted.load() == Returned; }
    // Marks the thread finished (current 4, wanted 0). A thread still running
    // is asked to stop as well, so that the states stay true.
    void markFinished();

private:
    bool beginTransfer();
    void endTransfer();

    SrvServer* m_server;
    SrvHttpClient* m_client;
    mutable std::mutex m_lock; // the description below
    std::string m_uid, m_source, m_name;
    std::atomic<int64_t> m_center{0}; // also set alone, by the stream's own reports
    int64_t m_fmax = 0, m_fmin = 0;
    int m_sr = 0;
    int m_maxUsers = 0, m_subscribers = 0;
    bool m_userTemp = false;

    std::atomic<int> m_current{Reset};
    std::atomic<int> m_wanted{Reset};
    StreamThread m_thread{"stream_thread"}; // last: stopped before the members it uses go
};
