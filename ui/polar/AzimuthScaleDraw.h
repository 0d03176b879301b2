#pragma once

#include <qwt_round_scale_draw.h>

// Azimuth labels: "0" for north (0 and 360 alike), the plain value for the
// multiples of 45 degrees.
class AzimuthScaleDraw : public QwtRoundScaleDraw
{
public:
    QwtText label(double value) const override;
};
