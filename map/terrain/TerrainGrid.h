#pragma once

#include "map/geo/Position.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class SRTMReader;
class TerrainPass;

// A square grid of ground heights around a centre, one cell per 90 m by 90 m,
// with its own terrain reader for the tiles around the centre it was made for.
// Cells are indexed (row, column) with row 0 at the south edge and column 0 at
// the west edge; the centre cell is (centreIndex, centreIndex).
//
// Making the grid reads no file: the tiles are loaded by loadTiles, on the
// thread of the first user that needs them, so that the station's grid never
// holds up the window. The reader serves one thread at a time: every use goes
// through lockReader.
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

    // The grid's reader with the grid's lock held for as long as this lives.
    class ReaderAccess
    {
    public:
        SRTMReader* operator->() const { return m_reader; }
        SRTMReader& operator*() const { return *m_reader; }

    private:
        friend class TerrainGrid;
        ReaderAccess(std::mutex& lock, SRTMReader* reader) : m_lock(lock), m_reader(reader) {}
        std::unique_lock<std::mutex> m_lock;
        SRTMReader* m_reader;
    };

    // rangeM: half the side of the grid, brought into [0, MaxRangeM].
    TerrainGrid(CentreSource centre, double rangeM);
    ~TerrainGrid();

    TerrainGrid(const TerrainGrid&) = delete;
    TerrainGrid& operator=(const TerrainGrid&) = delete;

    // Loads the tiles within two degrees of the centre the grid was made for,
    // on the calling thread; only the first call reads them.
    void loadTiles();
    // The grid's terrain reader, used by the terrain profile. Waits while
    // another thread uses it.
    ReaderAccess lockReader();
    // The folder the reader reads its tiles from (fixed when the grid is made).
    QString demPath() const { return m_demPath; }
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
    void fillRadial(TerrainPass& pass, const Position& centre, int endColumnOffset, int endRowOffset);

    CentreSource m_centre;
    const Position m_firstCentre; // the tiles are loaded around it
    std::mutex m_readerLock;      // guards the reader and m_tilesLoaded
    std::unique_ptr<SRTMReader> m_reader;
    QString m_demPath;
    bool m_tilesLoaded = false;
    double m_rangeM = 0.0;
    int m_columns = 1;
    int m_rows = 1;
    std::vector<qint32> m_cells;
};
