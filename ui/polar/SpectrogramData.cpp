#include "ui/polar/SpectrogramData.h"

#include <algorithm>

SpectrogramData::SpectrogramData(int azimuths, int radii, std::vector<double> cells)
    : azimuthCount(std::max(1, azimuths)), radiusCount(std::max(1, radii)), raster(std::move(cells))
{
    raster.resize(size_t(azimuthCount) * size_t(radiusCount), 0.0);
    setInterval(Qt::ZAxis, QwtInterval(0.0, MaxLevel));
}

double SpectrogramData::value(double azimuth, double radius) const
{
    if (!(azimuth >= 0) || !(radius >= 0))
        return 0.0;
    const int sector = int(azimuthCount * std::min(azimuth / 360.0, 1.0)) % azimuthCount;
    const int cell = std::min(int(radiusCount * std::min(radius / 100.0, 1.0)), radiusCount - 1);
    return raster[size_t(sector) * size_t(radiusCount) + size_t(cell)];
}
