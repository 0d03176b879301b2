#pragma once

#include <qwt_raster_data.h>
#include <vector>

// The polar display's level raster: azimuthCount sectors of one degree, each cut
// along the radius into radiusCount cells, stored sector after sector. Levels run
// from 0 to 10.
class SpectrogramData : public QwtRasterData
{
public:
    static constexpr double MaxLevel = 10.0;

    SpectrogramData(int azimuthCount, int radiusCount, std::vector<double> raster);

    // The cell that holds (azimuth degrees, radius 0..100). Azimuth 360 is north
    // again (sector 0); a radius at or beyond the rim reads the sector's own outer
    // cell. Negative or undefined coordinates read 0.
    double value(double azimuth, double radius) const override;

    int getAzimuthCount() const { return azimuthCount; }
    int getRadiusCount() const { return radiusCount; }
    const std::vector<double>& cells() const { return raster; }

private:
    int azimuthCount;
    int radiusCount;
    std::vector<double> raster;
};
