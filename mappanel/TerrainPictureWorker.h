#pragma once

#include "TerrainPicture.h"

#include <QImage>
#include <QObject>

#include <atomic>

// Draws terrain pictures on the thread it lives in, so that reading tiles
// never holds up the GUI thread. A request superseded by a newer one (or
// cancelled) before its picture is done is dropped.
class TerrainPictureWorker : public QObject
{
    Q_OBJECT

public:
    explicit TerrainPictureWorker(const QString& demPath);

    // Callable from any thread: the requests of generations below this one
    // are dropped, also while they are being drawn.
    void supersede(int generation) { m_latest = generation; }

public slots:
    void draw(int generation, QSize size, double longitude, double latitude, double degreesPerPixel);

signals:
    void drawn(int generation, QImage picture);

private:
    TerrainPicture m_picture;
    std::atomic<int> m_latest{0};
};
