#include "ui/scanner/ColorMap.h"

ColorMap::ColorMap() : QwtLinearColorMap(Qt::darkBlue, Qt::yellow, QwtColorMap::RGB)
{
    addColorStop(0.05, Qt::blue);
    addColorStop(0.3, Qt::cyan);
    addColorStop(0.6, Qt::green);
    addColorStop(0.98, Qt::red);
}
