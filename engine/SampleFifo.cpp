#include "engine/SampleFifo.h"

#include "engine/SampleContext.h"

#include <QDebug>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Scope guard for the one-permit semaphore used as the list lock.
class ListLock
{
public:
    explicit ListLock(QSemaphore& lock) : m_lock(lock) { m_lock.acquire(); }
    ~ListLock() { release(); }
    void release()
    {
        if (m_held) {
            m_held = false;
            m_lock.release();
        }
    }

private:
    QSemaphore& m_lock;
    bool m_held = true;
};

} // namespace

SampleFifo::SampleFifo(QObject* parent) : QObject(parent) {}

SampleFifo::~SampleFifo()
{
    flush();
}

bool SampleFifo::isEmpty()
{
    ListLock lock(m_listLock);
    return m_header.count.load() == 0;
}

SampleFifoElement* SampleFifo::newElement(int priority, SampleContext* context)
{
    auto* element = static_cast<SampleFifoElement*>(malloc(sizeof(SampleFifoElement)));
    if (element == nullptr)
        return nullptr;
    element->count = 0;
    element->priority = priority;
    element->context = context;
    element->data = nullptr;
    element->next = nullptr;
    element->prev = nullptr;
    return element;
}

int SampleFifo::enqueue(void* data, int count, int priority, SampleContext* context)
{
    if (!accepting)
        return -1;
    SampleFifoElement* element = newElement(priority, context);
    if (element == nullptr)
        return 0;
    element->data = data;
    element->count = count;

    m_listLock.acquire();
    const int result = insert(element);
    if (result < 0) {
        free(element);
        return -1;
    }
    emit fifoHasData();
    return result;
}

int SampleFifo::insert(SampleFifoElement* element)
{
    const int count = m_header.count.load();
    if (count > MaxWaiting) {
        if (!m_warned) {
            qDebug() << "Warning... element not pushed ,queue too long" << count;
            m_warned = true;
        }
        m_listLock.release();
        return -1;
    }
    m_warned = false;

    if (m_header.head == nullptr) {
        element->next = element->prev = nullptr;
        m_header.head = m_header.tail = element;
    } else {
        // Walk back from the tail past every lower priority: equal priorities keep
        // their arrival order, a higher one overtakes the lower ones.
        SampleFifoElement* at = m_header.tail;
        while (at != nullptr && at->priority < element->priority)
            at = at->prev;
        if (at == nullptr) {
            element->prev = nullptr;
            element->next = m_header.head;
            m_header.head->prev = element;
            m_header.head = element;
        } else {
            element->prev = at;
            element->next = at->next;
            if (at->next != nullptr)
                at->next->prev = element;
            else
                m_header.tail = element;
            at->next = element;
        }
    }
    const int newCount = count + 1;
    m_header.count.store(newCount);
    m_listLock.release();
    m_items.release();
    return newCount;
}

int SampleFifo::append(void* data, int count, SampleContext* context, int itemSize, int maxCount)
{
    if (!accepting)
        return -1;
    if (count < 0 || itemSize <= 0)
        return -1;

    ListLock lock(m_listLock);
    SampleFifoElement* tail = m_header.tail;
    if (tail != nullptr && tail->count < maxCount && tail->count <= INT_MAX - count) {
        const size_t oldBytes = size_t(tail->count) * size_t(itemSize);
        const size_t addBytes = size_t(count) * size_t(itemSize);
        // On a failed growth the tail keeps its block; the new block then gets an element of its own.
        void* grown = realloc(tail->data, oldBytes + addBytes);
        if (grown != nullptr) {
            if (addBytes > 0)
                memcpy(static_cast<char*>(grown) + oldBytes, data, addBytes);
            tail->data = grown;
            tail->count += count;
            if (context != nullptr) {
                free(tail->context);
                tail->context = context;
            }
            const int elements = m_header.count.load();
            lock.release();
            emit fifoHasData();
            free(data);
            return elements;
        }
    }
    lock.release();
    return enqueue(data, count, 0, context);
}

SampleFifoElement* SampleFifo::unlinkLocked(SampleFifoElement* element)
{
    if (element->prev != nullptr)
        element->prev->next = element->next;
    else
        m_header.head = element->next;
    if (element->next != nullptr)
        element->next->prev = element->prev;
    else
        m_header.tail = element->prev;
    element->next = element->prev = nullptr;
    m_header.count.store(m_header.count.load() - 1);
    return element;
}

SampleFifoElement* SampleFifo::pop(bool wait, int waitMs)
{
    // Only a waiting pop takes item permits; a polling consumer may leave some
    // behind, which a later waiting pop then finds at once.
    if (wait && !m_items.tryAcquire(1, waitMs))
        return nullptr;
    ListLock lock(m_listLock);
    if (m_header.head == nullptr)
        return nullptr;
    return unlinkLocked(m_header.head);
}

SampleFifoElement* SampleFifo::take(int key, bool wait)
{
    if (!wait && m_header.count.load() == 0)
        return nullptr;
    ListLock lock(m_listLock);
    for (SampleFifoElement* at = m_header.head; at != nullptr; at = at->next) {
        if (at->priority == key)
            return unlinkLocked(at);
    }
    return nullptr;
}

void* SampleFifo::dequeue(int* count, int key, SampleContext** context, bool wait, int waitMs)
{
    if (count != nullptr)
        *count = 0;
    SampleFifoElement* element = key == 0 ? pop(wait, waitMs) : take(key, wait);
    if (element == nullptr)
        return nullptr;
    if (count != nullptr)
        *count = element->count;
    if (context != nullptr)
        *context = element->context;
    else
        free(element->context); // a caller that does not take the context cannot free it later
    void* data = element->data;
    free(element);
    return data;
}

void SampleFifo::flush()
{
    while (SampleFifoElement* element = pop(false)) {
        free(element->data);
        free(element->context);
        free(element);
    }
}

void SampleFifo::dump()
{
    printf("-------------\n");
    ListLock lock(m_listLock);
    int position = 0;
    for (SampleFifoElement* at = m_header.head; at != nullptr; at = at->next)
        printf("%d pri=%d \n", position++, at->priority);
    fflush(stdout);
}
