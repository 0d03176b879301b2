#include "TerrainProfileWorker.h"

#include "map/terrain/SRTMReader.h"
#include "map/terrain/TerrainGrid.h"

#include <QDebug>
#include <QThread>

TerrainProfileWorker::TerrainProfileWorker() : m_thread(new QThread), m_job(new QObject)
{
    qRegisterMetaType<TerrainProfile>();
    m_thread->setObjectName(QStringLiteral("TerrainProfileWorker"));
    m_job->moveToThread(m_thread);
    m_thread->start(QThread::LowPriority);
}

TerrainProfileWorker::~TerrainProfileWorker()
{
    m_thread->quit();
    if (!m_thread->wait(StopWaitMs)) {
        // Never free what a running thread still uses.
        qWarning() << "TerrainProfileWorker::~TerrainProfileWorker() the profile thread did not end";
        return;
    }
    delete m_job;
    delete m_thread;
}

void TerrainProfileWorker::request(const Position& station, double azimuthDeg, double rangeM,
                                   TerrainGrid* grid)
{
    const quint64 id = ++m_latestRequest;
    QMetaObject::invokeMethod(
        m_job,
        [this, id, station, azimuthDeg, rangeM, grid] {
            if (id != m_latestRequest.load())
                return; // a newer request waits behind this one
            TerrainProfile profile;
            profile.rangeM = rangeM;
            if (grid != nullptr) {
                grid->loadTiles();
                profile = TerrainProfile::compute(*grid->lockReader(), station, azimuthDeg, rangeM);
            }
            emit SIG_profileReady(profile);
        },
        Qt::QueuedConnection);
}
