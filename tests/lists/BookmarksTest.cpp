// The bookmark store: ordering, range and distance selection, removals and tags.
#include "lists/Bookmarks.h"
#include "QtPrinters.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

BookmarkEntry entryAt(qint64 frequency, const QString& name = QString(), float distance = 0.0f)
{
    BookmarkEntry entry;
    entry.frequency = frequency;
    entry.name = name;
    entry.distance = distance;
    return entry;
}

QList<qint64> frequencies(const QList<BookmarkEntry>& entries)
{
    QList<qint64> list;
    for (const BookmarkEntry& entry : entries)
        list.append(entry.frequency);
    return list;
}

QStringList names(const QList<BookmarkEntry>& entries)
{
    QStringList list;
    for (const BookmarkEntry& entry : entries)
        list.append(entry.name);
    return list;
}

QStringList tagNames(const QList<BookmarkTag*>& tags)
{
    QStringList list;
    for (const BookmarkTag* tag : tags)
        list.append(tag->name);
    return list;
}

} // namespace

// An entry as a producer makes it when it sets nothing (a frequency of 0 Hz)
// or only a frequency and a name: in the store it is no memory, linked to no
// row, of unknown distance (kept by any distance limit), shown by no tag of its
// own, drawn light grey, with no band width and no broadcast station.
TEST(BookmarksTest, AnEntryLeftAsMadeIsAPlainUnlinkedBookmark)
{
    Bookmarks store;
    BookmarkEntry unset;
    unset.name = "unset";
    store.addBookmark(unset);
    store.addBookmark(entryAt(145000000, "plain"));
    BookmarkEntry memory = entryAt(145000001, "memory");
    memory.memory = true;
    store.addBookmark(memory);

    EXPECT_EQ(names(store.bookmarksInRange(0, 0, -1.0f)), QStringList{"unset"});
    EXPECT_EQ(names(store.bookmarksInRange(0, 200000000, 1.0f)), (QStringList{"unset", "plain", "memory"}));
    store.clearMemories();
    ASSERT_EQ(names(store.bookmarks()), (QStringList{"unset", "plain"}));
    for (const BookmarkEntry& kept : store.bookmarks()) {
        SCOPED_TRACE(kept.name.toStdString());
        EXPECT_FALSE(kept.hasShownTag());
        EXPECT_TRUE(kept.tags.isEmpty());
        EXPECT_EQ(kept.color(), QColor(Qt::lightGray));
        EXPECT_EQ(kept.bandwidth, 0);
        EXPECT_EQ(kept.scheduleKey, 0);
        EXPECT_EQ(kept.beacon, nullptr);
    }
    store.removeUnlinkedInRange(0, 200000000);
    EXPECT_EQ(store.count(), 0);
}

TEST(BookmarksTest, InstanceIsOneStoreStartingWithUntagged)
{
    EXPECT_EQ(Bookmarks::instance(), Bookmarks::instance());
    Bookmarks store;
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(tagNames(store.tags()), QStringList{"Untagged"});
    EXPECT_TRUE(store.tags().first()->shown);
    EXPECT_EQ(store.tags().first()->color, QColor(Qt::lightGray));
}

TEST(BookmarksTest, AddKeepsAscendingFrequencyAndEqualFrequencies)
{
    Bookmarks store;
    QSignalSpy changed(&store, &Bookmarks::BookmarksChanged);
    store.addBookmark(entryAt(145000000, "b"));
    store.addBookmark(entryAt(144000000, "a"));
    store.addBookmark(entryAt(146000000, "c"));
    store.addBookmark(entryAt(145000000, "b2"));
    EXPECT_EQ(frequencies(store.bookmarks()), (QList<qint64>{144000000, 145000000, 145000000, 146000000}));
    EXPECT_EQ(changed.count(), 4);
}

