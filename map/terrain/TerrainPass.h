#pragma once

#include <QHash>
#include <QtGlobal>

class SRTMReader;

// The heights of one picture, profile or grid fill read through a terrain
// reader. A tile that is not in memory is looked for once per pass, however
// many points fall on it (a missing tile is common: the sea, the edge of the
// downloaded area); the next pass looks for it again, so that a tile added
// while the program runs is found.
class TerrainPass
{
public:
    explicit TerrainPass(SRTMReader& reader) : m_reader(reader) {}

    // The height at a point as the reader gives it; -1.0 on a tile that this
    // pass found missing, and for a point that is not finite.
    double heightAt(double latitude, double longitude);
    // Tiles this pass has reached.
    int tilesTried() const { return m_tileFound.size(); }

private:
    SRTMReader& m_reader;
    // Each tile reached, by the floor of its south-west corner, and whether the
    // reader holds it.
    QHash<quint64, bool> m_tileFound;
};
