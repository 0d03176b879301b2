#include "TerrainPicture.h"

#include "map/terrain/TerrainPass.h"

#include <cmath>

namespace {

// The colours the ramp passes through: index and (red, green, blue).
struct Stop
{
    int index;
    int red, green, blue;
};
constexpr Stop Stops[] = {
    {0, 12, 113, 35},    {16, 58, 167, 55},   {32, 121, 202, 100}, {48, 178, 232, 146},
    {62, 220, 254, 187}, {64, 218, 252, 184}, {96, 184, 210, 112}, {128, 170, 175, 64},
    {160, 145, 129, 34}, {192, 120, 84, 15},  {224, 97, 49, 4},    {255, 77, 24, 0},
};

std::array<QColor, 256> makePalette()
{
    std::array<QColor, 256> colours;
    for (std::size_t s = 0; s + 1 < std::size(Stops); ++s) {
        const Stop& a = Stops[s];
        const Stop& b = Stops[s + 1];
        for (int i = a.index; i <= b.index; ++i) {
            const double t = double(i - a.index) / (b.index - a.index);
            auto mix = [t](int from, int to) { return int(std::lround(from + t * (to - from))); };
            colours[std::size_t(i)] = QColor(mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue));
        }
    }
    return colours;
}

} // namespace

TerrainPicture::TerrainPicture(const QString& demPath) : m_reader(demPath) {}

const std::array<QColor, 256>& TerrainPicture::palette()
{
    static const std::array<QColor, 256> colours = makePalette();
    return colours;
}

int TerrainPicture::paletteIndex(double heightM)
{
    if (!(heightM >= 0))
        return 0;
    const double index = heightM * 255 / 256;
    return index > 255 ? 255 : int(index);
}

QImage TerrainPicture::draw(QSize size, double longitude, double latitude, double degreesPerPixel,
                            const std::function<bool()>& cancelled)
{
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const auto& colours = palette();
    const int w = size.width();
    const int h = size.height();
    TerrainPass pass(m_reader);
    m_tilesTried = 0;
    for (int x = 0; x < w; ++x) {
        if (cancelled && cancelled())
            return QImage();
        const double lon = longitude + (x - w / 2) * degreesPerPixel;
        for (int y = 0; y < h; ++y) {
            const double lat = latitude + (h / 2 - y) * degreesPerPixel;
            const double height = pass.heightAt(lat, lon);
            image.setPixel(x, y, colours[std::size_t(paletteIndex(height))].rgb());
        }
    }
    m_tilesTried = pass.tilesTried();
    return image;
}
