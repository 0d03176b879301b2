#pragma once

#include <QtGlobal>
#include <optional>

class FrequencyConverter;

// The receiver's frequency error from one known signal.
// realFrequency: the true frequency of the signal RX A is tuned to; offset:
// RX A's offset from the centre; centre: the receiver's centre when the
// measurement began; currentPpm: the correction the receiver applies now.
// With a correction in force, the nominal centre is the corrected one and the
// result replaces that correction. With a converter, both frequencies are
// compared as the receiver tunes them. A reference of 0 Hz or less has no
// error to give: nullopt.
std::optional<float> frequencyErrorPpm(qint64 realFrequency, int offset, qint64 centre, double currentPpm,
                                       const FrequencyConverter* converter);
