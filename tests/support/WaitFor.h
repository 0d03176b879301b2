#pragma once

// Header-only, like the other helpers that only some test programs use.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <functional>

// How long a wait for a condition may take before the test counts it as never
// coming. Generous: it is only reached when something is broken, and a loaded
// machine must never reach it.
constexpr int kWaitBoundMs = 20000;

// Processes the calling thread's events (queued signals) until done() holds
// or timeoutMs passed; returns done().
inline bool waitFor(const std::function<bool()>& done, int timeoutMs = kWaitBoundMs)
{
    QElapsedTimer clock;
    clock.start();
    // done() is asked once a turn and its answer kept: a condition may consume
    // what it looks at (sound heard since the last turn), so a second asking
    // could contradict the first.
    bool met = done();
    while (!met && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
        met = done();
    }
    return met;
}

// Serves events until a timer of ms has fired. Qt fires due timers in the
// order they fall due, so every timer of the code under test that fell due
// before has fired too: a check that something did not happen within ms of
// now holds however slow the machine is.
inline bool serveEventsPast(int ms)
{
    bool fired = false;
    QTimer marker;
    marker.setSingleShot(true);
    QObject::connect(&marker, &QTimer::timeout, [&fired] { fired = true; });
    marker.start(ms);
    return waitFor([&fired] { return fired; });
}
