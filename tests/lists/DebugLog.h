#pragma once

#include <QStringList>
#include <QtGlobal>

// Collects the debug output written while it exists (one entry per message).
class DebugLog
{
public:
    DebugLog();
    ~DebugLog();
    DebugLog(const DebugLog&) = delete;
    DebugLog& operator=(const DebugLog&) = delete;

    QStringList lines() const;
    bool contains(const QString& line) const { return lines().contains(line); }

private:
    QtMessageHandler m_previous;
};
