#include "QDem.h"

#include "TerrainPictureWorker.h"
#include "core/QLogger.h"
#include "map/geo/GeoTools.h"
#include "map/geo/PointOfInterest.h"
#include "map/geo/SGGeodesy.h"
#include "map/terrain/SRTMReader.h"
#include "map/terrain/TerrainGrid.h"

#include <QDebug>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <climits>
#include <cmath>

namespace {
constexpr double BeamLengthM = 100000.0;
constexpr float BeamHalfWidthDeg = 2.0f;
constexpr int MaxColumnCount = 50;
// The drawing thread stops within one column of the picture.
constexpr unsigned long StopBoundMs = 10000;
} // namespace

QDem::QDem(QWidget* parent) : QFrame(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground, true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAttribute(Qt::WA_PaintOnScreen, false);
    setAutoFillBackground(false);
    m_thread.setObjectName("QDem terrain");
}

QDem::~QDem()
{
    stopWorker();
}

void QDem::startWorker()
{
    m_worker = new TerrainPictureWorker(terrainGrid->demPath());
    m_worker->moveToThread(&m_thread);
    connect(this, &QDem::terrainRequested, m_worker, &TerrainPictureWorker::draw);
    connect(m_worker, &TerrainPictureWorker::drawn, this, &QDem::terrainDrawn);
    m_thread.start();
}

void QDem::stopWorker()
{
    if (!m_worker)
        return;
    m_worker->supersede(INT_MAX);
    m_thread.quit();
    if (m_thread.wait(StopBoundMs)) {
        delete m_worker;
    } else {
        // Never deleted under a running thread: leaked rather than crashed.
        QLogger::logError(LogModule, "QDem: the terrain thread did not stop");
        disconnect(m_worker, nullptr, this, nullptr);
    }
    m_worker = nullptr;
}

void QDem::setTerrainGrid(TerrainGrid* grid)
{
    const bool sameFolder = grid && terrainGrid && m_worker && grid->demPath() == terrainGrid->demPath();
    terrainGrid = grid;
    if (!grid)
        return;
    if (!sameFolder) {
        stopWorker();
        startWorker();
    }
    drawTerrain();
}

std::pair<int, int> QDem::geoToPixel(const Position& p) const
{
    const Position station = GeoTools::instance().getStationPosition();
    return {int((p.longitude() - station.longitude()) / degreesPerPixel),
            int((station.latitude() - p.latitude()) / degreesPerPixel)};
}

void QDem::SLOT_updateAntennaDirection(float angleDeg)
{
    azimuth = angleDeg;
    drawOverlay();
    update();
}

void QDem::drawTerrain()
{
    if (terrainPixmap.isNull() || !terrainGrid || !m_worker)
        return;
    ++m_generation;
    m_worker->supersede(m_generation);
    const Position station = GeoTools::instance().getStationPosition();
    emit terrainRequested(m_generation, pixmapSize, station.longitude(), station.latitude(), degreesPerPixel);
}

void QDem::terrainDrawn(int generation, const QImage& picture)
{
    if (generation != m_generation || picture.size() != pixmapSize)
        return;
    terrainPixmap = QPixmap::fromImage(picture);
    qDebug() << "demDraw done";
    update();
}

void QDem::drawOverlay()
{
    if (overlayPixmap.isNull())
        return;
    overlayPixmap.fill(Qt::transparent);
    const int w = pixmapSize.width();
    const int h = pixmapSize.height();
    QPainter painter(&overlayPixmap);
    painter.setPen(QPen(QWidget::palette().color(foregroundRole())));
    painter.setBackground(QWidget::palette().brush(backgroundRole()));
    painter.setFont(font());

    rowCount = h / rowHeight + 1;
    const int f = w / minColumnWidth;
    columnCount = f < MaxColumnCount ? f + f % 2 : MaxColumnCount;

    QFont gridFont("Arial", fontPointSize, QFont::Normal);
    painter.setFont(gridFont);

    painter.setPen(QPen(QColor(0, 0, 0, 48), 1, Qt::DotLine));
    if (columnCount > 0) {
        for (int i = 1; i < columnCount; ++i) {
            const int x = int(float(w) / columnCount * i);
            painter.drawLine(x, 0, x, h - (h / rowCount) / 2);
        }
    }
    for (int i = 1; i < rowCount; ++i) {
        const int y = int(float(h) / rowCount * i);
        painter.drawLine(0, y, w - (w / rowCount) / 2, y);
    }

    const QPoint centre(w / 2, h / 2);
    const Position station = GeoTools::instance().getStationPosition();
    painter.setPen(QPen(Qt::darkBlue));
    std::pair<int, int> end{0, 0};
    for (const float bearing : {azimuth - BeamHalfWidthDeg, azimuth + BeamHalfWidthDeg}) {
        end = geoToPixel(SGGeodesy::direct(station, bearing, BeamLengthM));
        painter.drawLine(centre, centre + QPoint(end.first, end.second));
    }
    const int r = int(std::sqrt(double(end.first) * end.first + double(end.second) * end.second));
    qDebug() << "r=" << r;
    painter.drawEllipse(QRect(QPoint(w / 2 - r, h / 2 - r), QPoint(w / 2 + r - 1, h / 2 + r - 1)));
    painter.drawText(centre, "Q9ZZQ");

    QFont pointFont = painter.font();
    pointFont.setPixelSize(7);
    painter.setFont(pointFont);
    int count = 0;
    for (const PointOfInterest* point : GeoTools::instance().pointsOfInterest()) {
        const std::pair<int, int> offset = geoToPixel(point->position());
        const int cx = centre.x() + offset.first;
        const int cy = centre.y() + offset.second;
        painter.drawEllipse(QRect(QPoint(cx - 3, cy - 3), QPoint(cx + 2, cy + 2)));
        if (count % 3 == 0)
            painter.drawText(cx, cy, point->name);
        ++count;
    }
}

void QDem::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    const QSize size = rect().size();
    if (size.width() < 0 || size.height() < 0 || size == pixmapSize)
        return;
    pixmapSize = size;
    overlayPixmap = QPixmap(size);
    terrainPixmap = QPixmap(size);
    // Until its picture is drawn the terrain shows nothing.
    terrainPixmap.fill(Qt::transparent);
    drawOverlay();
    if (terrainGrid)
        drawTerrain();
}

void QDem::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!terrainPixmap.isNull())
        painter.drawPixmap(0, 0, terrainPixmap);
    if (!overlayPixmap.isNull())
        painter.drawPixmap(0, 0, overlayPixmap);
}

void QDem::mousePressEvent(QMouseEvent* event)
{
    qDebug() << "QDem::mousePressEvent" << event->pos().x() << event->pos().y();
}

void QDem::mouseReleaseEvent(QMouseEvent* event)
{
    qDebug() << "QDem::mouseReleaseEvent" << event->pos().x() << event->pos().y();
}

void QDem::wheelEvent(QWheelEvent* event)
{
    const QPoint at = event->position().toPoint();
    qDebug() << "QDem::wheelEvent" << at.x() << at.y();
}

void QDem::mouseMoveEvent(QMouseEvent* event)
{
    if (terrainPixmap.isNull() || !terrainGrid)
        return;
    const Position station = GeoTools::instance().getStationPosition();
    const double longitude =
        station.longitude() + (event->pos().x() - pixmapSize.width() / 2) * degreesPerPixel;
    const double latitude =
        station.latitude() + (pixmapSize.height() / 2 - event->pos().y()) * degreesPerPixel;
    terrainGrid->lockReader()->setPoint(latitude, longitude);
}
