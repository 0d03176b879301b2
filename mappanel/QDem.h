#pragma once

#include "map/geo/Position.h"

#include <QFrame>
#include <QPixmap>
#include <QSize>
#include <QThread>

#include <utility>

class TerrainGrid;
class TerrainPictureWorker;

// The terrain around the station as a coloured height picture, two SRTM
// samples per pixel, the station at the centre, north up; over it a dotted
// grid, the antenna beam edges out to 100 km, a circle of that radius, the
// station label and the points of interest of the station service.
//
// The height picture is drawn on a thread of this widget, with a terrain
// reader of its own (the grid's reader serves the terrain profile): a resize or a
// new grid asks for a picture and returns at once; the picture shows when it
// is done, and a newer request drops an older one. The thread is joined by the
// destructor.
class QDem : public QFrame
{
    Q_OBJECT

public:
    explicit QDem(QWidget* parent = nullptr);
    ~QDem() override;

    QSize sizeHint() const override { return QSize(180, 180); }
    QSize minimumSizeHint() const override { return QSize(50, 50); }

    // The grid whose terrain folder the picture is read from; the picture is
    // (re)drawn when it is not none.
    void setTerrainGrid(TerrainGrid* grid);

    // Offset in pixels of a point from the picture centre, y downwards.
    std::pair<int, int> geoToPixel(const Position& p) const;

    // Degrees of longitude and of latitude per pixel: two SRTM3 samples.
    static constexpr double DegreesPerPixel = 2.0 / 1201.0;

public slots:
    void SLOT_updateAntennaDirection(float angleDeg);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

signals:
    // Internal: hands a request to the drawing thread.
    void terrainRequested(int generation, QSize size, double longitude, double latitude, double degreesPerPixel);

private slots:
    void terrainDrawn(int generation, const QImage& picture);

private:
    void drawTerrain();
    void drawOverlay();
    void startWorker();
    void stopWorker();

    QSize pixmapSize{0, 0};
    QPixmap overlayPixmap;
    QPixmap terrainPixmap;
    int columnCount = 12;
    int rowCount = 6;
    int fontPointSize = 8;
    int minColumnWidth = 60;
    int rowHeight = 40;
    TerrainGrid* terrainGrid = nullptr;
    float azimuth = 0.0f;
    double degreesPerPixel = DegreesPerPixel;

    QThread m_thread;
    TerrainPictureWorker* m_worker = nullptr; // lives in m_thread
    int m_generation = 0;
};
