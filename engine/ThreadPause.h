#pragma once

#include <QCoreApplication>
#include <QThread>

// A worker thread's short pause: serves the queued calls waiting for this
// thread, then sleeps ms milliseconds.
inline void serveEventsAndSleep(int ms)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, ms);
    QThread::msleep(ms);
}
