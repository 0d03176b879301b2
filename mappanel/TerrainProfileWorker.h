#pragma once

#include "TerrainProfile.h"

#include <QObject>

class QThread;
class TerrainGrid;
class TerrainProfileJob;

// Computes terrain profiles in a thread of its own, so that reading terrain
// tiles never holds up the GUI. Requests that pile up while one is computed
// collapse into the latest. The heights come from a terrain grid's reader
// (the station's grid, whose tiles this thread loads first), so the tiles
// read stay there for the next profiles.
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
    // The grid must outlive the profile thread; without one the profile has no points.
    void request(const Position& station, double azimuthDeg, double rangeM, TerrainGrid* grid);

signals:
    void SIG_profileReady(TerrainProfile profile);

private:
    const unsigned long m_stopWaitMs;
    QThread* m_thread;
    TerrainProfileJob* m_job; // lives in m_thread, deleted there as it ends
};
