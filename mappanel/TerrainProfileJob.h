#pragma once

#include "TerrainProfile.h"

#include <QObject>

#include <atomic>

class TerrainGrid;

// The profile thread's side of the terrain profile worker: the number of the
// latest request. It shares nothing with the worker, so that a thread still
// computing when the worker goes uses nothing the worker freed.
class TerrainProfileJob : public QObject
{
    Q_OBJECT
public:
    TerrainProfileJob();
    ~TerrainProfileJob() override;

    // Numbers a new request; any thread.
    quint64 newRequest() { return ++m_latestRequest; }
    // On the profile thread: computes and announces the profile from the
    // grid's reader (loading the grid's tiles first), unless a newer request
    // waits behind this one. Without a grid the profile has no points.
    void compute(quint64 request, const Position& station, double azimuthDeg, double rangeM,
                 TerrainGrid* grid);

signals:
    void profileReady(TerrainProfile profile);

private:
    std::atomic<quint64> m_latestRequest{0};
};
