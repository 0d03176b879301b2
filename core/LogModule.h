#pragma once

#include <QString>

// The module name every part of the program logs under ("./logs/vantor-sdr.log");
// only the GPS reader has a log of its own.
inline const QString LogModule = QStringLiteral("kv3lab");
