#include "map/tiles/CompositeTileSource.h"
#include "DebugCapture.h"
#include "FakeTileSource.h"
#include "WaitFor.h"
#include "map/tiles/GridTileSource.h"
#include "map/tiles/MapTileLayerListModel.h"

#include <QPointer>
#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>

namespace {

QSharedPointer<FakeTileSource> layer(const QColor& color,
                                     FakeTileSource::Answer answer = FakeTileSource::Deliver)
{
    return makeTileSource<FakeTileSource>(color, answer);
}

QColor pixel(const QImage& tile)
{
    return tile.isNull() ? QColor() : tile.pixelColor(128, 128);
}

// Equal within the rounding of 8-bit blending.
bool near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
           std::abs(a.blue() - b.blue()) <= 3 && std::abs(a.alpha() - b.alpha()) <= 3;
}

// Reaches rows the model does not have.
class OpenModel : public MapTileLayerListModel
{
public:
    using MapTileLayerListModel::MapTileLayerListModel;
    QModelIndex row(int r) const { return createIndex(r, 0); }
};

} // namespace

TEST(CompositeTileSource, PaintsLayersBottomUpWithTheirOpacity)
{
    const struct
    {
        const char* name;
        qreal topOpacity;
        bool topEnabled;
        bool withBottom;
        QColor expected;
    } cases[] = {
        {"half blue over red", 0.5, true, true, QColor(127, 0, 128)},
        {"disabled top", 0.5, false, true, QColor(Qt::red)},
        {"opaque top", 1.0, true, true, QColor(Qt::blue)},
        // A single layer is drawn at full opacity whatever it stores.
        {"single layer", 0.3, true, false, QColor(Qt::blue)},
    };
    for (const auto& c : cases) {
        CompositeTileSource composite;
        if (c.withBottom)
            composite.addSourceBottom(layer(Qt::red), 1.0);
        composite.addSourceTop(layer(Qt::blue), c.topOpacity);
        composite.setEnabledFlag(0, c.topEnabled);
        const QColor result = pixel(collectTile(composite, 3, 4, 5));
        EXPECT_TRUE(near(result, c.expected)) << c.name << ": " << result.name(QColor::HexArgb).toStdString();
    }
}

TEST(CompositeTileSource, ATileWaitsForEveryLayerAndLeavesOutTheLayersThatFail)
{
    CompositeTileSource composite;
    auto bottom = layer(Qt::red, FakeTileSource::Never);
    composite.addSourceBottom(bottom);
    composite.addSourceTop(layer(Qt::blue), 0.5);
    EXPECT_TRUE(collectTile(composite, 1, 1, 1, 300).isNull());

    // Offline: the bottom layer fails, the top layer still shows.
    bottom->setAnswer(FakeTileSource::Fail);
    const QImage partial = collectTile(composite, 1, 1, 1);
    EXPECT_TRUE(near(pixel(partial), QColor(0, 0, 255, 128)));
}

TEST(CompositeTileSource, FailsATileOnlyWhenEveryLayerFails)
{
    CompositeTileSource composite;
    composite.addSourceBottom(layer(Qt::red, FakeTileSource::Fail));
    composite.addSourceTop(layer(Qt::blue, FakeTileSource::Fail));
    QSignalSpy failed(&composite, &MapTileSource::tileFailed);
    QSignalSpy announced(&composite, &MapTileSource::tileRetrieved);
    composite.requestTile(2, 3, 4);
    ASSERT_TRUE(waitFor([&] { return failed.count() == 1; }));
    EXPECT_EQ(failed.at(0), (QList<QVariant>{2u, 3u, QVariant::fromValue(quint8(4))}));
    EXPECT_EQ(announced.count(), 0);
}

