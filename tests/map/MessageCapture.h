#pragma once

#include <QStringList>
#include <QtGlobal>

// Collects Qt's debug and warning output for the life of the object, in place
// of printing it. One at a time.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    QStringList messages() const;
    // True when some message contains text.
    bool contains(const QString& text) const;

private:
    QtMessageHandler m_previous;
};
