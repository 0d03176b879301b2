#pragma once

#include <qwt_color_map.h>

// Colour scale of the polar display's levels and of its colour bar: dark blue at
// 0 through blue, cyan, green and red to yellow at 1.
class ColorMap : public QwtLinearColorMap
{
public:
    ColorMap();
};
