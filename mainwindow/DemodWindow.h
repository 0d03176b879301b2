#pragma once

#include <QWidget>
#include <qwt_plot.h>

class QwtPlotCurve;

// A rolling plot of the last Length values, newest at the right.
class Trace : public QwtPlot
{
    Q_OBJECT
public:
    static constexpr int Length = 512;

    explicit Trace(QWidget* parent = nullptr);
    void addValue(double value);
    const double* values() const { return m_values; }

private:
    QwtPlotCurve* m_curve;
    double m_values[Length] = {};
    double m_indices[Length];
};

// A small window holding one Trace and a "Fermer" button; shows itself at once.
// However it is closed, it says so (window_closed) before it closes.
class DemodWindow : public QWidget
{
    Q_OBJECT
public:
    explicit DemodWindow(QWidget* parent = nullptr);
    Trace* trace() const { return m_trace; }

signals:
    void window_closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void PRIVSLOT_Quit();

private:
    Trace* m_trace;
};
