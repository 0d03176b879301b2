#include "SrtmTestTiles.h"

#include "map/terrain/SrtmTile.h"

#include <QByteArray>
#include <QFile>

namespace SrtmTestTiles {

qint16 pattern(int rowFromNorth, int columnFromWest)
{
    return qint16(rowFromNorth * 10 + columnFromWest);
}

bool write(const QString& path, const HeightAt& heightAt)
{
    QByteArray bytes(int(SrtmTile::SizeBytes), '\0');
    int at = 0;
    for (int row = 0; row < SrtmTile::SamplesPerSide; ++row) {
        for (int column = 0; column < SrtmTile::SamplesPerSide; ++column) {
            const auto sample = static_cast<quint16>(heightAt(row, column));
            bytes[at++] = char(sample >> 8);
            bytes[at++] = char(sample & 0xFF);
        }
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool writeOfSize(const QString& path, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(QByteArray(int(size), '\0')) == size;
}

} // namespace SrtmTestTiles
