// Cost of panning the map: a 1280 x 800 map view at zoom 10 showing the map
// panel's arrangement (network layer under the grid, in a composite source),
// its tiles all in the disk cache, panned east by 50 pixels per frame. A frame
// is the pan, the events it brings (tiles arriving, the 200 ms tile layout when
// due) and the repaint of the view. Also counted: tiles delivered to the view
// per second, and the process's resident memory after warm-up and at the end.
//
// Usage: bench_map_view [frames=400] [interval_ms=16]
#include "core/AppPaths.h"
#include "map/graphics/MapGraphicsScene.h"
#include "map/graphics/MapGraphicsView.h"
#include "map/graphics/PrivateQGraphicsView.h"
#include "map/tiles/CompositeTileSource.h"
#include "map/tiles/GridTileSource.h"
#include "map/tiles/OSMTileSource.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {
constexpr int Width = 1280;
constexpr int Height = 800;
constexpr quint8 Zoom = 10;
constexpr int PanPixels = 50;
constexpr double TargetMedianMs = 8.0;
const QPointF Start(2.5, 48.8);

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(std::ceil(p * values.size())) - 1;
    return values[std::min(index, values.size() - 1)];
}

double residentMiB()
{
    long pages = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr)
        return 0.0;
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
        resident = 0;
    std::fclose(statm);
    return resident * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Street-map-like tiles, each different, in the network source's disk cache.
int fillDiskCache(const QString& appDir, int firstColumn, int lastColumn, int firstRow, int lastRow)
{
    int written = 0;
    for (int x = firstColumn; x <= lastColumn; ++x) {
        const QString folder = QString("%1/MapCache/OpenStreetMap Tiles/%2/%3").arg(appDir).arg(Zoom).arg(x);
        QDir().mkpath(folder);
        for (int y = firstRow; y <= lastRow; ++y) {
            QImage tile(256, 256, QImage::Format_RGB32);
            tile.fill(QColor(240, 236, 228));
            QPainter painter(&tile);
            painter.setPen(QPen(QColor(250, 200, 120), 6));
            painter.drawLine(0, (x * 37 + y * 11) % 256, 256, (x * 13 + y * 29) % 256);
            painter.setPen(QPen(QColor(170, 200, 230), 3));
            painter.drawEllipse(QPoint((x * 53) % 256, (y * 71) % 256), 40, 25);
            painter.setPen(Qt::darkGray);
            painter.drawText(tile.rect(), Qt::AlignCenter, QString("%1 / %2").arg(x).arg(y));
            painter.end();
            written += tile.save(QString("%1/%2.png").arg(folder).arg(y)) ? 1 : 0;
        }
    }
    return written;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int frames = argc > 1 ? std::max(1, atoi(argv[1])) : 400;
    const int intervalMs = argc > 2 ? std::max(0, atoi(argv[2])) : 16;

    QTemporaryDir appDir;
    AppPaths::setApplicationDir(appDir.path());
    {
        // No tile may come from the network: a closed port.
        QSettings settings(AppPaths::programSettingsFile(), QSettings::IniFormat);
        settings.setValue("Map/tile_server", "http://127.0.0.1:9");
    }
    // Every tile the run can reach: the view's tiles and the layout's margin,
    // along the whole pan.
    const QPointF startTile = OSMTileSource().geoToScene(Start, Zoom) / 256.0;
    const int panTiles = frames * PanPixels / 256 + 1;
    const int cached = fillDiskCache(appDir.path(), int(startTile.x()) - 8, int(startTile.x()) + panTiles + 8,
                                     int(startTile.y()) - 6, int(startTile.y()) + 6);

    MapGraphicsScene scene;
    MapGraphicsView view(&scene);
    view.resize(Width, Height);
    view.show();
    auto composite = makeTileSource<CompositeTileSource>();
    composite->addSourceBottom(makeTileSource<OSMTileSource>(OSMTileSource::OSMTiles), 1.0);
    composite->addSourceTop(makeTileSource<GridTileSource>(), 1.0);
    int delivered = 0;
    QObject::connect(composite.data(), &MapTileSource::tileRetrieved, &view, [&] { ++delivered; });
    view.setTileSource(composite);
    composite.clear();
    view.setZoomLevel(Zoom);
    view.centerOn(Start);

    // Warm-up: the first screen of tiles.
    QElapsedTimer warmUp;
    warmUp.start();
    while (delivered < 40 && warmUp.elapsed() < 20000)
        app.processEvents(QEventLoop::AllEvents, 10);
    const double memoryBefore = residentMiB();

    PrivateQGraphicsView* inner = view.findChild<PrivateQGraphicsView*>();
    QScrollBar* horizontal = inner->horizontalScrollBar();
    std::vector<double> costsMs;
    costsMs.reserve(frames);
    const int deliveredBefore = delivered;
    QElapsedTimer run;
    QTimer clock;
    clock.setTimerType(Qt::PreciseTimer);
    QObject::connect(&clock, &QTimer::timeout, [&] {
        QElapsedTimer timer;
        timer.start();
        horizontal->setValue(horizontal->value() + PanPixels);
        app.processEvents();
        inner->viewport()->repaint();
        costsMs.push_back(timer.nsecsElapsed() / 1e6);
        if (static_cast<int>(costsMs.size()) == frames)
            app.quit();
    });
    run.start();
    clock.start(intervalMs);
    app.exec();
    const double seconds = run.elapsed() / 1000.0;
    const double memoryAfter = residentMiB();

    const double median = percentile(costsMs, 0.5);
    const double p99 = percentile(costsMs, 0.99);
    std::printf("bench_map_view: %d frames, view %d x %d at zoom %d, panned %d px per frame every %d ms, "
                "%d tiles in the disk cache\n",
                frames, Width, Height, int(Zoom), PanPixels, intervalMs, cached);
    std::printf(
        "  frame cost (pan + events + repaint): median %.3f ms, 99th percentile %.3f ms, max %.3f ms\n",
        median, p99, *std::max_element(costsMs.begin(), costsMs.end()));
    std::printf("  tiles delivered to the view: %d in %.1f s, %.1f per second\n", delivered - deliveredBefore,
                seconds, (delivered - deliveredBefore) / seconds);
    std::printf("  resident memory: %.1f MiB after warm-up, %.1f MiB at the end (%+.1f MiB)\n", memoryBefore,
                memoryAfter, memoryAfter - memoryBefore);
    std::printf("  target: median under %.1f ms per frame -> %s\n", TargetMedianMs,
                median < TargetMedianMs ? "met" : "NOT met");
    return 0;
}
