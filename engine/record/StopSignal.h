#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

// A recorder's or player's stop flag that its sleeps can see: a thread that
// waits for its pace or for work wakes as soon as a stop is requested.
class StopSignal
{
public:
    void request()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_set.store(true);
        }
        m_wake.notify_all();
    }
    void clear() { m_set.store(false); }
    bool isSet() const { return m_set.load(); }

    // Sleeps up to the given time; returns true (early) when a stop is requested.
    bool waitForUs(long long microseconds)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_wake.wait_for(lock, std::chrono::microseconds(microseconds),
                               [this] { return m_set.load(); });
    }
    bool waitForMs(int milliseconds) { return waitForUs(1000LL * milliseconds); }

private:
    std::atomic<bool> m_set{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
};
