#pragma once

#include <QRgb>

// Colour of waterfall level index 0 (weakest, black) to 255 (strongest, white),
// through dark blue, light blue, yellow and red. Out-of-range indexes are clamped.
QRgb waterfallColor(int index);
