#include "core/ThreadStop.h"

#include "core/LogModule.h"
#include "core/QLogger.h"

#include <QThread>

bool endThreadWithin(QThread* thread, unsigned long boundMs, const QString& notEnded,
                     const std::function<void()>& askToEnd)
{
    askToEnd();
    if (thread->wait(boundMs))
        return true;
    QLogger::logError(LogModule, notEnded);
    return false;
}
