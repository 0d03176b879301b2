#include "FakeTileSource.h"
#include "ProgramLog.h"
#include "TempWorkDir.h"
#include "WaitFor.h"
#include "map/tiles/TileBytes.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr const char* Name = "Test Tiles";

class TileCacheTest : public ::testing::Test
{
protected:
    // A caching source on the test's clock, living in the test thread.
    std::unique_ptr<FakeTileSource>
    makeSource(const QColor& color, MapTileSource::CacheMode mode = MapTileSource::CacheMemoryAndDisk)
    {
        auto source = std::make_unique<FakeTileSource>(color, FakeTileSource::Deliver, mode, Name);
        source->setClock([this] { return now; });
        return source;
    }
    QString tileFile(quint32 x, quint32 y, quint8 z) const
    {
        return work.file(QString("MapCache/%1/%2/%3/%4.png").arg(Name).arg(z).arg(x).arg(y));
    }
    QString expirationsFile() const
    {
        return work.file(QString("MapCache/%1/0/0/cacheExpirations.db").arg(Name));
    }

    TempWorkDir work;
    QDateTime now = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
};

QColor colorOf(const QImage& tile)
{
    return tile.isNull() ? QColor() : tile.pixelColor(128, 128);
}

} // namespace

TEST_F(TileCacheTest, AFinishedTileIsAnnouncedOnceAndCollectedOnce)
{
    ProgramLog::captureUnfiled();
    auto source = makeSource(Qt::red, MapTileSource::CacheOff);
    QSignalSpy announced(source.get(), &MapTileSource::tileRetrieved);
    EXPECT_EQ(colorOf(collectTile(*source, 1, 2, 3)), QColor(Qt::red));
    EXPECT_EQ(announced.count(), 1);
    EXPECT_EQ(source->getFinishedTile(1, 2, 3), nullptr);
    EXPECT_TRUE(
        ProgramLog::text().contains("MapTileSource::getFinishedTile() called, but the tile is not present"));
}

TEST_F(TileCacheTest, ANullTileIsNotAnnounced)
{
    auto source = makeSource(Qt::red, MapTileSource::CacheOff);
    QSignalSpy announced(source.get(), &MapTileSource::tileRetrieved);
    source->deliver(1, 2, 3, nullptr, QDateTime());
    EXPECT_EQ(announced.count(), 0);
}

TEST_F(TileCacheTest, AtMostAHundredTilesWaitToBeCollected)
{
    auto source = makeSource(Qt::red, MapTileSource::CacheOff);
    QSignalSpy announced(source.get(), &MapTileSource::tileRetrieved);
    for (quint32 x = 0; x < 101; ++x)
        source->requestTile(x, 0, 10);
    ASSERT_TRUE(waitFor([&] { return announced.count() == 101; }));
    std::unique_ptr<QImage> oldest(source->getFinishedTile(0, 0, 10));
    std::unique_ptr<QImage> newest(source->getFinishedTile(100, 0, 10));
    EXPECT_EQ(oldest, nullptr);
    EXPECT_NE(newest, nullptr);
}

TEST_F(TileCacheTest, InvalidationEmptiesTheTilesWaitingToBeCollected)
{
    auto source = makeSource(Qt::red, MapTileSource::CacheOff);
    source->deliver(1, 2, 3, new QImage(8, 8, QImage::Format_RGB32), QDateTime());
    emit source->allTilesInvalidated();
    EXPECT_EQ(source->getFinishedTile(1, 2, 3), nullptr);
}

