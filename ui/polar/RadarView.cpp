#include "ui/polar/RadarView.h"

#include "core/AntennaSystem.h"
#include "core/GlobalRFData.h"
#include "ui/polar/AzimuthScaleDraw.h"
#include "ui/polar/MyPicker.h"
#include "ui/polar/SpectrogramData.h"
#include "ui/polar/qwtpolar/qwt_polar_canvas.h"
#include "ui/polar/qwtpolar/qwt_polar_grid.h"
#include "ui/polar/qwtpolar/qwt_polar_magnifier.h"
#include "ui/polar/qwtpolar/qwt_polar_marker.h"
#include "ui/polar/qwtpolar/qwt_polar_panner.h"
#include "ui/polar/qwtpolar/qwt_polar_spectrogram.h"

#include <QMutexLocker>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <qwt_picker_machine.h>
#include <qwt_symbol.h>

namespace {
constexpr int RefreshMs = 1000;

// Any azimuth into [0, 360): the antenna's reported azimuth carries a north
// correction and may leave that range. Undefined values count as 0.
double wrappedAzimuth(double azimuth)
{
    if (!std::isfinite(azimuth))
        return 0.0;
    const double wrapped = std::fmod(std::fmod(azimuth, 360.0) + 360.0, 360.0);
    return wrapped < 360.0 ? wrapped : 0.0;
}

std::vector<double> zeroRaster()
{
    return std::vector<double>(size_t(RadarView::AzimuthSteps) * RadarView::RadiusSteps, 0.0);
}
} // namespace

RadarView::RadarView(QWidget* parent) : QwtPolarPlot(parent)
{
    setAutoReplot(false);
    setPlotBackground(QBrush(Qt::darkBlue));
    // North up; the scale runs from 360 down to 0 so that azimuth grows clockwise,
    // as on a compass and on the map's antenna beam.
    setAzimuthOrigin(M_PI / 2);
    setScale(QwtPolar::Azimuth, 360.0, 0.0, 30.0);
    setScaleMaxMinor(QwtPolar::Azimuth, 2);
    setScale(QwtPolar::Radius, 0.0, 100.0);
    setScaleMaxMinor(QwtPolar::Radius, 2);

    grid = new QwtPolarGrid();
    grid->setPen(QPen(Qt::white));
    for (int scaleId = 0; scaleId < QwtPolar::ScaleCount; ++scaleId) {
        grid->showGrid(scaleId);
        grid->showMinorGrid(scaleId);
    }
    grid->setMinorGridPen(QPen(Qt::gray));
    grid->setAxisPen(QwtPolar::AxisAzimuth, QPen(Qt::black));
    grid->setAzimuthScaleDraw(new AzimuthScaleDraw());
    grid->showAxis(QwtPolar::AxisAzimuth, true);
    grid->showAxis(QwtPolar::AxisLeft, false);
    grid->showAxis(QwtPolar::AxisRight, true);
    grid->showAxis(QwtPolar::AxisTop, false);
    grid->showAxis(QwtPolar::AxisBottom, false);
    grid->setZ(2);
    grid->attach(this);

    levelLayer = new QwtPolarSpectrogram();
    levelLayer->setPaintAttribute(QwtPolarSpectrogram::ApproximatedAtan, true);
    levelLayer->setData(new SpectrogramData(AzimuthSteps, RadiusSteps, zeroRaster()));
    levelLayer->setZ(1);
    levelLayer->attach(this);

    auto* picker = new MyPicker(canvas());
    picker->setStateMachine(new QwtPickerDragPointMachine());
    picker->setMousePattern(QwtEventPattern::MouseSelect1, Qt::RightButton);
    picker->setTrackerMode(QwtPicker::AlwaysOn);
    auto* magnifier = new QwtPolarMagnifier(canvas());
    magnifier->setMouseButton(Qt::RightButton, Qt::ShiftModifier);
    new QwtPolarPanner(canvas());

    AntennaSystem* antenna = AntennaSystem::instance();
    connect(antenna, &AntennaSystem::SIG_AntennaOrientationChanged, this,
            &RadarView::SLOT_AntennaOrientationChanged, Qt::QueuedConnection);

    const double azimuth = wrappedAzimuth(antenna->getAzimuth());
    sector = std::min(int(azimuth), AzimuthSteps - 1);
    antennaMarker = new QwtPolarMarker();
    antennaMarker->setPosition(QwtPointPolar(azimuth, MarkerRadius));
    antennaMarker->setSymbol(
        new QwtSymbol(QwtSymbol::Ellipse, QBrush(Qt::white), QPen(Qt::green), QSize(9, 9)));
    QwtText label(tr("Antenne"));
    label.setColor(Qt::black);
    label.setBackgroundBrush(QBrush(QColor(255, 255, 255, 200)));
    antennaMarker->setLabel(label);
    antennaMarker->setLabelAlignment(Qt::AlignHCenter | Qt::AlignTop);
    antennaMarker->attach(this);

    setAutoReplot(true);
    replot();

    refreshTimer = new QTimer();
    connect(refreshTimer, &QTimer::timeout, this, &RadarView::SLOT_update);
}

RadarView::~RadarView()
{
    delete refreshTimer;
}

void RadarView::startRefresh()
{
    refreshTimer->start(RefreshMs);
}

double RadarView::levelOf(double dB)
{
    const double level = dB / 7.0 + 15.0;
    return std::isnan(level) ? 0.0 : std::clamp(level, 0.0, SpectrogramData::MaxLevel);
}

void RadarView::SLOT_AntennaOrientationChanged(float newAzimuth, float)
{
    const double azimuth = wrappedAzimuth(newAzimuth);
    QMutexLocker locker(&lock);
    antennaMarker->setPosition(QwtPointPolar(azimuth, MarkerRadius));
    sector = std::min(int(azimuth), AzimuthSteps - 1);
}

void RadarView::SLOT_update()
{
    int length = 0;
    int sampleRate = 0;
    double* values = nullptr;
    GlobalRFData::instance()->getSpectrum(&length, &values, &sampleRate);
    if (length >= RadiusSteps && values != nullptr)
        writeSector(values, length);
    if (length > 0)
        free(values);
}

void RadarView::writeSector(const double* values, int n)
{
    QMutexLocker locker(&lock);
    const auto* current = static_cast<const SpectrogramData*>(levelLayer->data());
    std::vector<double> raster = current->cells();
    const int perCell = n / RadiusSteps;
    for (int r = 0; r < RadiusSteps; ++r) {
        double strongest = -std::numeric_limits<double>::infinity();
        for (int i = 0; i < perCell; ++i)
            strongest = std::fmax(strongest, values[r * perCell + i]);
        raster[size_t(sector) * RadiusSteps + size_t(r)] = levelOf(strongest);
    }
    levelLayer->setData(new SpectrogramData(AzimuthSteps, RadiusSteps, std::move(raster)));
}
