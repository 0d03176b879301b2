#include "core/ThreadStop.h"

#include "ProgramLog.h"
#include "TempWorkDir.h"
#include "ThreadGate.h"
#include "WaitFor.h"

#include <QThread>
#include <gtest/gtest.h>

#include <atomic>

namespace {

// Runs until it is asked to end; then, when held, waits at the gate first.
class WorkerThread : public QThread
{
public:
    explicit WorkerThread(ThreadGate* hold) : m_hold(hold) {}
    std::atomic<int> asks{0};

protected:
    void run() override
    {
        while (asks.load() == 0)
            QThread::msleep(1);
        if (m_hold != nullptr)
            m_hold->pass();
    }

private:
    ThreadGate* m_hold;
};

} // namespace

TEST(ThreadStop, AThreadIsAskedOnceAndAThreadThatDoesNotEndIsReported)
{
    struct Case
    {
        const char* what;
        bool held;
        unsigned long boundMs;
        bool ended;
    };
    const Case cases[] = {
        {"a thread that ends when asked", false, kWaitBoundMs, true},
        {"a thread held where the ask does not reach", true, 50, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempWorkDir dir;
        ProgramLog::capture();
        ThreadGate gate;
        WorkerThread thread(c.held ? &gate : nullptr);
        thread.start();
        const QString line = QStringLiteral("Worker::stop() the worker did not end");
        EXPECT_EQ(endThreadWithin(&thread, c.boundMs, line, [&] { ++thread.asks; }), c.ended);
        EXPECT_EQ(thread.asks.load(), 1);
        EXPECT_EQ(thread.isRunning(), !c.ended);
        const std::vector<ProgramLog::Line> logged = ProgramLog::lines();
        if (c.ended) {
            EXPECT_TRUE(logged.empty());
        } else {
            ASSERT_EQ(logged.size(), 1u);
            EXPECT_EQ(logged[0].first, "Error");
            EXPECT_EQ(logged[0].second, line);
        }
        gate.open();
        ASSERT_TRUE(thread.wait(kWaitBoundMs));
    }
}
