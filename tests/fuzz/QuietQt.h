#pragma once

#include <QtGlobal>

// Silences Qt's messages: a fuzz target reports what it finds by crashing, and
// a message an input provokes would only slow the run down.
inline void silenceQtMessages()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}
