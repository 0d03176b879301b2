#pragma once

#include <QString>

// The UTC clock's text "hh:mm:ss.t": tenths of a second, so that the clock's
// eleven digits always hold the hour's first digit.
QString utcClockText(int hour, int minute, int second, int millisecond);
