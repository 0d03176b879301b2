// The broadcast schedule scan against a loopback schedule service: which
// windows it asks for and when it stops, where the answers are filed, how a
// missing resource or a bad answer ends or continues it; the station search,
// the station card and the station marker.
#include "decoders/whatson/RFStation.h"
#include "decoders/whatson/Whatson.h"
#include "decoders/whatson/WhatsonMapObject.h"
#include "decoders/whatson/WhatsonPlugin.h"
#include "decoders/whatson/WhatsonWindow.h"
#include "LoopbackHttpServer.h"
#include "TempWorkDir.h"
#include "WaitFor.h"
#include "core/ProgramSettings.h"
#include "engine/plugins/PluginManager.h"
#include "lists/Bookmarks.h"

#include <QImage>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QSettings>
#include <QSignalSpy>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <atomic>

namespace {

// Every process shares the schedule's windows: each test asks for windows of
// its own.
QJsonObject entry(const QString& name, int kHz, int key, const char* start = "00:00",
                  const char* stop = "23:59")
{
    return QJsonObject{{"bcast_name", name}, {"freq", kHz},        {"schedkey", key},
                       {"hstart", start},    {"hstop", stop},      {"lang", "Fran\u00e7ais"},
                       {"loc", "Issoudun"},  {"mod", "D"},         {"power", 500},
                       {"slat", "46N57"},    {"slon", "001E59"},   {"ciraf", "27"}};
}

LoopbackHttpServer::Reply json(const QJsonArray& entries)
{
    LoopbackHttpServer::Reply reply;
    reply.body = QJsonDocument(entries).toJson(QJsonDocument::Compact);
    reply.contentType = "application/json";
    return reply;
}

LoopbackHttpServer::Reply status(int code, const QByteArray& body = QByteArray())
{
    LoopbackHttpServer::Reply reply;
    reply.status = code;
    reply.body = body;
    return reply;
}

std::string windowTarget(int mhz)
{
    return "/api/whatson?start=" + std::to_string(mhz * 1000) + "&stop=" + std::to_string((mhz + 2) * 1000);
}

WhatsonWindow* windowAt(int mhz)
{
    for (WhatsonWindow* w : whatsonWindows())
        if (w->startHz == qint64(mhz) * 1000000)
            return w;
    return nullptr;
}

QStringList stationNames(const WhatsonWindow* w)
{
    QStringList names;
    if (w != nullptr)
        for (const RFStation* s : w->stations)
            names << s->bcast_name;
    return names;
}

class ScanTest : public ::testing::Test
{
protected:
    ScanTest()
    {
        auto settings = ProgramSettings::open();
        settings->setValue("Whatson/schedule_server", server.url("/"));
        settings.reset();
        scan = std::make_unique<Whatson>();
        scan->setDelays(0, 0);
        scan->setClock([] { return QDateTime(QDate(2024, 3, 1), QTime(23, 0), Qt::UTC); });
        // Unscripted windows hold no station.
        server.setReply("/api/whatson*", json({}));
    }

    std::vector<std::string> targets() const
    {
        std::vector<std::string> result;
        for (const auto& r : server.requests())
            result.push_back(r.target);
        return result;
    }

    TempWorkDir dir;
    LoopbackHttpServer server;
    std::unique_ptr<Whatson> scan;
};

TEST_F(ScanTest, AsksForEachWindowInTurnUpToItsLimit)
{
    std::atomic<int> inFlight{0};
    std::atomic<int> mostInFlight{0};
    server.setHandler("/api/whatson*", [&](const LoopbackHttpServer::Request&) {
        const int now = ++inFlight;
        mostInFlight = std::max(mostInFlight.load(), now);
        LoopbackHttpServer::Reply reply = json({});
        --inFlight;
        return reply;
    });
    QSignalSpy finished(scan.get(), &Whatson::scanFinished);
    scan->scanFrom(3000000, 40000000);
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }));

    std::vector<std::string> expected;
    for (int m = 3; m <= 25; m += 2)
        expected.push_back(windowTarget(m));
    EXPECT_EQ(targets(), expected);
    EXPECT_EQ(mostInFlight.load(), 1);
    ASSERT_TRUE(serveEventsPast(50));
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(ScanTest, StopsBelowTheUpperLimit)
{
    QSignalSpy finished(scan.get(), &Whatson::scanFinished);
    scan->scanFrom(12500000, 16999999); // 12 MHz up to 16 MHz
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }));
    EXPECT_EQ(targets(), (std::vector<std::string>{windowTarget(12), windowTarget(14)}));
}