TEST(TileCacheIds, CacheIdsConvertBothWays)
{
    EXPECT_EQ(MapTileSource::xyz2cacheID(530, 360, 10), "530,360,10");
    const struct
    {
        const char* id;
        bool converts;
        quint32 x, y, z;
    } cases[] = {
        {"530,360,10", true, 530, 360, 10},
        {"4294967295,0,18", true, 4294967295u, 0, 18},
        {"1,2", false, 0, 0, 0},
        {"1,2,3,4", false, 0, 0, 0},
        {"a,2,3", false, 0, 0, 0},
        {"1,-2,3", false, 1, 0, 0},
        {"", false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        quint32 x = 0, y = 0, z = 0;
        EXPECT_EQ(MapTileSource::cacheID2xyz(c.id, &x, &y, &z), c.converts) << c.id;
        if (c.converts) {
            EXPECT_EQ(x, c.x) << c.id;
            EXPECT_EQ(y, c.y) << c.id;
            EXPECT_EQ(z, c.z) << c.id;
        }
    }
}

TEST_F(TileCacheTest, TilesComeFromMemoryThenFromDiskAfterARestart)
{
    auto source = makeSource(Qt::red);
    EXPECT_EQ(colorOf(collectTile(*source, 530, 360, 10)), QColor(Qt::red));
    EXPECT_TRUE(QFile::exists(tileFile(530, 360, 10)));
    source->setColor(Qt::blue);
    EXPECT_EQ(colorOf(collectTile(*source, 530, 360, 10)), QColor(Qt::red));
    EXPECT_EQ(source->requestCount(), 1);

    source = makeSource(Qt::green);
    EXPECT_EQ(colorOf(collectTile(*source, 530, 360, 10)), QColor(Qt::red));
    EXPECT_EQ(source->requestCount(), 0);
}

TEST_F(TileCacheTest, AnExpiredTileIsDroppedFromBothCachesAndFetchedAgain)
{
    auto source = makeSource(Qt::red);
    source->setExpiry(now.addSecs(60));
    EXPECT_EQ(colorOf(collectTile(*source, 5, 6, 7)), QColor(Qt::red));
    source->setColor(Qt::blue);
    source->setExpiry(QDateTime());

    now = now.addSecs(59);
    EXPECT_EQ(colorOf(collectTile(*source, 5, 6, 7)), QColor(Qt::red));
    EXPECT_EQ(source->requestCount(), 1);

    now = now.addSecs(1);
    EXPECT_EQ(colorOf(collectTile(*source, 5, 6, 7)), QColor(Qt::blue));
    EXPECT_EQ(source->requestCount(), 2);
    // The fresh tile replaced the expired file.
    EXPECT_EQ(colorOf(QImage(tileFile(5, 6, 7))), QColor(Qt::blue));
}

TEST_F(TileCacheTest, AnExpiredFileIsDeletedWhenLookedUpFromDisk)
{
    auto source = makeSource(Qt::red);
    source->setExpiry(now.addSecs(60));
    collectTile(*source, 5, 6, 7);
    source = makeSource(Qt::blue);
    source->setAnswer(FakeTileSource::Never);
    now = now.addSecs(120);
    EXPECT_TRUE(collectTile(*source, 5, 6, 7, 200).isNull());
    EXPECT_FALSE(QFile::exists(tileFile(5, 6, 7)));
}

TEST_F(TileCacheTest, ATileWithoutExpiryKeepsThreeHundredDays)
{
    auto source = makeSource(Qt::red);
    collectTile(*source, 5, 6, 7);
    source->setColor(Qt::blue);
    now = now.addDays(299);
    EXPECT_EQ(colorOf(collectTile(*source, 5, 6, 7)), QColor(Qt::red));
    now = now.addDays(1);
    EXPECT_EQ(colorOf(collectTile(*source, 5, 6, 7)), QColor(Qt::blue));
}

TEST_F(TileCacheTest, StoringAgainChangesNeitherTheFileNorTheMemoryNorTheExpiry)
{
    auto source = makeSource(Qt::green);
    QImage red(256, 256, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage blue = red;
    blue.fill(Qt::blue);
    source->deliver(5, 6, 7, new QImage(red), now.addSecs(60));
    source->deliver(5, 6, 7, new QImage(blue), now.addSecs(3600));
    delete source->getFinishedTile(5, 6, 7);

    EXPECT_EQ(colorOf(QImage(tileFile(5, 6, 7))), QColor(Qt::red));
    EXPECT_EQ(colorOf(collectTile(*source, 5, 6, 7)), QColor(Qt::red));
    // Still the first expiry: a minute later the tile is fetched again.
    now = now.addSecs(61);
    EXPECT_EQ(colorOf(collectTile(*source, 5, 6, 7)), QColor(Qt::green));
}

TEST_F(TileCacheTest, AnUnreadableCacheFileIsReplacedByTheNextDownload)
{
    auto source = makeSource(Qt::red);
    collectTile(*source, 5, 6, 7);
    source.reset();
    {
        QFile damaged(tileFile(5, 6, 7));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write("half a tile");
    }
    source = makeSource(Qt::blue);
    EXPECT_EQ(colorOf(collectTile(*source, 5, 6, 7)), QColor(Qt::blue));
    EXPECT_EQ(colorOf(QImage(tileFile(5, 6, 7))), QColor(Qt::blue));
}

TEST_F(TileCacheTest, ASourceWithoutCacheWritesNothing)
{
    auto source = makeSource(Qt::red, MapTileSource::CacheOff);
    collectTile(*source, 5, 6, 7);
    collectTile(*source, 5, 6, 7);
    EXPECT_EQ(source->requestCount(), 2);
    source.reset();
    EXPECT_FALSE(QDir(work.file("MapCache")).exists());
}

TEST_F(TileCacheTest, ExpiryTableIsWrittenAtDestructionOnlyOnceUsed)
{
    makeSource(Qt::red).reset();
    EXPECT_FALSE(QFile::exists(expirationsFile()));

    auto source = makeSource(Qt::red);
    source->setExpiry(now.addSecs(3600));
    collectTile(*source, 530, 360, 10);
    source.reset();
    QFile file(expirationsFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    TileBytes::ExpiryTable table;
    ASSERT_TRUE(TileBytes::readExpiryTable(file.readAll(), table));
    EXPECT_EQ(table.value("530,360,10"), now.addSecs(3600));

    // A later source honours the table it finds.
    source = makeSource(Qt::blue);
    now = now.addSecs(3601);
    EXPECT_EQ(colorOf(collectTile(*source, 530, 360, 10)), QColor(Qt::blue));
}

TEST_F(TileCacheTest, ADamagedExpiryTableIsIgnored)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(expirationsFile()).absolutePath()));
    {
        QFile file(expirationsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\xff\xff\xff\xff garbage");
    }
    auto source = makeSource(Qt::red);
    EXPECT_EQ(colorOf(collectTile(*source, 1, 1, 1)), QColor(Qt::red));
}
