#pragma once

#include "engine/dsp/Complex.h"

#include <qwt_plot.h>

class QwtPlotCurve;

// One plot of the time-domain view over a window of complex samples. Modes:
// 0 the in-phase part, 1 the envelope (+/- magnitude as sticks), 2 the phase
// in degrees, 3 a rolling history of the window's level in dB, one point per
// redraw. The curves draw the plot's own fixed arrays, so a redraw allocates nothing.
class DataPlot : public QwtPlot
{
    Q_OBJECT
public:
    static constexpr int Length = 2048;
    // Lowest level the history shows: silence must not put -inf into the axis.
    static constexpr double FloorDb = -200.0;

    DataPlot(QWidget* parent, bool withGrid);

    void setMode(int mode);
    int mode() const { return m_mode; }
    // Kept for a triggered display; the drawing does not use it yet.
    void setTrigger(int mode) { m_trigger = mode; }
    int trigger() const { return m_trigger; }
    // The sample window that SLOT_newData draws (Length samples, not owned).
    void setData(const Complex* samples) { m_data = samples; }
    // Draws n samples (the view always hands its whole window: n == Length).
    void updateData(const Complex* samples, int n);

    const double* yValues() const { return m_y; }
    const double* yMirror() const { return m_mirror; }
    QwtPlotCurve* mainCurve() const { return m_mainCurve; }
    QwtPlotCurve* posCurve() const { return m_posCurve; }
    QwtPlotCurve* negCurve() const { return m_negCurve; }

public slots:
    void SLOT_newData();

private:
    void showPhase(const Complex* samples, int n);
    void showInPhase(const Complex* samples, int n);
    void showEnvelope(const Complex* samples, int n);
    void showLevel(const Complex* samples, int n);

    QwtPlotCurve* m_posCurve;
    QwtPlotCurve* m_negCurve;
    QwtPlotCurve* m_mainCurve;
    double m_x[Length];
    double m_y[Length] = {};
    double m_mirror[Length] = {};
    int m_mode = 0;
    int m_trigger = 0;
    bool m_autoScale = true;
    double m_low = -1.0;
    double m_high = 1.0;
    bool m_resetHistory = true;
    const Complex* m_data = nullptr;
};