TEST(BookmarksTest, RangeIncludesBothEndsAndFiltersByKnownDistance)
{
    Bookmarks store;
    store.addBookmark(entryAt(100, "below"));
    store.addBookmark(entryAt(200, "low end"));
    store.addBookmark(entryAt(250, "far", 150000.0f));
    store.addBookmark(entryAt(260, "unknown", -1.0f));
    store.addBookmark(entryAt(270, "zero", 0.0f));
    store.addBookmark(entryAt(280, "at limit", 100000.0f));
    store.addBookmark(entryAt(300, "high end"));
    store.addBookmark(entryAt(301, "above"));

    const struct
    {
        qint64 low, high;
        float maxDistance;
        QStringList expected;
    } cases[] = {
        {200, 300, -1.0f, {"low end", "far", "unknown", "zero", "at limit", "high end"}},
        {200, 300, 0.0f, {"low end", "far", "unknown", "zero", "at limit", "high end"}},
        {200, 300, 100000.0f, {"low end", "unknown", "zero", "at limit", "high end"}},
        {300, 200, -1.0f, {}},
        {301, 301, -1.0f, {"above"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(names(store.bookmarksInRange(c.low, c.high, c.maxDistance)), c.expected)
            << c.low << ".." << c.high << " max " << c.maxDistance;
}

TEST(BookmarksTest, ClearMemoriesRemovesAdjacentMemoriesAndAlwaysSignals)
{
    Bookmarks store;
    QSignalSpy changed(&store, &Bookmarks::BookmarksChanged);
    store.clearMemories();
    EXPECT_EQ(changed.count(), 1);

    for (int i = 0; i < 6; ++i) {
        BookmarkEntry entry = entryAt(1000 + i, QString::number(i));
        entry.memory = (i >= 1 && i <= 3) || i == 5;
        store.addBookmark(entry);
    }
    changed.clear();
    store.clearMemories();
    EXPECT_EQ(names(store.bookmarks()), (QStringList{"0", "4"}));
    EXPECT_EQ(changed.count(), 1);
}

TEST(BookmarksTest, RemoveAtOutsideTheListRemovesNothingButSignals)
{
    Bookmarks store;
    store.addBookmark(entryAt(1, "a"));
    store.addBookmark(entryAt(2, "b"));
    QSignalSpy changed(&store, &Bookmarks::BookmarksChanged);
    store.removeAt(-1);
    store.removeAt(2);
    EXPECT_EQ(store.count(), 2);
    store.removeAt(0);
    EXPECT_EQ(names(store.bookmarks()), QStringList{"b"});
    EXPECT_EQ(changed.count(), 3);
}

TEST(BookmarksTest, RemoveUnlinkedInRangeKeepsLinkedAndOutsideEntries)
{
    Bookmarks store;
    auto* row = reinterpret_cast<dbBeacon*>(0x1); // only compared, never dereferenced
    BookmarkEntry linked = entryAt(150, "linked");
    linked.beacon = row;
    store.addBookmark(entryAt(99, "outside"));
    store.addBookmark(entryAt(100, "a"));
    store.addBookmark(entryAt(120, "b"));
    store.addBookmark(linked);
    store.addBookmark(entryAt(200, "c"));
    store.addBookmark(entryAt(201, "outside too"));
    QSignalSpy changed(&store, &Bookmarks::BookmarksChanged);
    store.removeUnlinkedInRange(100, 200);
    EXPECT_EQ(names(store.bookmarks()), (QStringList{"outside", "linked", "outside too"}));
    EXPECT_EQ(changed.count(), 1);
}

TEST(BookmarksTest, TagNamesAreTrimmedAndCaseSensitive)
{
    Bookmarks store;
    QSignalSpy tagsChanged(&store, &Bookmarks::TagListChanged);
    EXPECT_EQ(store.findOrCreateTag("   "), store.tags().first());
    EXPECT_EQ(tagsChanged.count(), 0);

    BookmarkTag* a = store.findOrCreateTag(" a ");
    EXPECT_EQ(tagsChanged.count(), 1);
    EXPECT_EQ(a->name, "a");
    EXPECT_EQ(store.findOrCreateTag("a"), a);
    EXPECT_NE(store.findOrCreateTag("A"), a);
    EXPECT_EQ(tagsChanged.count(), 2);
    EXPECT_EQ(store.tagIndex("  a"), 1);
    EXPECT_EQ(store.tagIndex("missing"), -1);
}

TEST(BookmarksTest, SetTagShownSignalsOnlyOnSuccess)
{
    Bookmarks store;
    BookmarkEntry entry = entryAt(1);
    entry.tags.append(store.findOrCreateTag("x"));
    store.addBookmark(entry);
    QSignalSpy changed(&store, &Bookmarks::BookmarksChanged);
    QSignalSpy tagsChanged(&store, &Bookmarks::TagListChanged);

    EXPECT_FALSE(store.setTagShown("nope", false));
    EXPECT_EQ(changed.count() + tagsChanged.count(), 0);

    EXPECT_TRUE(store.bookmarks().first().hasShownTag());
    EXPECT_TRUE(store.setTagShown(" x ", false));
    EXPECT_FALSE(store.bookmarks().first().hasShownTag());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(tagsChanged.count(), 1);
}

TEST(BookmarksTest, DeleteTagRetagsEntriesLeftWithoutATag)
{
    Bookmarks store;
    BookmarkTag* gone = store.findOrCreateTag("gone");
    BookmarkTag* kept = store.findOrCreateTag("kept");
    BookmarkEntry only = entryAt(1, "only");
    only.tags = {gone};
    BookmarkEntry two = entryAt(2, "two");
    two.tags = {gone, kept};
    BookmarkEntry twice = entryAt(3, "twice");
    twice.tags = {gone, gone};
    store.addBookmark(only);
    store.addBookmark(two);
    store.addBookmark(twice);

    QList<int> order; // 1: BookmarksChanged, 2: TagListChanged
    QObject::connect(&store, &Bookmarks::BookmarksChanged, [&] { order.append(1); });
    QObject::connect(&store, &Bookmarks::TagListChanged, [&] { order.append(2); });
    EXPECT_TRUE(store.deleteTag(" gone "));
    EXPECT_EQ(order, (QList<int>{1, 2}));

    const QList<BookmarkEntry> entries = store.bookmarks();
    EXPECT_EQ(tagNames(entries.at(0).tags), QStringList{"Untagged"});
    EXPECT_EQ(tagNames(entries.at(1).tags), QStringList{"kept"});
    EXPECT_EQ(tagNames(entries.at(2).tags), QStringList{"Untagged"});
    EXPECT_EQ(tagNames(store.tags()), (QStringList{"Untagged", "kept"}));
}

TEST(BookmarksTest, DeleteTagRefusesUntaggedAndUnknownNames)
{
    Bookmarks store;
    QSignalSpy changed(&store, &Bookmarks::BookmarksChanged);
    for (const char* name : {"Untagged", "  Untagged ", "unknown"})
        EXPECT_FALSE(store.deleteTag(name)) << name;
    EXPECT_EQ(tagNames(store.tags()), QStringList{"Untagged"});
    EXPECT_EQ(changed.count(), 0);
}
