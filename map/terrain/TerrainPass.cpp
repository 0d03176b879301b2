#include "map/terrain/TerrainPass.h"

#include "map/terrain/SRTMReader.h"

#include <cmath>

namespace {

quint64 tileKey(double latitude, double longitude)
{
    return (quint64(quint32(qint32(std::floor(latitude)))) << 32) | quint32(qint32(std::floor(longitude)));
}

} // namespace

double TerrainPass::heightAt(double latitude, double longitude)
{
    // No tile lies off the globe (this also keeps the key's conversion defined).
    if (!(std::abs(latitude) <= 90.0) || !(std::abs(longitude) <= 360.0))
        return -1.0;
    const quint64 key = tileKey(latitude, longitude);
    const auto found = m_tileFound.constFind(key);
    if (found != m_tileFound.constEnd() && !*found)
        return -1.0;
    m_reader.setPoint(latitude, longitude);
    const double height = m_reader.getHeight();
    if (found == m_tileFound.constEnd())
        m_tileFound.insert(key, m_reader.hasTile(m_reader.tileName()));
    return height;
}
