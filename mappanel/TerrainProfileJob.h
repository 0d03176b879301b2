#pragma once

#include "TerrainProfile.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class SRTMReader;

// The profile thread's side of the terrain profile worker: the terrain reader
// kept between profiles and the number of the latest request. It shares
// nothing with the worker, so that a thread still computing when the worker
// goes uses nothing the worker freed.
class TerrainProfileJob : public QObject
{
    Q_OBJECT
public:
    TerrainProfileJob();
    ~TerrainProfileJob() override;

    // Numbers a new request; any thread.
    quint64 newRequest() { return ++m_latestRequest; }
    // On the profile thread: computes and announces the profile, unless a
    // newer request waits behind this one.
    void compute(quint64 request, const Position& station, double azimuthDeg, double rangeM,
                 const QString& demPath);

signals:
    void profileReady(TerrainProfile profile);

private:
    std::unique_ptr<SRTMReader> m_reader;
    std::atomic<quint64> m_latestRequest{0};
};
