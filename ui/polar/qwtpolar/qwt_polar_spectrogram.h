#pragma once

#include "ui/polar/qwtpolar/qwt_polar_item.h"

#include <memory>

class QwtColorMap;
class QwtRasterData;

// Raster data shown over the plot circle: every pixel takes the value at its
// (azimuth, radius), coloured by the colour map over the data's z interval.
class QwtPolarSpectrogram : public QwtPolarItem
{
public:
    enum PaintAttribute { ApproximatedAtan = 0x01 };

    QwtPolarSpectrogram();
    ~QwtPolarSpectrogram() override;

    // Accepted for compatibility: every pixel's angle is computed exactly.
    void setPaintAttribute(PaintAttribute attribute, bool on = true);
    // Both take ownership and delete what they replace.
    void setData(QwtRasterData* data);
    const QwtRasterData* data() const { return rasterData.get(); }
    void setColorMap(QwtColorMap* colorMap);
    const QwtColorMap* colorMap() const { return colours.get(); }

    void draw(QPainter* painter, const QwtScaleMap& azimuthMap, const QwtScaleMap& radialMap,
              const QPointF& pole, double radius, const QRectF& canvasRect) const override;

private:
    std::unique_ptr<QwtRasterData> rasterData;
    std::unique_ptr<QwtColorMap> colours;
};
