#pragma once

#include <QString>

#include <functional>

class QThread;

// The end of a worker thread that may be held where we cannot reach it (a driver, the
// sound system, a serial read): asks it to end (askToEnd), waits for it at most boundMs,
// and when it still runs logs notEnded as an error and returns false. The caller must then keep
// the thread's object and whatever the thread uses alive.
bool endThreadWithin(QThread* thread, unsigned long boundMs, const QString& notEnded,
                     const std::function<void()>& askToEnd);
