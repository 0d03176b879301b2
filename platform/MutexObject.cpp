#include "MutexObject.h"

#include <ctime>
#include <new>
#include <pthread.h>

namespace mutexobject {

struct MutexObject
{
    pthread_mutex_t lock;
};

MutexObject* create()
{
    auto* mutex = new (std::nothrow) MutexObject;
    if (!mutex)
        return nullptr;
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    int result = pthread_mutex_init(&mutex->lock, &attributes);
    pthread_mutexattr_destroy(&attributes);
    if (result != 0) {
        delete mutex;
        return nullptr;
    }
    return mutex;
}

bool wait(MutexObject* mutex, int timeoutMs)
{
    if (!mutex)
        return false;
    if (timeoutMs < 0)
        return pthread_mutex_lock(&mutex->lock) == 0;
    struct timespec deadline;
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += timeoutMs / 1000;
    deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    return pthread_mutex_timedlock(&mutex->lock, &deadline) == 0;
}

bool release(MutexObject* mutex)
{
    // A recursive pthread mutex refuses (EPERM) an unlock by a thread that
    // does not own it, as ReleaseMutex does.
    return mutex && pthread_mutex_unlock(&mutex->lock) == 0;
}

void close(MutexObject* mutex)
{
    if (!mutex)
        return;
    pthread_mutex_destroy(&mutex->lock);
    delete mutex;
}

} // namespace mutexobject
