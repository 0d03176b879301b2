#pragma once

#include <QObject>
#include <QSemaphore>

#include <atomic>

struct SampleContext;

// One queued block. Allocated with malloc by the queue; whoever takes an element
// out with SampleFifo::pop or SampleFifo::take frees it with free (and owns its
// data and context).
struct SampleFifoElement
{
    int count;               // samples (or items) in the block
    int priority;            // ordering priority, also the key for SampleFifo::take
    SampleContext* context;  // travels with the block, may be null
    void* data;              // the block, malloc'd by the producer
    SampleFifoElement* next; // towards the tail
    SampleFifoElement* prev; // towards the head
};

struct SampleFifoHeader
{
    std::atomic<int> count{0}; // read without the lock by SampleFifo::size
    SampleFifoElement* head = nullptr;
    SampleFifoElement* tail = nullptr;
};

// Priority-ordered queue of malloc'd blocks between threads: highest priority
// first, oldest first within a priority. Pushes are refused while more than
// MaxWaiting elements wait; a waiting consumer waits at most WaitMs. Only
// pointers move: a producer whose push is accepted gives up the block and its
// context, a push result of 0 or less leaves both with the caller.
class SampleFifo : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxWaiting = 200;
    static constexpr int WaitMs = 10;

    explicit SampleFifo(QObject* parent = nullptr);
    // Frees whatever is still queued.
    ~SampleFifo() override;

    // Pushes are taken only while true; an owner may stop and restart the flow.
    std::atomic<bool> accepting{true};

    // Element count without the lock: a snapshot for polling.
    int size() const { return m_header.count.load(std::memory_order_relaxed); }
    bool isEmpty();

    // Returns the element count after the insertion; -1 when not accepting or
    // full, 0 when no element could be allocated. On -1 or 0 the block and the
    // context remain the caller's.
    int enqueue(void* data, int count, int priority, SampleContext* context);

    // Merges the block (count items of itemSize bytes) into the tail while the
    // tail holds fewer than maxCount items; the caller's block is then freed and
    // a non-null context replaces the tail's. Otherwise behaves like enqueue with
    // priority 0. Returns the element count, or -1 / 0 as enqueue (block kept).
    int append(void* data, int count, SampleContext* context, int itemSize, int maxCount);

    // Removes the head. With wait, first waits up to waitMs for an item permit.
    SampleFifoElement* pop(bool wait, int waitMs = WaitMs);
    // Removes the first element whose priority equals key; never blocks.
    SampleFifoElement* take(int key, bool wait);
    // Consumer's take-out: pop (key 0) or take (other keys). Sets *count to 0
    // first; on success stores count and context and returns the data, which the
    // caller frees together with the context (a context nobody asked for is freed here).
    // A waiting pop waits at most waitMs.
    void* dequeue(int* count, int key, SampleContext** context, bool wait, int waitMs = WaitMs);
    // Ends the wait of a consumer waiting in pop now (it returns null), or else the next
    // one's at once: for an owner that stops its consumer thread.
    void wakeConsumer() { m_items.release(); }

    // Frees every queued block, context and element.
    void flush();
    // Debugging aid: the priorities from head to tail on standard output.
    void dump();

    static SampleFifoElement* newElement(int priority, SampleContext* context);

signals:
    void fifoHasData();

private:
    // Links the element in under the list lock (taken by the caller, released
    // here). Returns the new count, or -1 when the queue is full.
    int insert(SampleFifoElement* element);
    SampleFifoElement* unlinkLocked(SampleFifoElement* element);

    bool m_warned = false;
    QSemaphore m_listLock{1};
    QSemaphore m_items{0};
    SampleFifoHeader m_header;
};
