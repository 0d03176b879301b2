#include "map/tiles/OSMTileSource.h"
#include "FakeTileSource.h"
#include "ProgramLog.h"
#include "LoopbackHttpServer.h"
#include "TempWorkDir.h"
#include "WaitFor.h"
#include "map/tiles/TileThreads.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

#include <memory>

namespace {

// The transfer time-out the tests set: a hanging server fails a tile after it,
// and one that answers does so well within it, also on a loaded machine.
constexpr int kTransferTimeoutMs = 2000;

class OSMTileSourceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ProgramLog::captureUnfiled();
        setSetting(OSMTileSource::TileServerKey, server.url());
        setSetting(OSMTileSource::MapQuestTileServerKey, server.url());
    }
    void setSetting(const QString& key, const QString& value)
    {
        QSettings settings(work.file("conf/vantor-sdr.conf"), QSettings::IniFormat);
        settings.setValue(OSMTileSource::SettingsGroup + "/" + key, value);
    }
    std::unique_ptr<OSMTileSource> makeSource(int type = OSMTileSource::OSMTiles)
    {
        auto source = std::make_unique<OSMTileSource>(type);
        source->setClock([this] { return now; });
        return source;
    }
    static LoopbackHttpServer::Reply png(const QColor& color, const QByteArray& extraHeaders = QByteArray())
    {
        LoopbackHttpServer::Reply reply;
        reply.body = pngTile(color);
        reply.contentType = "image/png";
        reply.extraHeaders = extraHeaders;
        return reply;
    }
    int logLines(const QString& text) const { return ProgramLog::text().count(text); }

    TempWorkDir work;
    LoopbackHttpServer server;
    QDateTime now = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
};

QColor colorOf(const QImage& tile)
{
    return tile.isNull() ? QColor() : tile.pixelColor(128, 128);
}

} // namespace

TEST_F(OSMTileSourceTest, FetchesEachTypeFromItsPathAndCachesItUnderItsExtension)
{
    server.setReply("/10/530/360.png", png(Qt::red));
    LoopbackHttpServer::Reply jpeg;
    jpeg.body = jpegTile(Qt::blue);
    jpeg.contentType = "image/jpeg";
    server.setReply("/tiles/1.0.0/osm/10/530/360.jpg", jpeg);
    server.setReply("/tiles/1.0.0/sat/10/530/360.jpg", jpeg);
    const struct
    {
        int type;
        const char* cacheFile;
        const char* fileFormat;
    } cases[] = {
        {OSMTileSource::OSMTiles, "MapCache/OpenStreetMap Tiles/10/530/360.png", "\x89PNG"},
        // JPEG data kept under "png" is re-encoded as PNG.
        {OSMTileSource::MapQuestOSMTiles, "MapCache/MapQuestOSM Tiles/10/530/360.png", "\x89PNG"},
        {OSMTileSource::MapQuestAerialTiles, "MapCache/MapQuest Aerial Tiles/10/530/360.jpg", "\xff\xd8"},
        {7, "MapCache/Unknown Tiles/10/530/360.jpg", "\xff\xd8"},
    };
    for (const auto& c : cases) {
        auto source = makeSource(c.type);
        const QImage tile = collectTile(*source, 530, 360, 10);
        ASSERT_FALSE(tile.isNull()) << c.type;
        QFile file(work.file(c.cacheFile));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.cacheFile;
        EXPECT_TRUE(file.readAll().startsWith(c.fileFormat)) << c.cacheFile;
    }
    EXPECT_EQ(server.count("/10/530/360.png"), 1);
    EXPECT_EQ(server.count("/tiles/1.0.0/sat/10/530/360.jpg"), 2);
    for (const LoopbackHttpServer::Request& request : server.requests())
        EXPECT_EQ(request.headers.at("user-agent"), "MapGraphics");
}

