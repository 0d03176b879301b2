#include "TileThreads.h"

#include "MapTileSource.h"

#include <QThread>
#include <QtDebug>

namespace TileThreads {

QThread* host(MapTileSource* source, const QString& name)
{
    QThread* thread = new QThread();
    thread->setObjectName(name);
    thread->start(QThread::InheritPriority);
    source->moveToThread(thread);
    // Direct: quitting is thread-safe, and must not wait for the thread that
    // owns the QThread object to serve its events.
    QObject::connect(source, &QObject::destroyed, thread, &QThread::quit, Qt::DirectConnection);
    return thread;
}

bool join(QThread* thread, int timeoutMs)
{
    if (thread == nullptr)
        return true;
    if (!thread->wait(timeoutMs)) {
        qWarning() << "Thread" << thread->objectName() << "did not end within" << timeoutMs << "ms";
        releaseWhenFinished(thread);
        return false;
    }
    delete thread;
    return true;
}

void releaseWhenFinished(QThread* thread)
{
    if (thread == nullptr)
        return;
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (thread->isFinished())
        thread->deleteLater();
}

} // namespace TileThreads
