#pragma once

#include "map/terrain/SRTMReader.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <array>
#include <functional>

// The coloured height picture around a point: pixel (x, y) of a W x H picture
// shows the ground at longitude lon0 + (x - W/2) s and latitude
// lat0 + (H/2 - y) s, s degrees per pixel, coloured from dark green at sea
// level to dark brown from 256 m up. Owns its terrain reader, so it may run on
// a thread of its own; tiles read stay in memory for later pictures.
class TerrainPicture
{
public:
    explicit TerrainPicture(const QString& demPath);

    // Returns a null image when cancelled() turns true (checked per column).
    QImage draw(QSize size, double longitude, double latitude, double degreesPerPixel,
                const std::function<bool()>& cancelled = {});

    // Tiles the last picture asked for: each is opened at most once per
    // picture, however many pixels fall on it (a missing tile is common).
    int tilesTried() const { return m_tilesTried; }

    // Colour of a height: index 0 below 0 m (no data too), int(h x 255/256) up to 255.
    static int paletteIndex(double heightM);
    static const std::array<QColor, 256>& palette();

private:
    SRTMReader m_reader;
    int m_tilesTried = 0;
};
