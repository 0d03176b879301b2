#include "decoders/whatson/Whatson.h"

#include "core/FileDownloader.h"
#include "core/LogModule.h"
#include "core/ProgramSettings.h"
#include "core/QLogger.h"
#include "decoders/whatson/ScheduleReply.h"
#include "decoders/whatson/WhatsonWindow.h"

#include <QDebug>
#include <QTimer>

const QString Whatson::SettingsGroup = QStringLiteral("Whatson");
const QString Whatson::ServerKey = QStringLiteral("schedule_server");
const QString Whatson::DefaultServer = QStringLiteral("http://whatson.vantor-sdr.example");

namespace {

constexpr qint64 HzPerMHz = 1000000;

// The service's base address from the settings, without a trailing slash; a
// value that is no HTTP(S) address gives the default.
QUrl readServerAddress()
{
    QString refused;
    const QUrl address =
        ProgramSettings::serverAddress(Whatson::SettingsGroup, Whatson::ServerKey, Whatson::DefaultServer, &refused);
    if (!refused.isEmpty())
        QLogger::logWarning(LogModule, "Whatson: the schedule server \"" + refused +
                                           "\" is no HTTP address, using " + Whatson::DefaultServer);
    return address;
}

} // namespace

Whatson::Whatson(QObject* parent)
    : QObject(parent), downloader(new FileDownloader(QUrl(), this)), stepTimer(new QTimer(this)),
      clock([] { return QDateTime::currentDateTimeUtc(); }), serverAddress(readServerAddress())
{
    stepTimer->setSingleShot(true);
    connect(stepTimer, &QTimer::timeout, this, [this] { checkCoverage(); });
    connect(downloader, &FileDownloader::downloaded, this, &Whatson::SLOT_downloaded, Qt::QueuedConnection);
    connect(downloader, &FileDownloader::failed, this, &Whatson::SLOT_errorDownload, Qt::QueuedConnection);
    // failed() comes before the queued answer slot runs (the reply reports its
    // error before it finishes): noting it here lets the answer's slot leave a
    // not-found to the error slot.
    connect(downloader, &FileDownloader::failed, this, [this] { notFoundPending = true; },
            Qt::DirectConnection);
}

void Whatson::setDelays(int startMs, int nextWindowMs)
{
    startDelayMs = startMs;
    nextWindowDelayMs = nextWindowMs;
}

void Whatson::setClock(std::function<QDateTime()> utcClock)
{
    clock = std::move(utcClock);
}

void Whatson::scanFrom(qint64 startHz, qint64 stopHz)
{
    windowStartMHz = int(startHz / HzPerMHz);
    upperLimitMHz = int(stopHz / HzPerMHz);
    scheduleNext(startDelayMs);
}

void Whatson::checkCoverage()
{
    checkCoverage(0);
}

void Whatson::checkCoverage(int M)
{
    if (M != 0)
        windowStartMHz = M;
    else
        M = windowStartMHz;

    const qint64 startHz = qint64(M) * HzPerMHz;
    WhatsonWindow* window = nullptr;
    for (WhatsonWindow* w : whatsonWindows()) {
        if (w->startHz == startHz && w->stopHz != 0) {
            window = w;
            break;
        }
    }
    if (window == nullptr) {
        window = new WhatsonWindow(startHz, startHz + 2 * HzPerMHz);
        whatsonWindows().append(window);
    }

    // The pending request keeps its window: the new one is only taken with the gate.
    if (!requestGate.tryAcquire(1, GateWaitMs)) {
        qDebug() << "Whatson::checkCoverage a request is pending, window" << M << "not asked for";
        return;
    }
    gateHeld = true;
    currentWindow = window;

    const double startKHz = double(window->startHz / 1000);
    const double stopKHz = double(window->stopHz / 1000);
    QUrl url = serverAddress;
    url.setPath(serverAddress.path() + "/api/whatson");
    url.setQuery("start=" + QString::number(startKHz, 'g', 6) + "&stop=" + QString::number(stopKHz, 'g', 6));
    downloader->startDownload(url);
}

void Whatson::SLOT_downloaded()
{
    if (notFoundPending)
        return; // SLOT_errorDownload follows
    if (currentWindow == nullptr) {
        releaseGate();
        return;
    }
    if (downloader->succeeded()) {
        const ScheduleReply reply(downloader->downloadedData());
        currentWindow->parseSchedule(reply.entries(), clock().toUTC().time());
    } else {
        QLogger::logWarning(LogModule, "Whatson: schedule request failed: " + downloader->errorText());
    }
    releaseGate();

    windowStartMHz += 2;
    if (windowStartMHz > HighestWindowMHz || windowStartMHz >= upperLimitMHz)
        emit scanFinished(this);
    else
        scheduleNext(nextWindowDelayMs);
}

void Whatson::SLOT_errorDownload()
{
    notFoundPending = false;
    QLogger::logWarning(LogModule, "Whatson: the schedule server has no such resource, scan ended");
    releaseGate();
    emit scanFinished(this);
}

void Whatson::scheduleNext(int delayMs)
{
    stepTimer->start(delayMs);
}

void Whatson::releaseGate()
{
    if (!gateHeld)
        return;
    gateHeld = false;
    requestGate.release();
}

QList<RFStation*> Whatson::getStationList()
{
    QList<RFStation*> result;
    for (WhatsonWindow* window : whatsonWindows())
        result += window->stations;
    return result;
}

RFStation* Whatson::findStation(int schedkey)
{
    for (WhatsonWindow* window : whatsonWindows()) {
        if (window->lowestKey > schedkey || window->highestKey < schedkey)
            continue;
        if (RFStation* station = window->findStation(schedkey))
            return station;
    }
    return nullptr;
}
