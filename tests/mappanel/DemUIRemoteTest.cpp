// The map panel on an engine whose receiver is a stream of the fake server
// (144 to 146 MHz, 48 kHz around 145.8 MHz): the personal memories and the
// server's bookmarks go on the map, and the receiver's range and window decide
// which of them show.
#include "tests/hardware/RemoteSessionEngine.h"

#include "SqliteFile.h"
#include "core/ProgramSettings.h"
#include "lists/dbUserFreq.h"
#include "map/graphics/MapGraphicsScene.h"
#include "mappanel/BeaconMapObject.h"
#include "mappanel/DemUI.h"

#include <QCheckBox>
#include <QMap>
#include <QSettings>
#include <gtest/gtest.h>

#include <memory>

namespace {

class DemUIRemoteTest : public RemoteSessionEngine
{
protected:
    void SetUp() override
    {
        ProgramSettings::open()->setValue("Map/tile_server", "http://127.0.0.1:9");
        memories = std::make_unique<SqliteFile>(work.file("db/mylist.sqlite"), dbUserFreq::connectionName);
        memories->exec(dbUserFreq::createTableStatement());
        // A list item that is no bookmark object comes between the two bookmarks.
        server.peer.setJsonReply(
            "bookmarks",
            "{\"bookmarks\":[{\"name\":\"BOOK IN\",\"ID\":\"1\",\"frequency\":\"145.790\",\"longitude\":\"-1.5\","
            "\"latitude\":\"48.2\"},7,{\"name\":\"BOOK UHF\",\"ID\":\"2\",\"frequency\":\"432.100\","
            "\"longitude\":\"-1.7\",\"latitude\":\"48.3\"}]}");
        attachEngine();
        panel = std::make_unique<DemUI>();
        QObject::connect(panel->findChild<MapGraphicsScene*>(), &MapGraphicsScene::objectAdded,
                         [this](MapGraphicsObject* object) {
                             if (auto* beacon = dynamic_cast<BeaconMapObject*>(object))
                                 onMap[beacon->row()->CALLSIGN] = beacon;
                         });
    }
    void TearDown() override
    {
        panel.reset();
        RemoteSessionEngine::TearDown();
    }
    void addMemory(const QString& name, qint64 freq, const QVariant& lat, const QVariant& lon)
    {
        memories->exec("insert into FREQS (FREQ, CALLSIGN, LAT, LON, COLOR) values (?, ?, ?, ?, '#00FF00')",
                       {freq, name, lat, lon});
    }
    QStringList shown() const
    {
        QStringList names;
        for (auto it = onMap.cbegin(); it != onMap.cend(); ++it)
            if (it.value()->isVisible())
                names << it.key();
        return names;
    }

    std::unique_ptr<SqliteFile> memories;
    std::unique_ptr<DemUI> panel;
    QMap<QString, BeaconMapObject*> onMap; // by callsign
};

} // namespace

TEST_F(DemUIRemoteTest, MemoriesAndServerBookmarksShowByTheReceiversRangeAndWindow)
{
    addMemory("MEM IN", 145805000, 48.1, -1.6);
    addMemory("MEM BAND", 144500000, 48.1, -1.6); // in the range, outside the window
    addMemory("MEM NOWHERE", 145810000, QVariant(), QVariant());
    addMemory("MEM UHF", 432000000, 48.1, -1.6);
    panel->setController(&engine);
    ASSERT_TRUE(waitFor([&] { return onMap.size() == 4; }));
    serveEventsPast(100);

    // Memories of the range with a position, and every bookmark of the server.
    EXPECT_EQ(onMap.keys(), (QStringList{"BOOK IN", "BOOK UHF", "MEM BAND", "MEM IN"}));
    EXPECT_NE(dynamic_cast<dbUserFreq*>(onMap["MEM IN"]->row()), nullptr);
    EXPECT_EQ(dynamic_cast<dbUserFreq*>(onMap["BOOK IN"]->row()), nullptr);
    EXPECT_EQ(onMap["BOOK IN"]->row()->FREQ, 145790000u);
    EXPECT_EQ(onMap["BOOK IN"]->pos(), QPointF(-1.5, 48.2));

    // Without a filter the receiver's range decides; "Par frequence" narrows
    // it to the window around the centre the engine reports.
    EXPECT_EQ(shown(), (QStringList{"BOOK IN", "MEM BAND", "MEM IN"}));
    QCheckBox* byFrequency = panel->findChildren<QCheckBox*>().value(0);
    ASSERT_NE(byFrequency, nullptr);
    ASSERT_EQ(byFrequency->text(), "Par frequence");
    byFrequency->click();
    ASSERT_EQ(engine.setRxOffset(2000, 0), 1);
    ASSERT_TRUE(waitFor([&] { return shown() == QStringList{"BOOK IN", "MEM IN"}; }))
        << shown().join(", ").toStdString();
}
