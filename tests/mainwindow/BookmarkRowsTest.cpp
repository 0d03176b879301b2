// The rows behind the window's bookmarks: each load of the personal memories
// replaces the previous one, in the store and in memory; entries never outlive
// the rows they point at.
#include "EmptyBookmarks.h"
#include "SqliteFile.h"
#include "TempWorkDir.h"
#include "lists/Bookmarks.h"
#include "lists/dbBeacon.h"
#include "lists/dbUserFreq.h"
#include "mainwindow/BookmarkRows.h"

#include <QObject>
#include <QSet>
#include <functional>
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
    BookmarkRows::Keeper keeper;
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

// The keeper goes with the main window: the entries made from its rows leave
// the store with them, the store's other entries stay.
TEST(BookmarkRows, EntriesLeaveTheStoreWithTheRowsTheyPointAt)
{
    TempWorkDir work;
    SqliteFile main(work.file("db/Orvex.sqlite"));
    main.exec(dbBeacon::createTableStatement());
    main.exec("insert into BEACONS (FREQ, CALLSIGN) values (144430000, 'GB3VHF'), (144470000, 'F5ZZ')");
    SqliteFile personal(work.file("db/mylist.sqlite"), "MY");
    personal.exec(dbUserFreq::createTableStatement());
    personal.exec("insert into FREQS (FREQ, CALLSIGN) values (145500000, 'a'), (146000000, 'b')");
    const qint64 low = 100000000, high = 200000000;
    const struct
    {
        const char* what;
        std::function<int(BookmarkRows::Keeper*)> load;
    } sources[] = {
        {"beacons",
         [&](BookmarkRows::Keeper* keeper) { return BookmarkRows::loadBeacons(low, high, keeper); }},
        {"memories",
         [&](BookmarkRows::Keeper* keeper) { return BookmarkRows::loadMemories(low, high, keeper); }},
    };
    for (const auto& source : sources) {
        EmptyBookmarks bookmarks;
        BookmarkEntry edge;
        edge.frequency = 144000000;
        edge.name = "band edge";
        Bookmarks::instance()->addBookmark(edge);
        QObject elsewhere;
        Bookmarks::instance()->addBookmark(BookmarkRows::fromBeacon(new dbBeacon(&elsewhere)));

        QSet<const dbBeacon*> freed;
        {
            BookmarkRows::Keeper keeper;
            ASSERT_EQ(source.load(&keeper), 2) << source.what;
            for (const dbBeacon* row : keeper.findChildren<dbBeacon*>())
                freed.insert(row);
            ASSERT_EQ(Bookmarks::instance()->count(), 4) << source.what;
        }
        const QList<BookmarkEntry> left = Bookmarks::instance()->bookmarks();
        ASSERT_EQ(left.size(), 2) << source.what;
        for (const BookmarkEntry& entry : left) {
            EXPECT_FALSE(freed.contains(entry.beacon)) << source.what << ": " << entry.name.toStdString();
            EXPECT_TRUE(entry.name == "band edge" || entry.beacon->parent() == &elsewhere) << source.what;
        }
    }
}
