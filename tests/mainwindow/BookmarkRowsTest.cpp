// The rows behind the window's bookmarks: each load of the personal memories
// replaces the previous one, in the store and in memory.
#include "SqliteFile.h"
#include "TempWorkDir.h"
#include "lists/Bookmarks.h"
#include "lists/dbBeacon.h"
#include "lists/dbUserFreq.h"
#include "mainwindow/BookmarkRows.h"

#include <QObject>
#include <gtest/gtest.h>

namespace {

QList<qint64> memoryFrequencies()
{
    QList<qint64> frequencies;
    for (const BookmarkEntry& entry : Bookmarks::instance()->bookmarks())
        if (entry.memory)
            frequencies.append(entry.frequency);
    return frequencies;
}

} // namespace

TEST(BookmarkRows, EachMemoryLoadReplacesTheRowsOfThePreviousOne)
{
    TempWorkDir work;
    SqliteFile db(work.file("db/mylist.sqlite"), "MY");
    db.exec(dbUserFreq::createTableStatement());
    db.exec("insert into FREQS (FREQ, CALLSIGN) values (145500000, 'a'), (146000000, 'b')");
    QObject keeper;
    auto* beacon = new dbBeacon(&keeper); // a row of another source, kept all along
    for (int use = 1; use <= 3; ++use) {
        if (use == 3)
            db.exec("insert into FREQS (FREQ, CALLSIGN) values (147000000, 'c')");
        const int expected = use == 3 ? 3 : 2;
        EXPECT_EQ(BookmarkRows::loadMemories(100000000, 200000000, &keeper), expected) << use;
        EXPECT_EQ(memoryFrequencies().size(), expected) << use;
        EXPECT_EQ(keeper.findChildren<dbUserFreq*>().size(), expected) << use;
        for (const BookmarkEntry& entry : Bookmarks::instance()->bookmarks())
            if (entry.memory)
                EXPECT_EQ(entry.beacon->parent(), &keeper) << use;
        EXPECT_EQ(beacon->parent(), &keeper);
    }
    Bookmarks::instance()->clearMemories();
}