TEST_F(OSMTileSourceTest, OneRequestPerTileWhileItIsPending)
{
    LoopbackHttpServer::Reply slow = png(Qt::red);
    slow.delayMs = 300;
    server.setReply("/5/1/2.png", slow);
    auto source = makeSource();
    QSignalSpy announced(source.get(), &MapTileSource::tileRetrieved);
    source->requestTile(1, 2, 5);
    ASSERT_TRUE(waitFor([&] { return server.count("/5/1/2.png") == 1; }));
    source->requestTile(1, 2, 5);
    ASSERT_TRUE(waitFor([&] { return announced.count() == 1; }));
    // The second request was made while the first was pending and is gone.
    serveEventsPast(100);
    EXPECT_EQ(server.count("/5/1/2.png"), 1);
    EXPECT_EQ(announced.count(), 1);
}

TEST_F(OSMTileSourceTest, AFailedTileIsSignalledLoggedOnceAndCanBeAskedAgain)
{
    LoopbackHttpServer::Reply notFound;
    notFound.status = 404;
    LoopbackHttpServer::Reply garbage;
    garbage.body = "<html>no tile here</html>";
    LoopbackHttpServer::Reply hang;
    hang.hang = true;
    LoopbackHttpServer::Reply flood;
    flood.body = QByteArray(TileBytes::MaxTileBytes + 1024, 'x');
    flood.contentType = "image/png";
    LoopbackHttpServer::Reply redirectLoop;
    redirectLoop.status = 302;
    redirectLoop.extraHeaders = "Location: /7/4/4.png\r\n";
    const struct
    {
        const char* name;
        LoopbackHttpServer::Reply reply;
        quint32 x;
    } cases[] = {
        {"404", notFound, 0}, {"garbage", garbage, 1},   {"hang", hang, 2},
        {"flood", flood, 3},  {"loop", redirectLoop, 4},
    };
    for (const auto& c : cases) {
        const std::string path = QString("/7/%1/%1.png").arg(c.x).toStdString();
        server.setReply(path, c.reply);
        auto source = makeSource();
        source->setTransferTimeout(kTransferTimeoutMs);
        QSignalSpy failed(source.get(), &MapTileSource::tileFailed);
        QSignalSpy announced(source.get(), &MapTileSource::tileRetrieved);
        for (int attempt = 1; attempt <= 2; ++attempt) {
            source->requestTile(c.x, c.x, 7);
            ASSERT_TRUE(waitFor([&] { return failed.count() == attempt; })) << c.name;
        }
        EXPECT_EQ(announced.count(), 0) << c.name;
        // Counted once the server has read the request, which may come after the client gave up.
        EXPECT_TRUE(waitFor([&] { return server.count(path) >= 2; })) << c.name;
        EXPECT_EQ(logLines(QString("(tile %1,%1,7)").arg(c.x)), 1) << c.name;
    }
    EXPECT_TRUE(ProgramLog::text().contains(QString("time-out after %1 ms").arg(kTransferTimeoutMs)));
    EXPECT_TRUE(ProgramLog::text().contains("Failed to make QImage from network bytes"));
}

TEST_F(OSMTileSourceTest, AServerThatStopsAnsweringIsLoggedOnceUntilItAnswersAgain)
{
    LoopbackHttpServer::Reply hang;
    hang.hang = true;
    server.setHandler("/8/*", [&](const LoopbackHttpServer::Request& request) {
        return request.target == "/8/4/4.png" ? png(Qt::red) : hang;
    });
    auto source = makeSource();
    source->setTransferTimeout(kTransferTimeoutMs);
    QSignalSpy failed(source.get(), &MapTileSource::tileFailed);
    QSignalSpy announced(source.get(), &MapTileSource::tileRetrieved);
    const QString lost = "does not answer";
    const QString back = "answers again";
    const struct
    {
        quint32 x;
        int lostLines;
        int backLines;
    } steps[] = {{1, 1, 0}, {2, 1, 0}, {3, 1, 0}, {4, 1, 1}, {5, 2, 1}, {6, 2, 1}};
    for (const auto& step : steps) {
        const int ended = failed.count() + announced.count();
        source->requestTile(step.x, step.x, 8);
        ASSERT_TRUE(waitFor([&] { return failed.count() + announced.count() == ended + 1; })) << step.x;
        EXPECT_EQ(logLines(lost), step.lostLines) << step.x;
        EXPECT_EQ(logLines(back), step.backLines) << step.x;
    }
    EXPECT_EQ(announced.count(), 1);
    // Under the tile sources' own module, which the program files nowhere.
    for (const QString& line : ProgramLog::text().split('\n', Qt::SkipEmptyParts))
        if (line.contains("OSMTileSource"))
            EXPECT_TRUE(line.contains("{Orvex}")) << line.toStdString();
}

