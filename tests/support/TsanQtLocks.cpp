// ThreadSanitizer build only: Qt 5's mutexes and semaphores lock with futexes
// inside libQt5Core, which ThreadSanitizer does not see, so every block handed
// over under such a lock looked like a race. These wrappers stand in front of
// the library's exported lock calls made from our code and tell
// ThreadSanitizer about each acquire and release.
//
// A thread's end is the same case: QThread::wait() of a thread that has
// already finished only reads a flag under such a lock, so what the thread
// wrote looked unordered with what its owner does after wait(). The thread
// releases at its `finished` signal (the last code of ours it runs, deferred
// deletions apart) and a successful wait() acquires.
#include <QDeadlineTimer>
#include <QThread>
#include <QVariant>

#include <dlfcn.h>

extern "C" {
void __tsan_acquire(void* addr);
void __tsan_release(void* addr);
}

namespace {

template <class F> F qtCore(const char* symbol)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, symbol));
}

} // namespace

#define TSAN_QT_REAL(type, symbol) static const auto real = qtCore<type>(symbol)

extern "C" {

// QSemaphore::acquire(int), tryAcquire(int), tryAcquire(int, int), release(int)
void _ZN10QSemaphore7acquireEi(void* self, int n)
{
    TSAN_QT_REAL(void (*)(void*, int), "_ZN10QSemaphore7acquireEi");
    real(self, n);
    __tsan_acquire(self);
}

bool _ZN10QSemaphore10tryAcquireEi(void* self, int n)
{
    TSAN_QT_REAL(bool (*)(void*, int), "_ZN10QSemaphore10tryAcquireEi");
    const bool taken = real(self, n);
    if (taken)
        __tsan_acquire(self);
    return taken;
}

bool _ZN10QSemaphore10tryAcquireEii(void* self, int n, int timeout)
{
    TSAN_QT_REAL(bool (*)(void*, int, int), "_ZN10QSemaphore10tryAcquireEii");
    const bool taken = real(self, n, timeout);
    if (taken)
        __tsan_acquire(self);
    return taken;
}

void _ZN10QSemaphore7releaseEi(void* self, int n)
{
    TSAN_QT_REAL(void (*)(void*, int), "_ZN10QSemaphore7releaseEi");
    __tsan_release(self);
    real(self, n);
}

// QMutex::lock(), tryLock(int), unlock()
void _ZN6QMutex4lockEv(void* self)
{
    TSAN_QT_REAL(void (*)(void*), "_ZN6QMutex4lockEv");
    real(self);
    __tsan_acquire(self);
}

bool _ZN6QMutex7tryLockEi(void* self, int timeout)
{
    TSAN_QT_REAL(bool (*)(void*, int), "_ZN6QMutex7tryLockEi");
    const bool taken = real(self, timeout);
    if (taken)
        __tsan_acquire(self);
    return taken;
}

void _ZN6QMutex6unlockEv(void* self)
{
    TSAN_QT_REAL(void (*)(void*), "_ZN6QMutex6unlockEv");
    __tsan_release(self);
    real(self);
}

// QBasicMutex::lockInternal(), lockInternal(int), unlockInternal(): the
// contended paths of the inline lock() and unlock().
void _ZN11QBasicMutex12lockInternalEv(void* self)
{
    TSAN_QT_REAL(void (*)(void*), "_ZN11QBasicMutex12lockInternalEv");
    real(self);
    __tsan_acquire(self);
}

bool _ZN11QBasicMutex12lockInternalEi(void* self, int timeout)
{
    TSAN_QT_REAL(bool (*)(void*, int), "_ZN11QBasicMutex12lockInternalEi");
    const bool taken = real(self, timeout);
    if (taken)
        __tsan_acquire(self);
    return taken;
}

void _ZN11QBasicMutex14unlockInternalEv(void* self)
{
    TSAN_QT_REAL(void (*)(void*), "_ZN11QBasicMutex14unlockInternalEv");
    __tsan_release(self);
    real(self);
}

// QThread::start(Priority), wait(QDeadlineTimer), wait(unsigned long)
void _ZN7QThread5startENS_8PriorityE(QThread* self, QThread::Priority priority)
{
    TSAN_QT_REAL(void (*)(QThread*, QThread::Priority), "_ZN7QThread5startENS_8PriorityE");
    if (!self->property("tsanEndAnnotated").toBool()) {
        self->setProperty("tsanEndAnnotated", true);
        QObject::connect(self, &QThread::finished, self, [self] { __tsan_release(self); },
                         Qt::DirectConnection);
    }
    real(self, priority);
}

bool _ZN7QThread4waitE14QDeadlineTimer(QThread* self, QDeadlineTimer deadline)
{
    TSAN_QT_REAL(bool (*)(QThread*, QDeadlineTimer), "_ZN7QThread4waitE14QDeadlineTimer");
    const bool ended = real(self, deadline);
    if (ended)
        __tsan_acquire(self);
    return ended;
}

bool _ZN7QThread4waitEm(QThread* self, unsigned long timeMs)
{
    TSAN_QT_REAL(bool (*)(QThread*, unsigned long), "_ZN7QThread4waitEm");
    const bool ended = real(self, timeMs);
    if (ended)
        __tsan_acquire(self);
    return ended;
}

} // extern "C"
