// The bookmarks file: layout as written, and what a load brings back.
#include "QtPrinters.h"
#include "TempWorkDir.h"
#include "lists/Bookmarks.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

BookmarkEntry entry(qint64 frequency, const QString& name, const QString& modulation, qint64 bandwidth)
{
    BookmarkEntry e;
    e.frequency = frequency;
    e.name = name;
    e.modulation = modulation;
    e.bandwidth = bandwidth;
    return e;
}

QStringList tagNames(const QList<BookmarkTag*>& tags)
{
    QStringList names;
    for (const BookmarkTag* tag : tags)
        names.append(tag->name);
    return names;
}

class BookmarksFileTest : public ::testing::Test
{
protected:
    void SetUp() override { store.setBookmarksDir(work.path()); }

    QString fileText()
    {
        QFile file(work.file("bookmarks.csv"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    }

    void writeFile(const QByteArray& bytes)
    {
        QFile file(work.file("bookmarks.csv"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    TempWorkDir work;
    Bookmarks store;
};

const QByteArray tagHeader = "# Tag name          ;  color\n";
const QByteArray bookmarkHeader =
    "# Frequency ; Name                     ; Modulation          ;  Bandwidth; Tags\n";

} // namespace

TEST_F(BookmarksFileTest, EntriesWithoutTagsAreWrittenInFixedColumns)
{
    store.addBookmark(entry(144500000, "Test", "CW", 10));
    ASSERT_TRUE(store.saveFile());
    EXPECT_EQ(
        fileText(),
        QString::fromUtf8(tagHeader + "\n" + bookmarkHeader +
                          "   144500000; Test                     ; CW                  ;         10; \n"));
}

TEST_F(BookmarksFileTest, OnlyReferencedTagsAreWrittenWithTheirColour)
{
    BookmarkTag* beacons = store.findOrCreateTag("beacons");
    beacons->color = QColor(255, 0, 102);
    store.findOrCreateTag("unused");
    BookmarkEntry e = entry(50000000, "Very long name that exceeds its column", "USB", 2700);
    e.tags = {beacons, store.findOrCreateTag("Untagged")};
    store.addBookmark(e);
    ASSERT_TRUE(store.saveFile());
    EXPECT_EQ(
        fileText(),
        QString::fromUtf8(tagHeader + "Untagged            ; #c0c0c0\n" + "beacons             ; #ff0066\n" +
                          "\n" + bookmarkHeader +
                          "    50000000; Very long name that exceeds its column; USB                 ;       "
                          "2700; beacons,Untagged\n"));
}

TEST_F(BookmarksFileTest, RoundTripBringsBackEntriesAndTags)
{
    BookmarkTag* club = store.findOrCreateTag("Radio-club é");
    club->color = QColor("#123456");
    BookmarkEntry tagged = entry(432100000, "Balise F1ZZZ", "CW", 10);
    tagged.tags = {club};
    tagged.distance = 1234.0f;
    tagged.memory = true;
    tagged.scheduleKey = 9;
    tagged.labelColor = Qt::red;
    store.addBookmark(tagged);
    store.addBookmark(entry(10489550000LL, "QO-100", "", 0));
    ASSERT_TRUE(store.saveFile());

    Bookmarks loaded;
    loaded.setBookmarksDir(work.path());
    QSignalSpy changed(&loaded, &Bookmarks::BookmarksChanged);
    ASSERT_TRUE(loaded.loadFile());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(tagNames(loaded.tags()), (QStringList{"Untagged", "Radio-club é"}));
    EXPECT_EQ(loaded.tags().at(1)->color, QColor("#123456"));

    const QList<BookmarkEntry> entries = loaded.bookmarks();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].frequency, 432100000);
    EXPECT_EQ(entries[0].name, "Balise F1ZZZ");
    EXPECT_EQ(entries[0].modulation, "CW");
    EXPECT_EQ(entries[0].bandwidth, 10);
    EXPECT_EQ(tagNames(entries[0].tags), QStringList{"Radio-club é"});
    EXPECT_EQ(entries[0].distance, 0.0f);
    EXPECT_FALSE(entries[0].memory);
    EXPECT_EQ(entries[0].scheduleKey, 0);
    EXPECT_EQ(entries[0].color(), QColor(Qt::lightGray));
    EXPECT_EQ(entries[0].beacon, nullptr);
    EXPECT_EQ(entries[1].frequency, 10489550000LL);
    EXPECT_EQ(tagNames(entries[1].tags), QStringList{"Untagged"});
}

TEST_F(BookmarksFileTest, LoadSkipsMalformedLinesAndSorts)
{
    writeFile("# Tag name ; color\n"
              "club ; #00ff00\n"
              "weird ; notacolour\n"
              "too;many;parts\n"
              "#hidden ; #ff0000\n"
              "   \n"
              "# Frequency; Name; Modulation; Bandwidth; Tags\n"
              " 2000 ; b ; AM ; x ; club, #hidden\n"
              "1000;a;FM;12;\n"
              "3000;semi;colon;name;AM;10;\n"
              "\n"
              "abc;c;;5;weird\n");
    ASSERT_TRUE(store.loadFile());
    EXPECT_EQ(tagNames(store.tags()), (QStringList{"Untagged", "club", "weird", "#hidden"}));
    EXPECT_EQ(store.tags().at(1)->color, QColor("#00ff00"));
    EXPECT_FALSE(store.tags().at(2)->color.isValid());
    EXPECT_EQ(store.tags().at(3)->color, QColor(Qt::lightGray));

    const QList<BookmarkEntry> entries = store.bookmarks();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].frequency, 0); // "abc" is not a number
    EXPECT_EQ(entries[1].frequency, 1000);
    EXPECT_EQ(tagNames(entries[1].tags), QStringList{"Untagged"});
    EXPECT_EQ(entries[2].frequency, 2000);
    EXPECT_EQ(entries[2].bandwidth, 0);
    EXPECT_EQ(tagNames(entries[2].tags), (QStringList{"club", "#hidden"}));
}

TEST_F(BookmarksFileTest, FileWithoutEmptyLineHoldsOnlyTags)
{
    writeFile("a ; #010203\n1000;x;CW;10;a\n");
    ASSERT_TRUE(store.loadFile());
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(tagNames(store.tags()), (QStringList{"Untagged", "a"}));
}

TEST_F(BookmarksFileTest, EmptyFileGivesAnEmptyStore)
{
    store.addBookmark(entry(1, "old", "", 0));
    writeFile("");
    ASSERT_TRUE(store.loadFile());
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(tagNames(store.tags()), QStringList{"Untagged"});
}

TEST(BookmarksFileUnsetTest, WithoutFolderOrFileNothingChanges)
{
    TempWorkDir work;
    Bookmarks store;
    BookmarkEntry e;
    e.frequency = 5;
    store.addBookmark(e);
    EXPECT_FALSE(store.loadFile());
    EXPECT_FALSE(store.saveFile());
    store.setBookmarksDir(work.file("missing-folder"));
    EXPECT_FALSE(store.loadFile());
    EXPECT_FALSE(store.saveFile());
    EXPECT_EQ(store.count(), 1);
}