TEST(CompositeTileSource, TilesWaitingForASilentLayerAreBounded)
{
    CompositeTileSource composite;
    auto silent = layer(Qt::red, FakeTileSource::Hold);
    silent->setObjectName("silent");
    composite.addSourceBottom(silent);
    composite.addSourceTop(layer(Qt::blue), 0.5);
    const int requested = CompositeTileSource::MaxPendingTiles + 44;
    for (int x = 0; x < requested; ++x)
        composite.requestTile(quint32(x), 0, 12);
    ASSERT_TRUE(waitFor([&] { return silent->requestCount() == requested; }, 60000));

    // The layer answers at last: only the newest tiles are still awaited.
    DebugCapture debug;
    QSignalSpy announced(&composite, &MapTileSource::tileRetrieved);
    silent->setAnswer(FakeTileSource::Deliver);
    silent->releaseHeld();
    ASSERT_TRUE(waitFor([&] { return announced.count() == CompositeTileSource::MaxPendingTiles; }, 60000));
    serveEventsPast(100);
    EXPECT_EQ(announced.count(), CompositeTileSource::MaxPendingTiles);
    EXPECT_EQ(debug.lines().filter("received unknown tile").filter("silent").size(), 44);
    for (const QList<QVariant>& tile : announced)
        EXPECT_GE(tile.at(0).toUInt(), 44u);
}

TEST(CompositeTileSource, ALayerTileLostBeforeItWasCollectedIsAskedForAgain)
{
    CompositeTileSource composite;
    auto burst = layer(Qt::red, FakeTileSource::Hold);
    composite.addSourceTop(burst);
    // More tiles at once than a source keeps waiting to be collected (100).
    const int requested = 150;
    for (int x = 0; x < requested; ++x)
        composite.requestTile(quint32(x), 0, 12);
    ASSERT_TRUE(waitFor([&] { return burst->requestCount() == requested; }, 60000));
    QSignalSpy announced(&composite, &MapTileSource::tileRetrieved);
    burst->setAnswer(FakeTileSource::Deliver);
    burst->releaseHeld();
    EXPECT_TRUE(waitFor([&] { return announced.count() == requested; }, 60000));
}

TEST(CompositeTileSource, OpacityIsHeldToZeroToOne)
{
    CompositeTileSource composite;
    composite.addSourceTop(layer(Qt::red), 0.5);
    const struct
    {
        qreal asked, stored;
    } cases[] = {{1.7, 1.0}, {-0.2, 0.0}, {std::nan(""), 0.0}, {0.25, 0.25}};
    for (const auto& c : cases) {
        composite.setOpacity(0, c.asked);
        EXPECT_EQ(composite.getOpacity(0), c.stored) << c.asked;
    }
    QSignalSpy changed(&composite, &CompositeTileSource::sourcesChanged);
    composite.setOpacity(0, 0.25);
    composite.setEnabledFlag(0, true);
    EXPECT_EQ(changed.count(), 0);
}

TEST(CompositeTileSource, LayerOperationsOutsideTheListChangeNothing)
{
    CompositeTileSource composite;
    composite.addSourceTop(layer(Qt::red));
    composite.addSourceTop(layer(Qt::blue));
    QSignalSpy changed(&composite, &CompositeTileSource::sourcesChanged);
    composite.moveSource(0, 5);
    composite.moveSource(-1, 0);
    composite.removeSource(-1);
    composite.removeSource(2);
    composite.setOpacity(7, 0.5);
    composite.setEnabledFlag(-3, false);
    composite.addSourceTop(QSharedPointer<MapTileSource>());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(composite.numSources(), 2);
    EXPECT_TRUE(composite.getSource(2).isNull());
    EXPECT_EQ(composite.getOpacity(-1), 0.0);
    EXPECT_FALSE(composite.getEnabledFlag(9));
}

TEST(CompositeTileSource, AddingALayerAnnouncesItThenInvalidatesTheTiles)
{
    CompositeTileSource composite;
    composite.addSourceTop(layer(Qt::red));
    QStringList order;
    QObject::connect(&composite, &CompositeTileSource::sourceAdded,
                     [&](int i) { order << QString("added %1").arg(i); });
    QObject::connect(&composite, &CompositeTileSource::sourcesChanged, [&] { order << "changed"; });
    QObject::connect(&composite, &MapTileSource::allTilesInvalidated, [&] { order << "invalidated"; });
    composite.addSourceBottom(layer(Qt::blue));
    EXPECT_EQ(order, (QStringList{"added 1", "changed", "invalidated"}));
}

