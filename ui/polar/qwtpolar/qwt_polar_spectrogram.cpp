#include "ui/polar/qwtpolar/qwt_polar_spectrogram.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <qwt_color_map.h>
#include <qwt_raster_data.h>
#include <qwt_scale_map.h>

namespace {
constexpr double TwoPi = 2 * M_PI;
}

QwtPolarSpectrogram::QwtPolarSpectrogram() : colours(std::make_unique<QwtLinearColorMap>())
{
    setZ(20);
}

QwtPolarSpectrogram::~QwtPolarSpectrogram() = default;

void QwtPolarSpectrogram::setPaintAttribute(PaintAttribute, bool) {}

void QwtPolarSpectrogram::setData(QwtRasterData* data)
{
    if (data == rasterData.get())
        return;
    rasterData.reset(data);
    itemChanged();
}

void QwtPolarSpectrogram::setColorMap(QwtColorMap* colorMap)
{
    if (colorMap == nullptr || colorMap == colours.get())
        return;
    colours.reset(colorMap);
    itemChanged();
}

void QwtPolarSpectrogram::draw(QPainter* painter, const QwtScaleMap& azimuthMap, const QwtScaleMap& radialMap,
                               const QPointF& pole, double radius, const QRectF& canvasRect) const
{
    if (!rasterData || radius <= 0)
        return;
    const QRectF circle(pole.x() - radius, pole.y() - radius, 2 * radius, 2 * radius);
    const QRect area = circle.intersected(canvasRect).toAlignedRect();
    if (area.isEmpty())
        return;

    const QwtInterval zInterval = rasterData->interval(Qt::ZAxis);
    const double lowAngle = std::min(azimuthMap.p1(), azimuthMap.p2());
    QImage image(area.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int row = 0; row < area.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        const double dy = area.top() + row + 0.5 - pole.y();
        for (int col = 0; col < area.width(); ++col) {
            const double dx = area.left() + col + 0.5 - pole.x();
            const double r = std::hypot(dx, dy);
            if (r > radius)
                continue;
            double angle = std::atan2(-dy, dx);
            angle = lowAngle + std::fmod(std::fmod(angle - lowAngle, TwoPi) + TwoPi, TwoPi);
            const double value = rasterData->value(azimuthMap.invTransform(angle), radialMap.invTransform(r));
            line[col] = colours->rgb(zInterval, value);
        }
    }
    painter->drawImage(area.topLeft(), image);
}
