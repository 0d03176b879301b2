#pragma once

#include "ui/polar/qwtpolar/qwt_polar_plot.h"

#include <QMutex>

class QTimer;
class QwtPolarGrid;
class QwtPolarMarker;
class QwtPolarSpectrogram;

// Polar display of the antenna: azimuth clockwise from north at the top, a marker
// "Antenne" on the antenna direction, and a level layer of 360 one-degree sectors
// cut along the radius into 100 cells covering the full-band spectrum from its
// lowest frequency (centre) to its highest (rim). A refresh writes the latest
// spectrum into the sector the antenna points to.
class RadarView : public QwtPolarPlot
{
    Q_OBJECT

public:
    static constexpr int AzimuthSteps = 360;
    static constexpr int RadiusSteps = 100;
    static constexpr double MarkerRadius = 99;

    explicit RadarView(QWidget* parent = nullptr);
    ~RadarView() override;

    QwtPolarSpectrogram* spectrogram() const { return levelLayer; }
    const QwtPolarMarker* marker() const { return antennaMarker; }
    int getSector() const { return sector; }
    void startRefresh();

    // A spectrum level (dB) as shown by a cell: dB / 7 + 15 within 0..10.
    static double levelOf(double dB);

public slots:
    void SLOT_AntennaOrientationChanged(float newAzimuth, float newElevation);
    void SLOT_update();

private:
    // Writes one spectrum (n dB values, n >= RadiusSteps) into the current sector.
    void writeSector(const double* values, int n);

    QMutex lock;
    QwtPolarGrid* grid = nullptr;
    QwtPolarSpectrogram* levelLayer = nullptr;
    QwtPolarMarker* antennaMarker = nullptr;
    QTimer* refreshTimer = nullptr;
    int sector = 0;
};
