// Personal memories kept in a real personal database file on the connection "MY".
#include "DebugCapture.h"
#include "QtPrinters.h"
#include "SqliteFile.h"
#include "TempWorkDir.h"
#include "lists/dbUserFreq.h"

#include <QFile>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {

class MemoriesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db = std::make_unique<SqliteFile>(work.file("db/mylist.sqlite"), "MY");
        // The table is made once per process by the first row object; each test
        // has a new file, so it is made here as well.
        db->exec(dbUserFreq::createTableStatement());
    }

    int addRow(qint64 freq, const QVariant& locator = QVariant(), const QVariant& lat = QVariant(),
               const QVariant& lon = QVariant(), const QVariant& color = QVariant())
    {
        db->exec("insert into FREQS (FREQ, CALLSIGN, LOCATOR, LAT, LON, COLOR, COMMENT) "
                 "values (?, 'M', ?, ?, ?, ?, 'c')",
                 {freq, locator, lat, lon, color});
        return db->column("select max(ID) from FREQS").first().toInt();
    }

    QList<qint64> selected(qint64 mini, qint64 maxi)
    {
        dbUserFreq reader;
        const QList<dbUserFreq*> rows = reader.select_all(mini, maxi);
        QList<qint64> freqs;
        for (dbUserFreq* row : rows)
            freqs.append(static_cast<qint64>(row->FREQ));
        qDeleteAll(rows);
        return freqs;
    }

    TempWorkDir work;
    std::unique_ptr<SqliteFile> db;
};

} // namespace

// Runs in a process of its own, so that its row object is surely the first.
void constructTwiceAndExit()
{
    bool ok = false;
    {
        TempWorkDir work;
        SqliteFile db(work.file("db/mylist.sqlite"), "MY");
        {
            dbUserFreq first;
        }
        ok = db.column("select name from pragma_table_info('FREQS')") ==
             QStringList{"ID", "FREQ", "CALLSIGN", "LAT", "LON", "COMMENT", "LOCATOR", "COLOR"};
        db.exec("drop table FREQS");
        {
            dbUserFreq second;
        }
        ok = ok && db.column("select name from sqlite_master where name='FREQS'").isEmpty();
    }
    std::exit(ok ? 0 : 1);
}

TEST(MemoriesTableTest, FirstRowObjectCreatesTheTableOnceInTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(constructTwiceAndExit(), ::testing::ExitedWithCode(0), "");
}

// Also in a process of its own: the first row object finds no personal database.
void constructBeforeTheDatabaseOpensAndExit()
{
    bool ok = false;
    {
        TempWorkDir work;
        {
            dbUserFreq beforeTheDatabase;
        }
        SqliteFile db(work.file("db/mylist.sqlite"), "MY");
        dbUserFreq memory;
        ok = memory.createUser(145000000, "X") > 0 &&
             db.column("select FREQ from FREQS") == QStringList{"145000000"};
    }
    std::exit(ok ? 0 : 1);
}

TEST(MemoriesTableTest, ADatabaseThatOpensAfterTheFirstRowObjectStillGetsItsTable)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(constructBeforeTheDatabaseOpensAndExit(), ::testing::ExitedWithCode(0), "");
}

TEST_F(MemoriesTest, NewMemoryGetsItsIdAndTheStoredDefaults)
{
    dbUserFreq memory;
    EXPECT_EQ(memory.ID, -1);
    const int id = memory.createUser(145500000, "Relais d'été");
    ASSERT_GT(id, 0);
    EXPECT_EQ(memory.ID, id);
    memory.loadData(-1);
    EXPECT_EQ(memory.FREQ, 145500000u);
    EXPECT_EQ(memory.CALLSIGN, "Relais d'été");
    EXPECT_EQ(memory.comment, "RX");
    EXPECT_EQ(memory.color, QColor("#FF0066"));
    EXPECT_EQ(memory.LOCATOR, "");
    EXPECT_EQ(memory.latitude, 0.0);
    EXPECT_EQ(memory.longitude, 0.0);
    EXPECT_FALSE(memory.hasPosition());
    EXPECT_TRUE(memory.isAmateur());
    EXPECT_EQ(db->column("select count(*) from FREQS where LAT is null and LON is null and LOCATOR is null"),
              QStringList{"1"});
}

