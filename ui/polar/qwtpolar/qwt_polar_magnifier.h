#pragma once

#include <qwt_magnifier.h>

class QwtPolarCanvas;

// Zooms a polar plot around its zoom position by mouse, wheel and keys; Home unzooms.
class QwtPolarMagnifier : public QwtMagnifier
{
    Q_OBJECT

public:
    explicit QwtPolarMagnifier(QwtPolarCanvas* canvas);

protected:
    void rescale(double factor) override;
    void widgetKeyPressEvent(QKeyEvent* event) override;
};
