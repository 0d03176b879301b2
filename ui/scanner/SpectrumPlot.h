#pragma once

#include <QMutex>
#include <QPointF>
#include <qwt_plot.h>
#include <vector>

class QwtPlotCurve;
class QwtPlotMarker;
class QwtPlotPicker;

// The scanner's plot: the coarse full-band spectrum with a max-hold curve, the
// strongest level marked and labelled, and a line for each receive channel.
// Frequencies on the bottom axis are MHz. A click on the canvas asks to tune there.
class SpectrumPlot : public QwtPlot
{
    Q_OBJECT

public:
    static constexpr double HoldFloor = -200.0;

    SpectrumPlot(QWidget* parent, bool withGrid);

    // Takes n levels (dB) covering span hertz around centre.
    void setSpectrum(qint64 centre, const double* values, int n, double span);
    void setYRange(float min, float max);
    // A negative centre or a span of zero or less keeps the old value.
    void setCenterAndSpan(double centre, double span);
    void resetMaxHold();
    void setShowMax(bool show);

    double getYMin() const { return yMin; }
    double getYMax() const { return yMax; }
    int getCount() const { return count; }
    double maxHoldAt(int i) const { return maxHold.at(i); }
    const QwtPlotCurve* getLevelCurve() const { return levelCurve; }
    const QwtPlotMarker* getPeakMarker() const { return peakMarker; }
    const QwtPlotMarker* getMarker(int channel) const { return channel != 0 ? markerB : markerA; }

public slots:
    void SLOT_setCurrentRXFreq(double rx_freq, int channel);
    void SLOT_selected(const QPointF& pos);

signals:
    void NewDemodFreq(qint64 freq, qint64 delta);

private:
    void resize(int n);
    // The bottom axis over the data's band, in MHz.
    void showFrequencies();

    QwtPlotCurve* levelCurve = nullptr;
    QwtPlotCurve* maxCurve = nullptr;
    QwtPlotMarker* peakMarker = nullptr;
    QwtPlotMarker* markerA = nullptr;
    QwtPlotMarker* markerB = nullptr;
    QwtPlotPicker* picker = nullptr;
    bool showMax = true;
    bool showPeak = true;
    double centre = 0;
    double span = 1000000;
    double yMax = -70;
    double yMin = -120;
    QMutex lock;
    std::vector<double> levels;
    std::vector<double> maxHold;
    std::vector<double> xValues;
    int count = 0;
};
