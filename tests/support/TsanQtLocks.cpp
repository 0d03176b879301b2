// ThreadSanitizer build only: Qt 5's mutexes and semaphores lock with futexes
// inside libQt5Core, which ThreadSanitizer does not see, so every block handed
// over under such a lock looked like a race. These wrappers stand in front of
// the library's exported lock calls made from our code and tell
// ThreadSanitizer about each acquire and release.
//
// Queued calls are the same case: the event queue's lock is taken inside
// libQt5Core only. Every signal, invocation or event posted from our code
// releases one handoff point, and every event delivered, in any thread,
// acquires it. This orders more than Qt does (a delivery acquires all posts,
// not only those to its thread), never less.
//
// A thread's end too: QThread::wait() of a thread that has already finished
// only reads a flag under such a lock, and Qt's last steps in the thread
// (waking its waiters) come after our last code. The thread releases when it
// exits (a thread-local destructor, run after all of Qt's code in the thread)
// and a successful wait() waits for that release, bounded, and acquires.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMetaMethod>
#include <QThread>
#include <QVariant>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

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

char queuedHandoff;

bool acquireQueuedHandoff(void**)
{
    __tsan_acquire(&queuedHandoff);
    return false; // the event is delivered as usual
}

[[maybe_unused]] const bool handoffRegistered = QInternal::registerCallback(QInternal::EventNotifyCallback, acquireQueuedHandoff);

std::mutex exitLock;
std::condition_variable exitSeen;
std::set<const QThread*> running;

struct ExitRelease {
    QThread* thread = nullptr;
    ~ExitRelease()
    {
        if (thread == nullptr)
            return;
        std::lock_guard<std::mutex> guard(exitLock);
        __tsan_release(thread);
        running.erase(thread);
        exitSeen.notify_all();
    }
};
thread_local ExitRelease exitRelease;

void awaitExit(QThread* thread)
{
    std::unique_lock<std::mutex> guard(exitLock);
    exitSeen.wait_for(guard, std::chrono::seconds(10), [thread] { return running.count(thread) == 0; });
    __tsan_acquire(thread);
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
    if (!self->property("tsanExitAnnotated").toBool()) {
        self->setProperty("tsanExitAnnotated", true);
        QObject::connect(self, &QThread::started, self, [self] { exitRelease.thread = self; },
                         Qt::DirectConnection);
    }
    if (!self->isRunning()) {
        std::lock_guard<std::mutex> guard(exitLock);
        running.insert(self);
    }
    real(self, priority);
}

bool _ZN7QThread4waitE14QDeadlineTimer(QThread* self, QDeadlineTimer deadline)
{
    TSAN_QT_REAL(bool (*)(QThread*, QDeadlineTimer), "_ZN7QThread4waitE14QDeadlineTimer");
    const bool ended = real(self, deadline);
    if (ended)
        awaitExit(self);
    return ended;
}

bool _ZN7QThread4waitEm(QThread* self, unsigned long timeMs)
{
    TSAN_QT_REAL(bool (*)(QThread*, unsigned long), "_ZN7QThread4waitEm");
    const bool ended = real(self, timeMs);
    if (ended)
        awaitExit(self);
    return ended;
}

// QMetaObject::activate (the three forms moc code calls), QMetaMethod::invoke,
// QMetaObject::invokeMethod, invokeMethodImpl, QCoreApplication::postEvent,
// QObject::deleteLater
void _ZN11QMetaObject8activateEP7QObjectPKS_iPPv(QObject* sender, const QMetaObject* meta, int index, void** argv)
{
    TSAN_QT_REAL(void (*)(QObject*, const QMetaObject*, int, void**), "_ZN11QMetaObject8activateEP7QObjectPKS_iPPv");
    __tsan_release(&queuedHandoff);
    real(sender, meta, index, argv);
}

void _ZN11QMetaObject8activateEP7QObjectiPPv(QObject* sender, int index, void** argv)
{
    TSAN_QT_REAL(void (*)(QObject*, int, void**), "_ZN11QMetaObject8activateEP7QObjectiPPv");
    __tsan_release(&queuedHandoff);
    real(sender, index, argv);
}

