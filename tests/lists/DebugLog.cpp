#include "DebugLog.h"

namespace {
QStringList captured;

void capture(QtMsgType, const QMessageLogContext&, const QString& message)
{
    captured.append(message);
}
} // namespace

DebugLog::DebugLog()
{
    captured.clear();
    m_previous = qInstallMessageHandler(capture);
}

DebugLog::~DebugLog()
{
    qInstallMessageHandler(m_previous);
}

QStringList DebugLog::lines() const
{
    return captured;
}
