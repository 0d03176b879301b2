#include "TerrainProfileWorker.h"

#include "map/terrain/SRTMReader.h"

#include <QDebug>
#include <QThread>

class TerrainProfileWorker::Job : public QObject
{
public:
    std::unique_ptr<SRTMReader> reader;
};

TerrainProfileWorker::TerrainProfileWorker() : m_thread(new QThread), m_job(new Job)
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
                                   const QString& demPath)
{
    const quint64 id = ++m_latestRequest;
    QMetaObject::invokeMethod(
        m_job,
        [this, id, station, azimuthDeg, rangeM, demPath] {
            if (id != m_latestRequest.load())
                return; // a newer request waits behind this one
            if (!m_job->reader || m_job->reader->demPath() != demPath)
                m_job->reader = std::make_unique<SRTMReader>(demPath);
            emit SIG_profileReady(TerrainProfile::compute(*m_job->reader, station, azimuthDeg, rangeM));
        },
        Qt::QueuedConnection);
}
