#include "DebugCapture.h"

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

DebugCapture::DebugCapture()
{
    QMutexLocker lock(&capturedMutex);
    captured.clear();
    m_previous = qInstallMessageHandler(collect);
}

DebugCapture::~DebugCapture()
{
    qInstallMessageHandler(m_previous);
}

QStringList DebugCapture::lines() const
{
    QMutexLocker lock(&capturedMutex);
    return captured;
}

bool DebugCapture::contains(const QString& text) const
{
    const QStringList all = lines();
    for (const QString& line : all) {
        if (line.contains(text))
            return true;
    }
    return false;
}
