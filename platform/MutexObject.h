#pragma once

// Linux stand-in for the Windows mutex objects (CreateMutexW, WaitForSingleObject,
// ReleaseMutex, CloseHandle): a recursive lock that the owning thread may take
// again, and that only its owner can release.
namespace mutexobject {

struct MutexObject;

// A wait without a time limit (INFINITE).
constexpr int WaitForever = -1;

// A new mutex that no thread owns; null when it cannot be created.
MutexObject* create();

// Takes the mutex, waiting at most timeoutMs milliseconds (WaitForever: no
// limit). True once the calling thread owns it; false on time-out.
bool wait(MutexObject* mutex, int timeoutMs = WaitForever);

// Gives up one ownership of the calling thread. False when the calling thread
// does not own the mutex.
bool release(MutexObject* mutex);

// Destroys a mutex that no thread owns or waits for. A null mutex is ignored.
void close(MutexObject* mutex);

} // namespace mutexobject
