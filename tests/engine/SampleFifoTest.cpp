#include "engine/SampleFifo.h"
#include "DebugCapture.h"
#include "engine/SampleContext.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

namespace {

// A malloc'd block of one int, so that the order of take-outs can be read back.
int* block(int tag)
{
    int* data = static_cast<int*>(malloc(sizeof(int)));
    *data = tag;
    return data;
}

SampleContext* context(int64_t centre)
{
    auto* ctx = static_cast<SampleContext*>(calloc(1, sizeof(SampleContext)));
    ctx->hw_center = centre;
    return ctx;
}

// Takes everything out without waiting and returns the tags in take-out order.
std::vector<int> drain(SampleFifo& fifo)
{
    std::vector<int> tags;
    int count = 0;
    SampleContext* ctx = nullptr;
    while (void* data = fifo.dequeue(&count, 0, &ctx, false)) {
        tags.push_back(*static_cast<int*>(data));
        free(data);
        free(ctx);
    }
    return tags;
}

qint64 elapsedMs(const std::function<void()>& action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    return timer.elapsed();
}

} // namespace

struct OrderCase
{
    std::vector<int> priorities;
    std::vector<int> expectedOrder; // indexes into priorities
};

void PrintTo(const OrderCase& c, std::ostream* os)
{
    for (int p : c.priorities)
        *os << p << ' ';
}

class SampleFifoOrder : public ::testing::TestWithParam<OrderCase>
{
};