TEST(CompositeTileSource, ReorderingChangesWhichLayerIsOnTop)
{
    CompositeTileSource composite;
    composite.addSourceBottom(layer(Qt::red));
    composite.addSourceBottom(layer(Qt::blue));
    EXPECT_EQ(pixel(collectTile(composite, 0, 0, 0)), QColor(Qt::red));
    composite.moveSource(0, 1);
    EXPECT_EQ(pixel(collectTile(composite, 0, 0, 0)), QColor(Qt::blue));
    composite.removeSource(0);
    EXPECT_EQ(composite.numSources(), 1);
    EXPECT_EQ(pixel(collectTile(composite, 0, 0, 0)), QColor(Qt::red));
}

TEST(CompositeTileSource, WithoutLayersItDrawsAnEmptyTileOverTheWholeZoomRange)
{
    CompositeTileSource composite;
    const QImage tile = collectTile(composite, 0, 0, 3);
    ASSERT_EQ(tile.size(), QSize(256, 256));
    EXPECT_EQ(QColor(tile.pixel(2, 2)), QColor(Qt::white));
    EXPECT_EQ(composite.minZoomLevel(QPointF()), 0);
    EXPECT_EQ(composite.maxZoomLevel(QPointF()), 50);
    EXPECT_EQ(composite.tileSize(), 256);
}

TEST(CompositeTileSource, ZoomRangeIsWhatEveryLayerCovers)
{
    CompositeTileSource composite;
    composite.addSourceBottom(
        makeTileSource<FakeTileSource>(Qt::red, FakeTileSource::Deliver, MapTileSource::CacheOff, "Map", 18));
    composite.addSourceTop(makeTileSource<GridTileSource>());
    EXPECT_EQ(composite.minZoomLevel(QPointF()), 0);
    EXPECT_EQ(composite.maxZoomLevel(QPointF()), 18);
    EXPECT_EQ(composite.geoToScene(QPointF(0, 0), 1), QPointF(256, 256));
}

TEST(CompositeTileSource, LayersGoInTheirOwnThreadsWhenTheCompositeGoes)
{
    QPointer<FakeTileSource> watched;
    QThread* layerThread = nullptr;
    {
        auto composite = makeTileSource<CompositeTileSource>();
        auto fake = layer(Qt::red);
        watched = fake.data();
        composite->addSourceTop(fake);
        layerThread = fake->thread();
        EXPECT_NE(layerThread, QThread::currentThread());
        EXPECT_EQ(layerThread->objectName(), "CompositeTileSource::sourceThread");
    }
    // The composite joined the layer's thread before it went.
    EXPECT_TRUE(watched.isNull());
}

TEST(MapTileLayerListModel, ShowsTheLayerNames)
{
    auto composite = makeTileSource<CompositeTileSource>();
    composite->addSourceBottom(makeTileSource<FakeTileSource>(Qt::red, FakeTileSource::Deliver,
                                                              MapTileSource::CacheOff, "Street map"));
    composite->addSourceTop(makeTileSource<GridTileSource>());
    OpenModel model(composite.toWeakRef());
    EXPECT_EQ(model.rowCount(), 2);
    const struct
    {
        QModelIndex index;
        int role;
        QVariant value;
    } cases[] = {
        {model.index(0), Qt::DisplayRole, "Grid Tiles"},
        {model.index(1), Qt::DisplayRole, "Street map"},
        {model.index(0), Qt::EditRole, QVariant()},
        {QModelIndex(), Qt::DisplayRole, "Invalid index"},
        {model.row(5), Qt::DisplayRole, "Index out of bounds"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(model.data(c.index, c.role), c.value) << c.value.toString().toStdString();

    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    composite->addSourceTop(makeTileSource<GridTileSource>());
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(model.rowCount(), 3);
}
