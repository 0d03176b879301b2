#pragma once

#include "ui/polar/qwtpolar/qwt_polar_picker.h"

// The polar display's picker: its tracker text stands on a light background.
class MyPicker : public QwtPolarPicker
{
    Q_OBJECT

public:
    using QwtPolarPicker::QwtPolarPicker;

protected:
    QwtText trackerTextPolar(const QwtPointPolar& pos) const override;
};