TEST_F(ScanTest, FilesTheAnswerInItsWindowWithBookmarks)
{
    server.setReply(windowTarget(6),
                    json({entry(QString::fromUtf8("R\u00e1dio Fran\u00e7a"), 6070, 301),
                          entry("A<b>B</b> & C", 7000, 302),
                          entry("same frequency", 6070, 303),
                          entry("edge", 8000, 304),
                          entry("above", 8001, 305),
                          entry("ended", 6100, 306, "20:00", "22:00"),
                          entry("after the ended one", 6100, 307, "22:00", "01:30"),
                          entry("later tonight", 6200, 308, "23:30", "23:45")}));
    QSignalSpy finished(scan.get(), &Whatson::scanFinished);
    scan->checkCoverage(6);
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }));

    EXPECT_EQ(stationNames(windowAt(6)),
              (QStringList{QString::fromUtf8("R\u00e1dio Fran\u00e7a"), "A<b>B</b> & C", "edge",
                           "after the ended one", "later tonight"}));
    const RFStation* first = windowAt(6)->stations.first();
    EXPECT_EQ(first->frequency, 6070000);
    EXPECT_NEAR(first->latitude, 46 + 57 / 60.0, 1e-4);

    // Every entry with a new frequency got its bookmark, the dropped ones too.
    QStringList bookmarked;
    for (const BookmarkEntry& b : Bookmarks::instance()->bookmarksInRange(6000000, 8002000, 0)) {
        bookmarked << b.name;
        EXPECT_EQ(b.modulation, "AM");
        EXPECT_EQ(b.bandwidth, 10);
        EXPECT_EQ(b.labelColor, QColor("lime"));
        EXPECT_FALSE(b.memory);
    }
    EXPECT_TRUE(bookmarked.contains(QString::fromUtf8("R\u00e1dio Fran\u00e7a")));
    EXPECT_TRUE(bookmarked.contains("above"));
    EXPECT_TRUE(bookmarked.contains("ended"));
    EXPECT_FALSE(bookmarked.contains("same frequency"));

    // The window keeps what it has when it is asked for again.
    finished.clear();
    scan->checkCoverage(6);
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }));
    EXPECT_EQ(windowAt(6)->stations.size(), 5);
}

TEST_F(ScanTest, NotFoundEndsTheScanAndFreesTheGateOnce)
{
    server.setReply(windowTarget(2), status(404, "[{\"freq\":2500,\"bcast_name\":\"not found\"}]"));
    server.setReply(windowTarget(4), json({entry("four", 4500, 401)}));
    QSignalSpy finished(scan.get(), &Whatson::scanFinished);
    scan->checkCoverage(2);
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }));
    ASSERT_TRUE(serveEventsPast(50));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(stationNames(windowAt(2)).isEmpty());

    // One request at a time again: the second call finds the gate taken, and
    // the answer goes to the window it was asked for.
    scan->setDelays(0, 60000);
    scan->checkCoverage(4);
    scan->checkCoverage(10);
    ASSERT_TRUE(waitFor([&] { return stationNames(windowAt(4)) == QStringList{"four"}; }));
    EXPECT_EQ(server.count(windowTarget(10)), 0);
    EXPECT_EQ(targets(), (std::vector<std::string>{windowTarget(2), windowTarget(4)}));
}

TEST_F(ScanTest, GoesOnPastAnswersWithoutStations)
{
    server.setReply(windowTarget(18), status(200, "{\"error\":\"busy\"}"));
    server.setReply(windowTarget(20), status(500, "[{\"freq\":20500,\"bcast_name\":\"error page\"}]"));
    server.setReply(windowTarget(22), status(200, "[{\"freq\":22500,\"bcast_name\":\"trunc"));
    server.setReply(windowTarget(24), json({entry("twenty-four", 24500, 2401)}));
    QSignalSpy finished(scan.get(), &Whatson::scanFinished);
    scan->scanFrom(18000000, 26000000);
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }));
    EXPECT_EQ(targets().size(), 4u);
    EXPECT_TRUE(stationNames(windowAt(18)).isEmpty());
    EXPECT_TRUE(stationNames(windowAt(20)).isEmpty());
    EXPECT_TRUE(stationNames(windowAt(22)).isEmpty());
    EXPECT_EQ(stationNames(windowAt(24)), QStringList{"twenty-four"});
}

TEST(WhatsonSettings, ServerAddressIsASettingWithADefault)
{
    TempWorkDir dir;
    EXPECT_EQ(Whatson().server(), QUrl(Whatson::DefaultServer));
    EXPECT_EQ(ProgramSettings::open()->value("Whatson/schedule_server").toString(), Whatson::DefaultServer);
    ProgramSettings::open()->setValue("Whatson/schedule_server", "not an address");
    EXPECT_EQ(Whatson().server(), QUrl(Whatson::DefaultServer));
}

// Two windows made in the order the scan would: the second one's key lies in
// the first one's key range.
void addWindows()
{
    static bool added = false;
    if (added)
        return;
    added = true;
    auto* low = new WhatsonWindow(100000000, 102000000);
    low->parseSchedule(QJsonArray{entry("low", 100500, 990900)}, QTime(12, 0));
    auto* high = new WhatsonWindow(102000000, 104000000);
    high->parseSchedule(QJsonArray{entry("A<b>B</b> & C", 102500, 990300)}, QTime(12, 0));
    whatsonWindows() << low << high;
}