void _ZN11QMetaObject8activateEP7QObjectiiPPv(QObject* sender, int offset, int index, void** argv)
{
    TSAN_QT_REAL(void (*)(QObject*, int, int, void**), "_ZN11QMetaObject8activateEP7QObjectiiPPv");
    __tsan_release(&queuedHandoff);
    real(sender, offset, index, argv);
}

using GArg = QGenericArgument;

bool _ZNK11QMetaMethod6invokeEP7QObjectN2Qt14ConnectionTypeE22QGenericReturnArgument16QGenericArgumentS5_S5_S5_S5_S5_S5_S5_S5_S5_(
    const QMetaMethod* self, QObject* object, Qt::ConnectionType type, QGenericReturnArgument ret, GArg a0, GArg a1,
    GArg a2, GArg a3, GArg a4, GArg a5, GArg a6, GArg a7, GArg a8, GArg a9)
{
    TSAN_QT_REAL(bool (*)(const QMetaMethod*, QObject*, Qt::ConnectionType, QGenericReturnArgument, GArg, GArg, GArg,
                          GArg, GArg, GArg, GArg, GArg, GArg, GArg),
                 "_ZNK11QMetaMethod6invokeEP7QObjectN2Qt14ConnectionTypeE22QGenericReturnArgument16QGenericArgumentS5_"
                 "S5_S5_S5_S5_S5_S5_S5_S5_");
    __tsan_release(&queuedHandoff);
    return real(self, object, type, ret, a0, a1, a2, a3, a4, a5, a6, a7, a8, a9);
}

bool _ZN11QMetaObject12invokeMethodEP7QObjectPKcN2Qt14ConnectionTypeE22QGenericReturnArgument16QGenericArgumentS7_S7_S7_S7_S7_S7_S7_S7_S7_(
    QObject* object, const char* member, Qt::ConnectionType type, QGenericReturnArgument ret, GArg a0, GArg a1,
    GArg a2, GArg a3, GArg a4, GArg a5, GArg a6, GArg a7, GArg a8, GArg a9)
{
    TSAN_QT_REAL(bool (*)(QObject*, const char*, Qt::ConnectionType, QGenericReturnArgument, GArg, GArg, GArg, GArg,
                          GArg, GArg, GArg, GArg, GArg, GArg),
                 "_ZN11QMetaObject12invokeMethodEP7QObjectPKcN2Qt14ConnectionTypeE22QGenericReturnArgument16"
                 "QGenericArgumentS7_S7_S7_S7_S7_S7_S7_S7_S7_");
    __tsan_release(&queuedHandoff);
    return real(object, member, type, ret, a0, a1, a2, a3, a4, a5, a6, a7, a8, a9);
}

bool _ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBaseEN2Qt14ConnectionTypeEPv(
    QObject* object, void* slot, Qt::ConnectionType type, void* ret)
{
    TSAN_QT_REAL(bool (*)(QObject*, void*, Qt::ConnectionType, void*),
                 "_ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBaseEN2Qt14ConnectionTypeEPv");
    __tsan_release(&queuedHandoff);
    return real(object, slot, type, ret);
}

void _ZN16QCoreApplication9postEventEP7QObjectP6QEventi(QObject* receiver, QEvent* event, int priority)
{
    TSAN_QT_REAL(void (*)(QObject*, QEvent*, int), "_ZN16QCoreApplication9postEventEP7QObjectP6QEventi");
    __tsan_release(&queuedHandoff);
    real(receiver, event, priority);
}

// QObject::deleteLater posts its deferred delete inside the library: an object
// deleted by its own thread's event loop was last used by the thread that asked.
void _ZN7QObject11deleteLaterEv(QObject* self)
{
    TSAN_QT_REAL(void (*)(QObject*), "_ZN7QObject11deleteLaterEv");
    __tsan_release(&queuedHandoff);
    real(self);
}

} // extern "C"