TEST_F(OSMTileSourceTest, FollowsRedirects)
{
    LoopbackHttpServer::Reply moved;
    moved.status = 301;
    moved.extraHeaders = "Location: " + server.url("/elsewhere/tile.png").toUtf8() + "\r\n";
    server.setReply("/3/2/1.png", moved);
    server.setReply("/elsewhere/tile.png", png(Qt::green));
    auto source = makeSource();
    EXPECT_EQ(colorOf(collectTile(*source, 2, 1, 3)), QColor(Qt::green));
}

TEST_F(OSMTileSourceTest, MaxAgeSetsTheTilesLifetime)
{
    server.setReply("/6/1/1.png", png(Qt::red, "Cache-Control: public, max-age=3600\r\n"));
    server.setReply("/6/2/2.png", png(Qt::red));
    auto source = makeSource();
    collectTile(*source, 1, 1, 6);
    collectTile(*source, 2, 2, 6);
    now = now.addSecs(3599);
    collectTile(*source, 1, 1, 6);
    EXPECT_EQ(server.count("/6/1/1.png"), 1);
    now = now.addSecs(1);
    collectTile(*source, 1, 1, 6);
    EXPECT_EQ(server.count("/6/1/1.png"), 2);
    // Without max-age a tile keeps 300 days.
    now = now.addDays(299);
    collectTile(*source, 2, 2, 6);
    EXPECT_EQ(server.count("/6/2/2.png"), 1);
}

TEST_F(OSMTileSourceTest, ARestartedSourceServesItsTilesFromDisk)
{
    server.setReply("/10/530/360.png", png(Qt::red));
    makeSource().reset();
    auto first = makeSource();
    EXPECT_EQ(colorOf(collectTile(*first, 530, 360, 10)), QColor(Qt::red));
    first.reset();
    auto second = makeSource();
    EXPECT_EQ(colorOf(collectTile(*second, 530, 360, 10)), QColor(Qt::red));
    EXPECT_EQ(server.count("/10/530/360.png"), 1);
}

TEST_F(OSMTileSourceTest, LoadsTilesInAThreadOfItsOwn)
{
    server.setReply("/4/3/2.png", png(Qt::blue));
    QSharedPointer<OSMTileSource> source = makeTileSource<OSMTileSource>(OSMTileSource::OSMTiles);
    QThread* thread = TileThreads::host(source.data(), "test tile thread");
    EXPECT_EQ(colorOf(collectTile(*source, 3, 2, 4)), QColor(Qt::blue));
    source.clear();
    EXPECT_TRUE(TileThreads::join(thread, kWaitBoundMs));
}

TEST_F(OSMTileSourceTest, TheTileServerIsASettingWithThePublicDefault)
{
    QFile::remove(work.file("conf/vantor-sdr.conf"));
    EXPECT_EQ(OSMTileSource().serverAddress(), QUrl("https://tile.openstreetmap.org"));
    QSettings settings(work.file("conf/vantor-sdr.conf"), QSettings::IniFormat);
    EXPECT_EQ(settings.value("Map/tile_server").toString(), "https://tile.openstreetmap.org");

    const struct
    {
        const char* value;
        const char* address;
    } cases[] = {
        {"http://127.0.0.1:8080/", "http://127.0.0.1:8080"},
        {"https://tiles.example.org/osm", "https://tiles.example.org/osm"},
        {"ftp://tiles.example.org", "https://tile.openstreetmap.org"},
        {"not an address", "https://tile.openstreetmap.org"},
        {"", "https://tile.openstreetmap.org"},
    };
    for (const auto& c : cases) {
        setSetting(OSMTileSource::TileServerKey, c.value);
        EXPECT_EQ(OSMTileSource().serverAddress(), QUrl(c.address)) << c.value;
    }
}