TEST_P(SampleFifoOrder, HigherPriorityFirstAndArrivalOrderWithinOne)
{
    SampleFifo fifo;
    const OrderCase& c = GetParam();
    for (size_t i = 0; i < c.priorities.size(); ++i)
        EXPECT_EQ(fifo.enqueue(block(int(i)), 1, c.priorities[i], nullptr), int(i) + 1);

    // Take-out by the default key pops from the head.
    EXPECT_EQ(drain(fifo), c.expectedOrder);
    EXPECT_EQ(fifo.size(), 0);
    EXPECT_TRUE(fifo.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Priorities, SampleFifoOrder,
                         ::testing::Values(OrderCase{{5, 0, 5}, {0, 2, 1}}, OrderCase{{0, 0, 0}, {0, 1, 2}},
                                           OrderCase{{1, 3, 2}, {1, 2, 0}}, OrderCase{{0, 7}, {1, 0}},
                                           OrderCase{{2, 2, 9, 2}, {2, 0, 1, 3}}),
                         [](const ::testing::TestParamInfo<OrderCase>& info) {
                             std::string name;
                             for (int p : info.param.priorities)
                                 name += (name.empty() ? "" : "_") + std::to_string(p);
                             return name;
                         });

TEST(SampleFifo, AcceptsTheOneHundredAndFirstAndWarnsOncePerRefusalRun)
{
    SampleFifo fifo;
    for (int i = 0; i < SampleFifo::MaxWaiting; ++i)
        fifo.enqueue(block(i), 1, 0, nullptr);
    EXPECT_EQ(fifo.enqueue(block(200), 1, 0, nullptr), 201);

    DebugCapture capture;
    int* refused = block(-1);
    SampleContext* refusedContext = context(1);
    EXPECT_EQ(fifo.enqueue(refused, 1, 0, refusedContext), -1);
    EXPECT_EQ(fifo.enqueue(refused, 1, 0, refusedContext), -1);
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_EQ(capture.lines()[0], "Warning... element not pushed ,queue too long 201");
    // The refused block and context are still the caller's.
    EXPECT_EQ(*refused, -1);
    EXPECT_EQ(refusedContext->hw_center, 1);
    EXPECT_EQ(fifo.size(), 201);

    // An accepted push re-arms the warning.
    free(fifo.dequeue(nullptr, 0, nullptr, false));
    EXPECT_EQ(fifo.enqueue(refused, 1, 0, refusedContext), 201);
    int* again = block(0);
    EXPECT_EQ(fifo.enqueue(again, 1, 0, nullptr), -1);
    EXPECT_EQ(capture.lines().size(), 2u);
    free(again);
}

TEST(SampleFifo, WaitingPopGivesUpAfterAboutTenMilliseconds)
{
    SampleFifo fifo;
    SampleFifoElement* element = reinterpret_cast<SampleFifoElement*>(1);
    const qint64 waited = elapsedMs([&] { element = fifo.pop(true); });
    EXPECT_EQ(element, nullptr);
    EXPECT_GE(waited, SampleFifo::WaitMs - 1);
    EXPECT_LT(waited, 5000); // it gives up at all
    EXPECT_EQ(fifo.pop(false), nullptr);
}

TEST(SampleFifo, PollingPopsLeavePermitsForALaterWaitingPop)
{
    // Many leftover permits, so that waiting out each would take a whole second.
    constexpr int leftover = 100;
    SampleFifo fifo;
    for (int i = 0; i < leftover; ++i)
        fifo.enqueue(block(i), 1, 0, nullptr);
    EXPECT_EQ(drain(fifo).size(), size_t(leftover));

    // As many waiting pops return null without waiting; the next one waits.
    const qint64 immediate = elapsedMs([&] {
        for (int i = 0; i < leftover; ++i)
            EXPECT_EQ(fifo.pop(true), nullptr);
    });
    EXPECT_LT(immediate, leftover * SampleFifo::WaitMs / 2);
    EXPECT_GE(elapsedMs([&] { EXPECT_EQ(fifo.pop(true), nullptr); }), SampleFifo::WaitMs - 1);
}

TEST(SampleFifo, DequeueHandsOverDataCountAndContext)
{
    SampleFifo fifo;
    int count = 99;
    SampleContext* ctx = nullptr;
    EXPECT_EQ(fifo.dequeue(&count, 0, &ctx, false), nullptr);
    EXPECT_EQ(count, 0);

    int* data = block(7);
    SampleContext* sent = context(2400000000LL);
    fifo.enqueue(data, 12, 0, sent);
    EXPECT_EQ(fifo.dequeue(&count, 0, &ctx, true), data);
    EXPECT_EQ(count, 12);
    EXPECT_EQ(ctx, sent);
    EXPECT_EQ(ctx->hw_center, 2400000000LL);
    free(data);
    free(ctx);

    // A consumer that does not ask for the context does not leak it.
    fifo.enqueue(block(8), 1, 0, context(1));
    free(fifo.dequeue(&count, 0, nullptr, false));
}

TEST(SampleFifo, TakeByKey)
{
    SampleFifo fifo;
    fifo.enqueue(block(0), 1, 3, nullptr);
    fifo.enqueue(block(1), 1, 2, nullptr);
    fifo.enqueue(block(2), 1, 1, nullptr);

    EXPECT_EQ(fifo.take(9, false), nullptr);
    EXPECT_EQ(fifo.take(9, true), nullptr);
    EXPECT_EQ(fifo.size(), 3);

    int count = 0;
    void* middle = fifo.dequeue(&count, 2, nullptr, false);
    ASSERT_NE(middle, nullptr);
    EXPECT_EQ(*static_cast<int*>(middle), 1);
    free(middle);
    EXPECT_EQ(fifo.size(), 2);
    EXPECT_EQ(drain(fifo), (std::vector<int>{0, 2}));

    EXPECT_EQ(fifo.take(0, false), nullptr);
}

TEST(SampleFifo, RefusesEverythingWhileNotAccepting)
{
    SampleFifo fifo;
    QSignalSpy spy(&fifo, &SampleFifo::fifoHasData);
    fifo.accepting = false;
    int* data = block(5);
    EXPECT_EQ(fifo.enqueue(data, 1, 0, nullptr), -1);
    EXPECT_EQ(fifo.append(data, 1, nullptr, sizeof(int), 1024), -1);
    EXPECT_EQ(*data, 5);
    EXPECT_EQ(fifo.size(), 0);
    EXPECT_EQ(spy.count(), 0);

    fifo.accepting = true;
    EXPECT_EQ(fifo.enqueue(data, 1, 0, nullptr), 1);
    EXPECT_EQ(spy.count(), 1);
}

TEST(SampleFifo, AppendMergesIntoTheTailUpToTheLimit)
{
    SampleFifo fifo;
    QSignalSpy spy(&fifo, &SampleFifo::fifoHasData);
    const int limit = 4;
    auto items = [](std::initializer_list<int> values) {
        int* data = static_cast<int*>(malloc(values.size() * sizeof(int)));
        std::copy(values.begin(), values.end(), data);
        return data;
    };

    SampleContext* first = context(1);
    EXPECT_EQ(fifo.append(items({1, 2}), 2, first, sizeof(int), limit), 1); // empty: a new element
    EXPECT_EQ(fifo.append(items({3}), 1, nullptr, sizeof(int), limit), 1);  // merged, context kept
    EXPECT_EQ(fifo.size(), 1);
    SampleContext* second = context(2);
    EXPECT_EQ(fifo.append(items({4, 5}), 2, second, sizeof(int), limit), 1); // merged past the limit
    EXPECT_EQ(fifo.append(items({6}), 1, nullptr, sizeof(int), limit), 2);   // tail full: new element
    EXPECT_EQ(spy.count(), 4);

    int count = 0;
    SampleContext* ctx = nullptr;
    int* merged = static_cast<int*>(fifo.dequeue(&count, 0, &ctx, false));
    ASSERT_EQ(count, 5);
    EXPECT_EQ(std::vector<int>(merged, merged + 5), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(ctx, second); // the replaced context was freed by the queue
    free(merged);
    free(ctx);

    int* last = static_cast<int*>(fifo.dequeue(&count, 0, &ctx, false));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(*last, 6);
    EXPECT_EQ(ctx, nullptr);
    free(last);
}

TEST(SampleFifo, AppendRefusesBadSizesAndNeverOverflowsTheItemCount)
{
    SampleFifo fifo;
    fifo.enqueue(block(1), 1, 0, nullptr);
    int* data = block(2);
    EXPECT_EQ(fifo.append(data, -1, nullptr, sizeof(int), 1024), -1);
    EXPECT_EQ(fifo.append(data, 1, nullptr, 0, 1024), -1);
    EXPECT_EQ(fifo.size(), 1);

    // A count that would overflow the tail's count gets an element of its own (nothing is copied).
    EXPECT_EQ(fifo.append(data, INT_MAX, nullptr, sizeof(int), 1024), 2);
    fifo.flush();
    EXPECT_EQ(fifo.size(), 0);
}

TEST(SampleFifo, DirectlyConnectedSlotMayTakeTheBlockOut)
{
    SampleFifo fifo;
    std::vector<int> seen;
    QObject::connect(
        &fifo, &SampleFifo::fifoHasData, &fifo,
        [&] {
            int count = 0;
            void* data = fifo.dequeue(&count, 0, nullptr, false);
            seen.push_back(*static_cast<int*>(data));
            free(data);
        },
        Qt::DirectConnection);
    fifo.enqueue(block(1), 1, 0, nullptr);
    fifo.append(block(2), 1, nullptr, sizeof(int), 1024);
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
}

TEST(SampleFifo, FlushAndDestructionFreeWhatIsQueued)
{
    // Leaks here are reported by LeakSanitizer.
    SampleFifo fifo;
    fifo.enqueue(block(1), 1, 0, context(1));
    fifo.enqueue(block(2), 1, 4, nullptr);
    fifo.flush();
    EXPECT_EQ(fifo.size(), 0);
    EXPECT_TRUE(fifo.isEmpty());

    auto* owned = new SampleFifo;
    owned->enqueue(block(3), 1, 0, context(3));
    delete owned;
}

TEST(SampleFifo, ProducerAndConsumerThreadsMoveEveryBlockInOrder)
{
    constexpr int blocks = 100000;
    SampleFifo fifo;
    std::atomic<bool> producerDone{false};

    std::thread producer([&] {
        for (int i = 0; i < blocks; ++i) {
            int* data = block(i);
            SampleContext* ctx = context(i);
            // A refused push leaves the block with us: offer it again.
            while (fifo.enqueue(data, 1, 0, ctx) <= 0)
                std::this_thread::yield();
        }
        producerDone = true;
    });

    // Until everything is taken, or the producer is done and nothing is left
    // (a lost block ends the loop too).
    int received = 0;
    bool inOrder = true;
    while (received < blocks && !(producerDone && fifo.size() == 0)) {
        int count = 0;
        SampleContext* ctx = nullptr;
        void* data = fifo.dequeue(&count, 0, &ctx, true);
        if (data == nullptr)
            continue;
        const int tag = *static_cast<int*>(data);
        inOrder = inOrder && tag == received && ctx->hw_center == received && count == 1;
        ++received;
        free(data);
        free(ctx);
    }
    producer.join();
    EXPECT_TRUE(producerDone);
    EXPECT_EQ(received, blocks);
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(fifo.size(), 0);
}
