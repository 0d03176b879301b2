#pragma once

// Header-only, like the other helpers that only some test programs use.

#include "WaitFor.h"

#include <QObject>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

// A stall the test controls: a thread of the code under test that calls
// pass() (from a receiver, a signal connected directly, ...) is held there
// until the test opens the gate. The hold is bounded (kWaitBoundMs), so that
// a test that never opens the gate still ends.
class ThreadGate
{
public:
    ~ThreadGate() { open(); }

    // On the thread to hold; true when the gate was opened, false when the bound ran out.
    bool pass()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        ++m_held;
        const bool opened =
            m_opened.wait_for(lock, std::chrono::milliseconds(kWaitBoundMs), [this] { return m_open; });
        --m_held;
        return opened;
    }
    void open()
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_open = true;
        }
        m_opened.notify_all();
    }
    // How many threads are held now.
    int held() const
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_held;
    }

private:
    mutable std::mutex m_lock;
    std::condition_variable m_opened;
    bool m_open = false;
    int m_held = 0;
};

// Holds a thread that serves its queued calls (its run processes events) in the
// gate: a call queued to an object of that thread passes it. The object is
// returned; destroy it once the thread has ended.
inline std::unique_ptr<QObject> holdInQueuedCall(QThread* thread, ThreadGate& gate)
{
    auto inThread = std::make_unique<QObject>();
    inThread->moveToThread(thread);
    QMetaObject::invokeMethod(
        inThread.get(), [&gate] { gate.pass(); }, Qt::QueuedConnection);
    return inThread;
}
