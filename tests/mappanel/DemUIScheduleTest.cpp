// The broadcast schedule on the map panel: a scan of a loopback schedule
// service puts its stations on the map; selecting one describes it in the
// information pane, its texts kept as text, and asks the schedule plug-in for
// the station's card.
#include "DemUIFixture.h"
#include "LoopbackHttpServer.h"
#include "RegisteredPlugin.h"
#include "WaitFor.h"
#include "core/ProgramSettings.h"
#include "decoders/whatson/RFStation.h"
#include "decoders/whatson/Whatson.h"
#include "decoders/whatson/WhatsonMapObject.h"
#include "decoders/whatson/WhatsonPlugin.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextBrowser>

namespace {

QJsonObject entry(const QString& name, int kHz, int key, const QString& lang, const char* slat, const char* slon)
{
    return QJsonObject{{"bcast_name", name}, {"freq", kHz},    {"schedkey", key},   {"hstart", "00:00"},
                       {"hstop", "23:59"},   {"lang", lang},   {"loc", "Issoudun"}, {"mod", "D"},
                       {"power", 500},       {"slat", slat},   {"slon", slon}};
}

LoopbackHttpServer::Reply body(const QByteArray& bytes)
{
    LoopbackHttpServer::Reply reply;
    reply.body = bytes;
    reply.contentType = "application/json";
    return reply;
}

class DemUIScheduleTest : public DemUITest
{
protected:
    void SetUp() override
    {
        DemUITest::SetUp();
        ProgramSettings::open()->setValue("Whatson/schedule_server", server.url("/"));
        const QJsonArray stations{entry(QString::fromUtf8("Radio Fr\xc3\xa9quence <Nord>"), 6010, 101,
                                        QString::fromUtf8("Fran\xc3\xa7" "ais & <b>breton</b>"), "46N57", "001E59"),
                                  entry("Voz de Paz", 6070, 102, "Espanol", "40N30", "003W40")};
        server.setReply("/api/whatson?start=6000&stop=8000",
                        body(QJsonDocument(stations).toJson(QJsonDocument::Compact)));
        // The next window's answer is no array: it holds no station.
        server.setReply("/api/whatson?start=8000&stop=10000", body("{\"error\":\"busy\"}"));
        scan = std::make_unique<Whatson>();
        scan->setDelays(0, 0);
        scan->setClock([] { return QDateTime(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC); });
    }
    void TearDown() override
    {
        scan.reset();
        DemUITest::TearDown();
    }
    // Scans 6..10 MHz and hands the finished scan to the panel.
    void scanIntoPanel()
    {
        QObject::connect(scan.get(), &Whatson::scanFinished, panel.get(),
                         qOverload<Whatson*>(&DemUI::SLOT_UpdateBeacons));
        scan->scanFrom(6000000, 10000000);
    }
    whatsonMapObject* station(const QString& name) const
    {
        for (whatsonMapObject* o : onMap<whatsonMapObject>())
            if (o->station->bcast_name == name)
                return o;
        return nullptr;
    }

    LoopbackHttpServer server;
    std::unique_ptr<Whatson> scan;
};

} // namespace

TEST_F(DemUIScheduleTest, StationsOfAFinishedScanBecomeMapObjectsThatNoFilterHides)
{
    // Before the engine is attached the panel builds nothing.
    panel->SLOT_UpdateBeacons(scan.get());
    EXPECT_TRUE(onMap<whatsonMapObject>().isEmpty());

    panel->setController(&engine);
    scanIntoPanel();
    ASSERT_TRUE(waitFor([&] { return onMap<whatsonMapObject>().size() == 2; }));
    const QString name = QString::fromUtf8("Radio Fr\xc3\xa9quence <Nord>");
    whatsonMapObject* first = station(name);
    ASSERT_NE(first, nullptr);
    EXPECT_NEAR(first->pos().x(), 1.0 + 59.0 / 60.0, 1e-4);
    EXPECT_NEAR(first->pos().y(), 46.0 + 57.0 / 60.0, 1e-4);
    whatsonMapObject* second = station("Voz de Paz");
    ASSERT_NE(second, nullptr);
    EXPECT_NEAR(second->pos().x(), -(3.0 + 40.0 / 60.0), 1e-4);
    EXPECT_EQ(first->color, QColor(Qt::blue));

    // The stations are no beacons: "Par frequence" with its empty window leaves them shown.
    panel->findChildren<QCheckBox*>().value(0)->click();
    serveEventsPast(50);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(second->isVisible());
}

TEST_F(DemUIScheduleTest, ASelectedStationIsDescribedAsTextAndItsCardShown)
{
    auto* card = new WhatsonPlugin();
    RegisteredPlugin registered(card);

    panel->setController(&engine);
    scanIntoPanel();
    const QString name = QString::fromUtf8("Radio Fr\xc3\xa9quence <Nord>");
    ASSERT_TRUE(waitFor([&] { return station(name) != nullptr; }));
    serveEventsPast(20); // a selection while the object is still being made is no click
    station(name)->setSelected(true);

    auto* pane = panel->findChild<QTextBrowser*>();
    ASSERT_TRUE(waitFor([&] { return !pane->toPlainText().isEmpty(); }));
    const QString text = pane->toPlainText();
    EXPECT_TRUE(text.startsWith(name + " : -QRG= 6.010 MHz")) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("Langue :Fran\xc3\xa7" "ais & <b>breton</b>"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith("Horaires :00:00->23:59")) << text.toStdString();
    const QString html = pane->toHtml();
    EXPECT_TRUE(html.contains("href=\"6010000\""));
    EXPECT_FALSE(html.contains("<Nord>"));

    // The schedule plug-in shows the station's card by its key.
    ASSERT_TRUE(waitFor([&] { return card->browser->toPlainText().contains("6.010 MHz"); }));
    EXPECT_TRUE(card->browser->toPlainText().contains(name));
}
