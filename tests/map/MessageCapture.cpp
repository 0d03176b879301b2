#include "MessageCapture.h"

#include <QMutex>

namespace {

QMutex capturedMutex;
QStringList captured;

void collect(QtMsgType, const QMessageLogContext&, const QString& message)
{
    QMutexLocker lock(&capturedMutex);
    captured << message;
}

} // namespace

MessageCapture::MessageCapture()
{
    QMutexLocker lock(&capturedMutex);
    captured.clear();
    m_previous = qInstallMessageHandler(collect);
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(m_previous);
}

QStringList MessageCapture::messages() const
{
    QMutexLocker lock(&capturedMutex);
    return captured;
}

bool MessageCapture::contains(const QString& text) const
{
    const QStringList all = messages();
    for (const QString& message : all) {
        if (message.contains(text))
            return true;
    }
    return false;
}
