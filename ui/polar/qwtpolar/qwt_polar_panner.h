#pragma once

#include <qwt_panner.h>

class QwtPolarCanvas;

// Drags a zoomed polar plot: the point dragged to the centre becomes the zoom position.
class QwtPolarPanner : public QwtPanner
{
    Q_OBJECT

public:
    explicit QwtPolarPanner(QwtPolarCanvas* canvas);

public slots:
    void movePlot(int dx, int dy);
};
