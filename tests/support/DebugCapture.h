#pragma once

#include <QStringList>
#include <QtGlobal>

// Collects Qt's debug output (debug, warning, critical lines) while it lives,
// in place of printing it. Lines may come from any thread. One at a time.
class DebugCapture
{
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    // Every line so far, in order.
    QStringList lines() const;
    // True when some line contains text.
    bool contains(const QString& text) const;

private:
    QtMessageHandler m_previous;
};
