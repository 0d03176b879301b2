#include "engine/record/AudioRecordingThread.h"

#include "engine/SampleFifo.h"
#include "engine/plugins/PluginManager.h"

#include <QMutexLocker>

AudioRecordingThread::AudioRecordingThread(const QString& name, QObject* parent)
    : QThread(parent), m_fifo(new SampleFifo(this))
{
    setObjectName(name);
    // The counter plug-in is a widget: the manager must exist before the
    // recorder thread calls it, so it is built here, in the GUI thread.
    PluginManager::instance();
}

void AudioRecordingThread::stopAndWait()
{
    m_stop.request();
    wait();
}

bool AudioRecordingThread::startRecording(qint64 frequencyHz)
{
    if (m_running.load() || isRunning())
        return false;
    m_frequency.store(frequencyHz);
    // Set here rather than in the thread, so that a stop asked right after
    // the start is not lost and the mixing thread queues blocks at once.
    m_stop.clear();
    m_fifo->flush();
    m_running.store(true);
    start(QThread::InheritPriority);
    return true;
}

void AudioRecordingThread::stopRecording()
{
    m_stop.request();
}

QString AudioRecordingThread::fileName() const
{
    QMutexLocker locker(&m_nameLock);
    return m_fileName;
}

void AudioRecordingThread::setFileName(const QString& name)
{
    QMutexLocker locker(&m_nameLock);
    m_fileName = name;
}
