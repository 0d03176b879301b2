#include "ui/plotter/WaterfallPalette.h"

#include <algorithm>

QRgb waterfallColor(int index)
{
    const int i = std::clamp(index, 0, 255);
    if (i < 20)
        return qRgb(0, 0, 0);
    if (i < 70)
        return qRgb(0, 0, 140 * (i - 20) / 50);
    if (i < 100) {
        const int k = i - 70;
        return qRgb(2 * k, 125 * k / 30, 140 + 115 * k / 30);
    }
    if (i < 150) {
        const int k = i - 100;
        return qRgb(60 + 195 * k / 50, 125 + 130 * k / 50, 255 - 255 * k / 50);
    }
    if (i < 250) {
        const int k = i - 150;
        return qRgb(255, 255 - 255 * k / 100, 0);
    }
    const int k = i - 250;
    return qRgb(255, 51 * k, 51 * k);
}