TEST_F(MemoriesTest, SpanSelectIsInclusiveAndOpenOnZeroBounds)
{
    for (qint64 freq : {300LL, 0LL, 100LL, 200LL, 5000000000LL})
        addRow(freq);
    const struct
    {
        qint64 mini, maxi;
        QList<qint64> expected;
    } cases[] = {
        {0, 0, {100, 200, 300, 5000000000LL}},
        {-5, -5, {100, 200, 300, 5000000000LL}},
        {100, 200, {100, 200}},
        {0, 200, {100, 200}},
        {150, 0, {200, 300, 5000000000LL}},
        {201, 299, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(selected(c.mini, c.maxi), c.expected) << c.mini << ".." << c.maxi;
}

TEST_F(MemoriesTest, PositionAndColourComeFromTheRow)
{
    const struct
    {
        QVariant locator, lat, lon, color;
        double expectedLat, expectedLon;
        QColor expectedColor;
    } cases[] = {
        {"JN18", 10.0, 20.0, "red", 48.5, 3.0, QColor("red")},
        {"XX99", 10.5, 20.5, "#00ff00", 10.5, 20.5, QColor("#00ff00")},
        {QVariant(), 45.1, 2.5, "", double(45.1f), 2.5, QColor("#FF0066")},
        {"", QVariant(), QVariant(), QVariant(), 0.0, 0.0, QColor("#FF0066")},
        {QVariant(), 1.0, 1.0, "00ff00", 1.0, 1.0, QColor("#FF0066")},
    };
    for (const auto& c : cases)
        addRow(1000, c.locator, c.lat, c.lon, c.color);
    dbUserFreq reader;
    const QList<dbUserFreq*> rows = reader.select_all(0, 0);
    ASSERT_EQ(rows.size(), int(std::size(cases)));
    for (int i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i]->latitude, cases[i].expectedLat) << i;
        EXPECT_EQ(rows[i]->longitude, cases[i].expectedLon) << i;
        EXPECT_EQ(rows[i]->color, cases[i].expectedColor) << i;
    }
    qDeleteAll(rows);
}

TEST_F(MemoriesTest, EditsReachTheStoredRow)
{
    const int id = addRow(1000);
    dbUserFreq memory;
    memory.loadData(id);
    memory.setFrequency(432100000);
    memory.setCallsign("O'Hara");
    memory.setComment("it's \"fine\"");
    memory.setFrequency(0); // ignored
    EXPECT_EQ(memory.FREQ, 432100000u);
    EXPECT_EQ(db->column("select FREQ || '|' || CALLSIGN || '|' || COMMENT from FREQS"),
              QStringList{"432100000|O'Hara|it's \"fine\""});

    dbUserFreq again;
    again.loadData(id);
    EXPECT_EQ(again.CALLSIGN, "O'Hara");
}

TEST_F(MemoriesTest, UnstoredObjectChangesOnlyInMemory)
{
    addRow(1000);
    dbUserFreq loose;
    loose.setCallsign("X");
    loose.setComment("Y");
    loose.setFrequency(5);
    EXPECT_EQ(loose.CALLSIGN, "X");
    EXPECT_EQ(loose.comment, "Y");
    EXPECT_EQ(loose.FREQ, 5u);
    EXPECT_EQ(db->column("select FREQ || CALLSIGN || COMMENT from FREQS"), QStringList{"1000Mc"});
}

TEST_F(MemoriesTest, DeleteRemovesTheRowAndLeavesObjectsAlone)
{
    const int first = addRow(1000);
    addRow(2000);
    dbUserFreq memory;
    memory.loadData(first);
    dbUserFreq::deleteEntry(first);
    EXPECT_EQ(selected(0, 0), QList<qint64>{2000});
    EXPECT_EQ(memory.ID, first);
    EXPECT_EQ(memory.FREQ, 1000u);

    memory.loadData(first); // the row is gone: nothing changes
    EXPECT_EQ(memory.FREQ, 1000u);
    memory.loadData(9999);
    EXPECT_EQ(memory.ID, first);
}

TEST(MemoriesUnopenedTest, OperationsReportAndChangeNothing)
{
    TempWorkDir work;
    QFile blocker(work.file("db"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    SqliteFile db(work.file("db/mylist.sqlite"), "MY");
    DebugCapture log;
    dbUserFreq memory;
    EXPECT_EQ(memory.createUser(145000000, "X"), 0);
    EXPECT_EQ(memory.ID, -1);
    EXPECT_TRUE(memory.select_all(0, 0).isEmpty());
    memory.loadData(1);
    EXPECT_EQ(memory.FREQ, 0u);
    EXPECT_TRUE(log.contains("dbUserFreq::select all db not opened"));
    EXPECT_TRUE(log.contains("dbUserFreq::loadData all db not opened"));
    EXPECT_TRUE(log.contains("dbUserFreq::createUser db not opened"));
}
