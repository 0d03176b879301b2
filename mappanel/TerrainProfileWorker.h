#pragma once

#include "TerrainProfile.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

class QThread;
class SRTMReader;

// Computes terrain profiles in a thread of its own, so that reading terrain
// tiles never holds up the GUI. Requests that pile up while one is computed
// collapse into the latest. The tiles read stay in the worker's own terrain
// reader for the next profiles.
class TerrainProfileWorker : public QObject
{
    Q_OBJECT

public:
    // Longest wait for the thread at destruction (one profile is 250 reads).
    static constexpr unsigned long StopWaitMs = 30000;

    explicit TerrainProfileWorker();
    // Ends the thread; call from the thread that made the worker.
    ~TerrainProfileWorker() override;

    // Callable from the thread that made the worker; the answer comes with SIG_profileReady.
    void request(const Position& station, double azimuthDeg, double rangeM, const QString& demPath);

signals:
    void SIG_profileReady(TerrainProfile profile);

private:
    // A job of the worker's thread.
    class Job;

    QThread* m_thread;
    Job* m_job; // lives in m_thread
    std::atomic<quint64> m_latestRequest{0};
};
