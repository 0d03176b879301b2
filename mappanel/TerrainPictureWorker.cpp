#include "TerrainPictureWorker.h"

TerrainPictureWorker::TerrainPictureWorker(const QString& demPath) : m_picture(demPath) {}

void TerrainPictureWorker::draw(int generation, QSize size, double longitude, double latitude,
                                double degreesPerPixel)
{
    auto stale = [this, generation] { return generation < m_latest; };
    if (stale())
        return;
    QImage picture = m_picture.draw(size, longitude, latitude, degreesPerPixel, stale);
    if (!picture.isNull())
        emit drawn(generation, picture);
}
