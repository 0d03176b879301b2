#include "map/terrain/TerrainGrid.h"

#include "map/geo/SGGeodesy.h"
#include "map/terrain/SRTMReader.h"
#include "map/terrain/TerrainPass.h"

#include <QPointF>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kRadials = 721;
constexpr float kFirstRadialDeg = -90.0f;
constexpr float kRadialStepDeg = 0.5f;
constexpr double kDegreesToRadians = 0.017453292519943295;

double validRange(double rangeM)
{
    if (!(rangeM > 0.0))
        return 0.0;
    return std::min(rangeM, TerrainGrid::MaxRangeM);
}

} // namespace

TerrainGrid::TerrainGrid(CentreSource centre, double rangeM)
    : m_centre(std::move(centre)), m_firstCentre(m_centre()), m_reader(std::make_unique<SRTMReader>()),
      m_demPath(m_reader->demPath()), m_rangeM(validRange(rangeM))
{
    const int halfCells = int(m_rangeM / CellSizeM);
    m_columns = 2 * halfCells + 1;
    m_rows = m_columns;
    m_cells.assign(std::size_t(m_rows) * m_columns, Unread);
}

TerrainGrid::~TerrainGrid() = default;

void TerrainGrid::loadTiles()
{
    std::lock_guard<std::mutex> lock(m_readerLock);
    if (m_tilesLoaded)
        return;
    m_tilesLoaded = true;
    m_reader->loadTilesAround(m_firstCentre.longitude(), m_firstCentre.latitude());
}

TerrainGrid::ReaderAccess TerrainGrid::lockReader()
{
    return ReaderAccess(m_readerLock, m_reader.get());
}

Position TerrainGrid::cellPosition(int row, int column) const
{
    return offsetPosition(m_centre(), column - centreIndex(), row - centreIndex());
}

Position TerrainGrid::offsetPosition(const Position& centre, int columnOffset, int rowOffset)
{
    return centre.flatOffsetToPosition(QPointF(columnOffset * CellSizeM, rowOffset * CellSizeM));
}

void TerrainGrid::fillRadials()
{
    // The reader is kept (users hold it): tiles it has already are not read again.
    std::lock_guard<std::mutex> lock(m_readerLock);
    const Position at = m_centre();
    m_reader->loadTilesAround(at.longitude(), at.latitude());
    m_reader->setPoint(at.latitude(), at.longitude());

    TerrainPass pass(*m_reader);
    const double cellsToEdge = m_rangeM / CellSizeM;
    for (int radial = 0; radial < kRadials; ++radial) {
        const float angleDeg = kFirstRadialDeg + kRadialStepDeg * float(radial);
        const double angle = angleDeg * kDegreesToRadians;
        fillRadial(pass, at, int(std::cos(angle) * cellsToEdge), int(std::sin(angle) * cellsToEdge));
    }
}

// Bresenham's walk from the centre cell to the cell (endColumnOffset,
// endRowOffset) away from it, reading each unread cell on the way.
void TerrainGrid::fillRadial(TerrainPass& pass, const Position& centre, int endColumnOffset, int endRowOffset)
{
    const int dx = std::abs(endColumnOffset);
    const int dy = -std::abs(endRowOffset);
    const int stepX = endColumnOffset >= 0 ? 1 : -1;
    const int stepY = endRowOffset >= 0 ? 1 : -1;
    int x = 0;
    int y = 0;
    int error = dx + dy;
    for (;;) {
        qint32& height = cellAt(centreIndex() + y, centreIndex() + x);
        if (height == Unread) {
            const Position point = offsetPosition(centre, x, y);
            height = qint32(pass.heightAt(point.latitude(), point.longitude()));
        }
        if (x == endColumnOffset && y == endRowOffset)
            return;
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

int TerrainGrid::cellsFor(double distanceM, int count) const
{
    if (!(distanceM > CellSizeM))
        return 0;
    const double cells = distanceM / CellSizeM;
    return cells >= count / 2 ? std::max(0, count / 2 - 1) : int(cells);
}

int TerrainGrid::columnDistance(const Position& p) const
{
    const Position at = m_centre();
    return cellsFor(SGGeodesy::distanceM(at, Position(p.longitude(), at.latitude(), 0.0)), m_columns);
}

int TerrainGrid::rowDistance(const Position& p) const
{
    const Position at = m_centre();
    return cellsFor(SGGeodesy::distanceM(at, Position(at.longitude(), p.latitude(), 0.0)), m_rows);
}
