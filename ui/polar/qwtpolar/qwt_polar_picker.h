#pragma once

#include <qwt_picker.h>
#include <qwt_point_polar.h>

class QwtPolarCanvas;
class QwtPolarPlot;

// A picker on a polar canvas whose tracker shows the polar position under the pointer.
class QwtPolarPicker : public QwtPicker
{
    Q_OBJECT

public:
    explicit QwtPolarPicker(QwtPolarCanvas* canvas);

    QwtPolarPlot* plot() const;
    QwtPointPolar invTransform(const QPoint& pos) const;

protected:
    QwtText trackerText(const QPoint& pos) const override;
    // "radius, azimuth" with four decimals.
    virtual QwtText trackerTextPolar(const QwtPointPolar& pos) const;
};
