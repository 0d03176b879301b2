#include "map/tiles/TileBytes.h"
#include "FakeTileSource.h"

#include <QBuffer>
#include <QDataStream>
#include <QTimeZone>
#include <gtest/gtest.h>

TEST(TileBytes, DecodesPicturesAndRefusesWhatIsNoTile)
{
    QByteArray hugeHeader = pngTile(Qt::red, 8);
    // The PNG header's width, patched far beyond a tile (the CRC no longer
    // matches, but the size is read before anything else).
    hugeHeader[16] = 0x00;
    hugeHeader[17] = 0x01;
    const struct
    {
        const char* name;
        QByteArray bytes;
        bool decodes;
    } cases[] = {
        {"png", pngTile(Qt::blue), true},
        {"jpeg", jpegTile(Qt::green), true},
        {"empty", QByteArray(), false},
        {"garbage", QByteArray("<html>not found</html>"), false},
        {"truncated png", pngTile(Qt::blue).left(40), false},
        {"picture too large", pngTile(Qt::blue, TileBytes::MaxTileEdge + 1), false},
        {"width in header too large", hugeHeader, false},
        {"too many bytes", QByteArray(TileBytes::MaxTileBytes + 1, 'x'), false},
        // A GIF's header need not tell the size its decoder makes.
        {"gif whose screen is wider than a tile",
         // Header, a 55255 x 1 screen, a 1 x 1 picture and its data.
         QByteArray::fromHex("474946383761"
                             "d7d70100000000"
                             "2c00000000010001000002024401003b"),
         false},
        {"bmp", encodedTile(Qt::blue, "BMP"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!TileBytes::decodeImage(c.bytes).isNull(), c.decodes) << c.name;
    EXPECT_EQ(TileBytes::decodeImage(pngTile(Qt::blue)).pixelColor(10, 10), QColor(Qt::blue));
}

TEST(TileBytes, MaxAgeGivesTheExpiry)
{
    const QDateTime now(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
    const struct
    {
        QByteArray header;
        qint64 seconds; // -1: no expiry
    } cases[] = {
        {"max-age=3600", 3600},
        {"public, max-age=604800, stale-while-revalidate=60", 604800},
        {"no-cache", -1},
        {"", -1},
        {"Max-Age=60", -1}, // the directive is matched as written
        {"max-age=", -1},
        {"max-age=-5", -1},
        {QByteArray("max-age=60\0max-age=5", 20), 60},
        {QByteArray("\0max-age=60", 11), -1},
        {"max-age=99999999999999999999999", -1}, // beyond 64 bits
        {"max-age=18446744073709551615", TileBytes::MaxAgeLimitSeconds},
    };
    for (const auto& c : cases) {
        const QDateTime expiry = TileBytes::expiryFromCacheControl(c.header, now);
        if (c.seconds < 0)
            EXPECT_TRUE(expiry.isNull()) << c.header.constData();
        else
            EXPECT_EQ(expiry, now.addSecs(c.seconds)) << c.header.constData();
    }
}

TEST(TileBytes, ExpiryTableIsQtsHashStream)
{
    TileBytes::ExpiryTable table;
    table.insert("530,360,10", QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5), Qt::UTC));
    table.insert("0,0,0", QDateTime(QDate(2030, 6, 7), QTime(8, 9, 10), Qt::UTC));
    const QByteArray bytes = TileBytes::writeExpiryTable(table);

    // A 32-bit count first, as Qt writes a hash.
    QDataStream raw(bytes);
    quint32 count = 0;
    raw >> count;
    EXPECT_EQ(count, 2u);

    TileBytes::ExpiryTable back;
    ASSERT_TRUE(TileBytes::readExpiryTable(bytes, back));
    EXPECT_EQ(back, table);
}

TEST(TileBytes, DamagedExpiryTablesReadAsEmpty)
{
    TileBytes::ExpiryTable table;
    table.insert("1,2,3", QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5), Qt::UTC));
    const QByteArray good = TileBytes::writeExpiryTable(table);
    QByteArray hugeCount = good;
    hugeCount[0] = char(0xff);
    const QByteArray cases[] = {good.left(good.size() - 3), hugeCount,
                                QByteArray("\x00\x00\x00\x01\xff\xff\xff\xfe", 8)};
    for (const QByteArray& bytes : cases) {
        TileBytes::ExpiryTable read;
        read.insert("stale", QDateTime::currentDateTimeUtc());
        EXPECT_FALSE(TileBytes::readExpiryTable(bytes, read));
        EXPECT_TRUE(read.isEmpty());
    }
}

TEST(TileBytes, EntriesWithoutAUsableTimeAreLeftOutAndTheRestCanBeWrittenBack)
{
    // A damaged table: its one entry has a time in a time zone that is none.
    const QByteArray damaged =
        QByteArray::fromBase64("AgAAAAEAAAAKADEAJAAzACwAMwAAAAAA39/f39/f39/f39/f39/f3yWLEAKTLgAB").mid(1);
    TileBytes::ExpiryTable table;
    ASSERT_TRUE(TileBytes::readExpiryTable(damaged, table));
    EXPECT_TRUE(table.isEmpty());

    // Times in another zone are kept, in UTC.
    TileBytes::ExpiryTable zoned;
    const QDateTime paris(QDate(2025, 1, 2), QTime(13, 0), QTimeZone("Europe/Paris"));
    zoned.insert("1,2,3", paris);
    ASSERT_TRUE(TileBytes::readExpiryTable(TileBytes::writeExpiryTable(zoned), table));
    EXPECT_EQ(table.value("1,2,3"), QDateTime(QDate(2025, 1, 2), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(table.value("1,2,3").timeSpec(), Qt::UTC);
    EXPECT_FALSE(TileBytes::writeExpiryTable(table).isEmpty());
}
