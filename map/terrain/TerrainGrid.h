#pragma once

#include "map/geo/Position.h"

#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>

class SRTMReader;

// A square grid of ground heights around a centre, one cell per 90 m by 90 m,
// with its own terrain reader preloaded with the tiles around the centre.
// Cells are indexed (row, column) with row 0 at the south edge and column 0 at
// the west edge; the centre cell is (centreIndex, centreIndex).
class TerrainGrid
{
public:
    // Marker of a cell whose height has not been read.
    static constexpr qint32 Unread = -16384;
    static constexpr double CellSizeM = 90.0;
    // Half sides beyond this are refused (the grid would take gigabytes).
    static constexpr double MaxRangeM = 200000.0;

    // Gives the centre at the moment of asking, so that the grid follows it.
    using CentreSource = std::function<Position()>;

    // rangeM: half the side of the grid, brought into [0, MaxRangeM].
    // Loads the tiles within two degrees of the centre before returning.
    TerrainGrid(CentreSource centre, double rangeM);
    ~TerrainGrid();

    TerrainGrid(const TerrainGrid&) = delete;
    TerrainGrid& operator=(const TerrainGrid&) = delete;

    // The grid's terrain reader, used by the terrain profile.
    SRTMReader* reader() const { return m_reader.get(); }
    Position centre() const { return m_centre(); }
    double rangeM() const { return m_rangeM; }
    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    int centreIndex() const { return m_columns / 2; }
    qint32 cell(int row, int column) const { return m_cells[std::size_t(row) * m_columns + column]; }

    // The point a cell stands for: whole cells east and north of the centre.
    Position cellPosition(int row, int column) const;

    // Reads the height of every unread cell along 721 radials from the centre
    // (every half degree, both ends included), after loading the tiles around
    // the centre as it is now.
    void fillRadials();

    // Distance of a point from the centre in cells, along the east-west axis
    // (columnDistance) or the north-south axis (rowDistance): 0 within one cell,
    // at most half the grid minus one.
    int columnDistance(const Position& p) const;
    int rowDistance(const Position& p) const;

private:
    qint32& cellAt(int row, int column) { return m_cells[std::size_t(row) * m_columns + column]; }
    static Position offsetPosition(const Position& centre, int columnOffset, int rowOffset);
    int cellsFor(double distanceM, int count) const;
    void fillRadial(const Position& centre, int endColumnOffset, int endRowOffset);

    CentreSource m_centre;
    std::unique_ptr<SRTMReader> m_reader;
    double m_rangeM = 0.0;
    int m_columns = 1;
    int m_rows = 1;
    std::vector<qint32> m_cells;
};
