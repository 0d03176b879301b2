#pragma once

#include "TerrainProfile.h"

#include <QObject>
#include <QString>

class QThread;
class TerrainProfileJob;

// Computes terrain profiles in a thread of its own, so that reading terrain
// tiles never holds up the GUI. Requests that pile up while one is computed
// collapse into the latest. The tiles read stay in the thread's own terrain
// reader for the next profiles.
class TerrainProfileWorker : public QObject
{
    Q_OBJECT

public:
    // Longest wait for the thread at destruction (one profile is 250 reads).
    static constexpr unsigned long StopWaitMs = 30000;

    explicit TerrainProfileWorker(unsigned long stopWaitMs = StopWaitMs);
    // Ends the thread, waiting at most stopWaitMs; call from the thread that
    // made the worker. A thread still held in its reads is left to end by
    // itself (logged), with all it uses.
    ~TerrainProfileWorker() override;

    // Callable from the thread that made the worker; the answer comes with SIG_profileReady.
    void request(const Position& station, double azimuthDeg, double rangeM, const QString& demPath);

signals:
    void SIG_profileReady(TerrainProfile profile);

private:
    const unsigned long m_stopWaitMs;
    QThread* m_thread;
    TerrainProfileJob* m_job; // lives in m_thread, deleted there as it ends
};
