#pragma once

#include <QString>

// The module name every part of the program logs under ("./logs/vantor-sdr.log");
// only the GPS reader has a log of its own.
inline const QString LogModule = QStringLiteral("kv3lab");

// The module of the map's tile sources and of two lines of the driver loader.
// The program registers no file for it, so its lines are dropped unless a
// caller (a test, a debugging session) gives it one.
inline const QString UnfiledLogModule = QStringLiteral("Orvex");