TEST(WhatsonStations, FindsAStationInAnyWindow)
{
    addWindows();
    ASSERT_NE(Whatson::findStation(990300), nullptr);
    EXPECT_EQ(Whatson::findStation(990300)->bcast_name, "A<b>B</b> & C");
    EXPECT_EQ(Whatson::findStation(990900)->bcast_name, "low");
    EXPECT_EQ(Whatson::findStation(990301), nullptr);
    EXPECT_TRUE(Whatson::getStationList().contains(Whatson::findStation(990300)));
}

TEST(WhatsonCard, ShowsTheKeyAloneWhenNoStationHasIt)
{
    WhatsonPlugin plugin;
    EXPECT_TRUE(plugin.isHidden());
    EXPECT_FALSE(plugin.listable);
    plugin.showStation(123456);
    EXPECT_EQ(plugin.browser->toPlainText(), "123456");
    EXPECT_FALSE(plugin.isHidden());
}

TEST(WhatsonCard, ShowsTheStationsTextsAsTextWhenCalledByName)
{
    addWindows();
    PluginManager manager({[] { return new WhatsonPlugin(); }});
    auto* plugin = qobject_cast<WhatsonPlugin*>(manager.findPlugin("WHATSON"));
    ASSERT_NE(plugin, nullptr);
    QSignalSpy shown(plugin, &OrvexPlugin::showMe);
    // As the main window asks for a station.
    ASSERT_TRUE(manager.invokePluginMethod("WHATSON", "showStation", {990300}, Qt::AutoConnection));

    const QString text = plugin->browser->toPlainText();
    const QStringList lines = text.split(QRegularExpression("[\\n\\x{2028}]"));
    EXPECT_EQ(lines.mid(0, 9),
              (QStringList{"A<b>B</b> & C", "102.500 MHz", "Modulation : AM",
                           QString::fromUtf8("Langue :Fran\u00e7ais"), "Site TX :Issoudun", "Puissance :500KW ",
                           "Horaires :00:00->23:59UTC ", "Latitude :46.9500 ", "Longitude :1.9833 "}))
        << text.toStdString();
    EXPECT_FALSE(plugin->isHidden());
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(shown.at(0).at(0).toString(), "WHATSON");
}

TEST(WhatsonMarker, StandsAtTheTransmitterAndAnnouncesItsStation)
{
    RFStation station;
    station.bcast_name = "A<b>B</b>";
    station.frequency = 9420000;
    station.lang = "Greek";
    station.latitude = 37.9;
    station.longitude = 23.7;
    whatsonMapObject marker(&station, Qt::red);
    EXPECT_TRUE(marker.sizeIsZoomInvariant());
    EXPECT_EQ(marker.boundingRect(), QRectF(-40, -40, 90, 90));
    EXPECT_FLOAT_EQ(float(marker.longitude()), 23.7f);
    EXPECT_FLOAT_EQ(float(marker.latitude()), 37.9f);
    EXPECT_EQ(marker.zValue(), 99);
    EXPECT_TRUE(marker.flags() & MapGraphicsObject::MapObjectSelectable);
    EXPECT_EQ(QTextDocumentFragment::fromHtml(marker.toolTip()).toPlainText(), "A<b>B</b>");

    QSignalSpy selected(&marker, &whatsonMapObject::SIG_WhatsonMapSelected);
    ASSERT_TRUE(serveEventsPast(10)); // construction over: a selection is a click
    marker.setSelected(true);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).value<RFStation*>(), &station);
    EXPECT_EQ(selected.at(0).at(1).toLongLong(), 9420000);
    marker.setSelected(false);
    EXPECT_EQ(selected.count(), 1);
}

TEST(WhatsonMarker, PaintsADiscWithThreeLinesUnderIt)
{
    RFStation station;
    station.bcast_name = "WWWWWWWW";
    station.frequency = 9420000;
    station.lang = "WWWWWWWW";
    whatsonMapObject marker(&station, Qt::red);
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        // North up, as the map draws its objects.
        painter.translate(50, 50);
        painter.scale(1, -1);
        marker.paint(&painter, nullptr);
    }
    EXPECT_EQ(image.pixelColor(50, 50), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(50, 40), QColor(Qt::white)); // 12 pixels across
    // Text only below the disc, starting at its left edge.
    auto darkRows = [&image](int from, int to) {
        int rows = 0;
        for (int y = from; y < to; ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 100) {
                    ++rows;
                    break;
                }
        return rows;
    };
    EXPECT_EQ(darkRows(0, 44), 0);
    EXPECT_GT(darkRows(57, 100), 15);
    for (int y = 57; y < 100; ++y)
        for (int x = 0; x < 43; ++x)
            ASSERT_GE(qGray(image.pixel(x, y)), 100) << x << "," << y;
}

} // namespace
