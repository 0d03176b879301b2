#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSemaphore>
#include <QUrl>

#include <functional>

class FileDownloader;
class QTimer;
class WhatsonWindow;
struct RFStation;

// Asks the broadcast schedule service which stations are on the air, one
// 2 MHz window at a time, and keeps the answers in whatsonWindows(). The
// service's address is the setting "schedule_server" of the group "Whatson"
// (written with its default when missing); requests go to
// <server>/api/whatson?start=<kHz>&stop=<kHz>.
//
// Lives on the GUI thread; the downloader's signals arrive queued. One
// request is pending at a time.
class Whatson : public QObject
{
    Q_OBJECT
public:
    static const QString SettingsGroup;  // "Whatson"
    static const QString ServerKey;      // "schedule_server"
    static const QString DefaultServer;  // "http://whatson.vantor-sdr.example"
    static constexpr int StartDelayMs = 2000;
    static constexpr int NextWindowDelayMs = 1500;
    static constexpr int GateWaitMs = 20;
    // Windows start at most here, whatever the scan's upper limit.
    static constexpr int HighestWindowMHz = 25;

    explicit Whatson(QObject* parent = nullptr);

    // Scans the windows from startHz up to stopHz (MHz cut towards zero),
    // the first one after the start delay.
    void scanFrom(qint64 startHz, qint64 stopHz);

    // The stations of every window, in window order.
    static QList<RFStation*> getStationList();
    // The station with that key in any window, or null.
    static RFStation* findStation(int schedkey);

    // For tests: the delays before the first window and between windows, and
    // the clock that says which stations are still on the air (UTC).
    void setDelays(int startMs, int nextWindowMs);
    void setClock(std::function<QDateTime()> utcClock);
    QUrl server() const { return serverAddress; }

signals:
    void continueScan();
    void scanFinished(Whatson* sender);

public slots:
    // Requests window M (MHz); M = 0 requests the current window again.
    void checkCoverage(int M);
    void checkCoverage();

private slots:
    void SLOT_downloaded();
    void SLOT_errorDownload();

private:
    void scheduleNext(int delayMs);
    void releaseGate();

    FileDownloader* downloader;
    QSemaphore requestGate{1};
    bool gateHeld = false;       // this object holds requestGate's permit
    bool notFoundPending = false; // the last answer was "not found": the error slot handles it
    WhatsonWindow* currentWindow = nullptr;
    int windowStartMHz = 0;
    int upperLimitMHz = HighestWindowMHz + 1;
    QTimer* stepTimer;
    int startDelayMs = StartDelayMs;
    int nextWindowDelayMs = NextWindowDelayMs;
    std::function<QDateTime()> clock;
    QUrl serverAddress;
};
