#include "TerrainProfileWorker.h"

#include "TerrainProfileJob.h"

#include <QDebug>
#include <QThread>

TerrainProfileWorker::TerrainProfileWorker(unsigned long stopWaitMs)
    : m_stopWaitMs(stopWaitMs), m_thread(new QThread), m_job(new TerrainProfileJob)
{
    qRegisterMetaType<TerrainProfile>();
    m_thread->setObjectName(QStringLiteral("TerrainProfileWorker"));
    m_job->moveToThread(m_thread);
    // The job goes on its own thread as the thread ends, whenever that is.
    connect(m_thread, &QThread::finished, m_job, &QObject::deleteLater);
    connect(m_job, &TerrainProfileJob::profileReady, this, &TerrainProfileWorker::SIG_profileReady);
    m_thread->start(QThread::LowPriority);
}

TerrainProfileWorker::~TerrainProfileWorker()
{
    m_thread->quit();
    if (m_thread->wait(m_stopWaitMs)) {
        delete m_thread;
        return;
    }
    // Never free what a running thread still uses: the thread keeps its job
    // and is released once it ends.
    qWarning() << "TerrainProfileWorker: the profile thread did not end within" << m_stopWaitMs
               << "ms; it is left to end by itself";
    QThread* thread = m_thread;
    const auto release = [thread] {
        qWarning() << "TerrainProfileWorker: the profile thread ended late";
        thread->deleteLater();
    };
    connect(thread, &QThread::finished, thread, release);
    // It may have ended before the connection was made.
    if (thread->isFinished())
        QMetaObject::invokeMethod(thread, release, Qt::QueuedConnection);
}

void TerrainProfileWorker::request(const Position& station, double azimuthDeg, double rangeM,
                                   TerrainGrid* grid)
{
    TerrainProfileJob* job = m_job;
    const quint64 id = job->newRequest();
    QMetaObject::invokeMethod(
        job,
        [job, id, station, azimuthDeg, rangeM, grid] {
            job->compute(id, station, azimuthDeg, rangeM, grid);
        },
        Qt::QueuedConnection);
}
