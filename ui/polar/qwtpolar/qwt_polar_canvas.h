#pragma once

#include <QFrame>

class QwtPolarPlot;

// The drawing surface of a polar plot, and the widget its picker, magnifier and
// panner watch.
class QwtPolarCanvas : public QFrame
{
    Q_OBJECT

public:
    explicit QwtPolarCanvas(QwtPolarPlot* plot);
    QwtPolarPlot* plot() const { return owner; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QwtPolarPlot* owner;
};
