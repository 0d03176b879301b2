// Beacons and band-plan segments read from a small real main database.
#include "DebugCapture.h"
#include "QtPrinters.h"
#include "SqliteFile.h"
#include "TempWorkDir.h"
#include "lists/DB.h"
#include "map/geo/GeoTools.h"

#include <GeographicLib/Geodesic.hpp>
#include <QFile>
#include <gtest/gtest.h>
#include <memory>

namespace {

template <typename Row> struct Owned
{
    explicit Owned(const QList<Row*>& list) : rows(list) {}
    ~Owned() { qDeleteAll(rows); }
    QList<Row*> rows;
};

class MainDatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db = std::make_unique<SqliteFile>(work.file("db/Orvex.sqlite"));
        db->exec(dbBeacon::createTableStatement());
        for (const char* column :
             {"ASL", "POWER", "ANTENNA", "BEARING", "BEACON_TYPE", "BEACON_SUBTYPE", "comment"})
            db->exec(QString("ALTER TABLE BEACONS ADD COLUMN %1 TEXT").arg(column));
        db->exec(dbRadioSegment::createTableStatement());
    }

    void addBeacon(const QString& callsign, qint64 freq, const QString& locator, const QVariant& lat,
                   const QVariant& lon, const QString& type = QString())
    {
        db->exec("insert into BEACONS (CALLSIGN, FREQ, LOCATOR, LAT, LON, BEACON_TYPE, ASL, POWER, comment) "
                 "values (?, ?, ?, ?, ?, ?, '120', '10W', 'note')",
                 {callsign, freq, locator, lat, lon, type});
    }

    TempWorkDir work;
    std::unique_ptr<SqliteFile> db;
};

} // namespace

TEST_F(MainDatabaseTest, TableStatementsCreateTheDocumentedColumns)
{
    EXPECT_EQ(db->column("select name from pragma_table_info('BEACONS') limit 6"),
              (QStringList{"ID", "FREQ", "CALLSIGN", "LAT", "LON", "LOCATOR"}));
    EXPECT_EQ(db->column("select name from pragma_table_info('RADIO_SEGMENTS')"),
              (QStringList{"ID", "FSTART", "FSTOP", "NAME"}));
}

TEST_F(MainDatabaseTest, BeaconsComeByCallsignThenFrequencyWithAllFields)
{
    addBeacon("F5ZZ", 432400000, "", 45.1, 2.5, "AMATEUR");
    addBeacon("DB0AB", 1296800000, "JN18", 10.0, 20.0, "AMATEUR");
    addBeacon("DB0AB", 144400000, "", 0.0, 0.0);
    Owned<dbBeacon> beacons(DB(nullptr).select_all_beacons());
    ASSERT_EQ(beacons.rows.size(), 3);
    EXPECT_EQ(beacons.rows[0]->CALLSIGN, "DB0AB");
    EXPECT_EQ(beacons.rows[0]->FREQ, 144400000u);
    EXPECT_EQ(beacons.rows[1]->FREQ, 1296800000u);
    EXPECT_EQ(beacons.rows[2]->CALLSIGN, "F5ZZ");

    const dbBeacon& f5 = *beacons.rows[2];
    EXPECT_GT(f5.ID, 0);
    EXPECT_EQ(f5.ASL, "120");
    EXPECT_EQ(f5.POWER, "10W");
    EXPECT_EQ(f5.comment, "note");
    EXPECT_EQ(f5.ANTENNA, "");
    EXPECT_EQ(f5.color, QColor(Qt::yellow));
    EXPECT_TRUE(f5.isAmateur());
}

TEST_F(MainDatabaseTest, PositionComesFromAValidLocatorElseFromCoordinates)
{
    const struct
    {
        const char* callsign;
        const char* locator;
        double lat, lon;
        double expectedLat, expectedLon;
        bool hasPosition;
    } cases[] = {
        {"A-JN18", "JN18", 10.0, 20.0, 48.5, 3.0, true},
        {"B-lower", "jn18", 10.0, 20.0, 48.5, 3.0, true},
        {"C-beyond-R", "SR00", 10.0, 20.0, 10.0, 20.0, true},
        {"D-one-letter", "S", 10.0, 20.0, 10.0, 20.0, true},
        {"E-empty", "", 45.1, -2.5, double(45.1f), -2.5, true},
        {"F-equator", "", 0.0, 20.0, 0.0, 20.0, false},
        {"G-meridian", "", 51.5, 0.0, 51.5, 0.0, false},
        {"H-pole", "", 90.0, 45.0, 90.0, 45.0, true},
    };
    for (const auto& c : cases)
        addBeacon(c.callsign, 1000, c.locator, c.lat, c.lon);
    Owned<dbBeacon> beacons(DB(nullptr).select_all_beacons());
    ASSERT_EQ(beacons.rows.size(), int(std::size(cases)));
    for (int i = 0; i < beacons.rows.size(); ++i) {
        const auto& c = cases[i];
        const dbBeacon& beacon = *beacons.rows[i];
        EXPECT_EQ(beacon.CALLSIGN, c.callsign);
        EXPECT_EQ(beacon.latitude, c.expectedLat) << c.callsign;
        EXPECT_EQ(beacon.longitude, c.expectedLon) << c.callsign;
        EXPECT_EQ(beacon.hasPosition(), c.hasPosition) << c.callsign;
    }
}

TEST_F(MainDatabaseTest, AmateurTypeIsMatchedExactly)
{
    addBeacon("A", 1, "", 0, 0, "AMATEUR");
    addBeacon("B", 1, "", 0, 0, "amateur");
    addBeacon("C", 1, "", 0, 0, "AMATEUR ");
    addBeacon("D", 1, "", 0, 0, "");
    Owned<dbBeacon> beacons(DB(nullptr).select_all_beacons());
    ASSERT_EQ(beacons.rows.size(), 4);
    EXPECT_TRUE(beacons.rows[0]->isAmateur());
    EXPECT_FALSE(beacons.rows[1]->isAmateur());
    EXPECT_FALSE(beacons.rows[2]->isAmateur());
    EXPECT_FALSE(beacons.rows[3]->isAmateur());
}

TEST_F(MainDatabaseTest, CallsignSelectBindsTheCallsignAsItIs)
{
    addBeacon("O'NEIL", 145000000, "", 0, 0);
    addBeacon("O'NEIL", 50000000, "", 0, 0);
    addBeacon("OTHER", 70000000, "", 0, 0);
    DB db(nullptr);
    Owned<dbBeacon> quoted(db.select_beacons_by_callsign("O'NEIL"));
    ASSERT_EQ(quoted.rows.size(), 2);
    EXPECT_EQ(quoted.rows[0]->FREQ, 50000000u);
    EXPECT_EQ(quoted.rows[1]->FREQ, 145000000u);
    Owned<dbBeacon> injected(db.select_beacons_by_callsign("x' or '1'='1"));
    EXPECT_TRUE(injected.rows.isEmpty());
}

TEST_F(MainDatabaseTest, SegmentsComeByStartFrequencyIn64Bits)
{
    db->exec("insert into RADIO_SEGMENTS (FSTART, FSTOP, NAME) values (?, ?, ?)",
             {10368000000LL, 10370000000LL, "3cm"});
    db->exec("insert into RADIO_SEGMENTS (FSTART, FSTOP, NAME) values (?, ?, ?)",
             {144000000LL, 146000000LL, "2m"});
    Owned<dbRadioSegment> segments(DB(nullptr).select_all_radio_segments());
    ASSERT_EQ(segments.rows.size(), 2);
    EXPECT_EQ(segments.rows[0]->NAME, "2m");
    EXPECT_EQ(segments.rows[0]->FSTOP, 146000000u);
    EXPECT_EQ(segments.rows[1]->FSTART, 10368000000u);
    EXPECT_EQ(segments.rows[1]->FSTOP, 10370000000u);
    EXPECT_GT(segments.rows[1]->ID, 0);
}

TEST_F(MainDatabaseTest, MissingTablesGiveEmptyListsWithoutMessage)
{
    db->exec("drop table BEACONS");
    db->exec("drop table RADIO_SEGMENTS");
    DebugCapture log;
    DB main(nullptr);
    EXPECT_TRUE(main.select_all_beacons().isEmpty());
    EXPECT_TRUE(main.select_beacons_by_callsign("X").isEmpty());
    EXPECT_TRUE(main.select_all_radio_segments().isEmpty());
    EXPECT_FALSE(log.lines().join('\n').contains("not opened"));
}

TEST(MainDatabaseUnopenedTest, SelectsReportAndReturnNothing)
{
    TempWorkDir work;
    QFile blocker(work.file("db"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    SqliteFile db(work.file("db/Orvex.sqlite"));
    DebugCapture log;
    DB main(nullptr);
    EXPECT_TRUE(main.select_all_beacons().isEmpty());
    EXPECT_TRUE(main.select_beacons_by_callsign("X").isEmpty());
    EXPECT_TRUE(main.select_all_radio_segments().isEmpty());
    EXPECT_TRUE(log.contains("DB::select_all_beacons db not opened"));
    EXPECT_TRUE(log.contains("DB::select_beacons_by_callsign db not opened"));
    EXPECT_TRUE(log.contains("DB::select_all_radio_segments db not opened"));
}

TEST_F(MainDatabaseTest, BeaconUpdatesTouchOnlyStoredRows)
{
    addBeacon("OLD", 1000, "", 0, 0);
    Owned<dbBeacon> beacons(DB(nullptr).select_all_beacons());
    ASSERT_EQ(beacons.rows.size(), 1);
    beacons.rows[0]->setFrequency(5000000000ULL);
    beacons.rows[0]->setCallsign("D'ARC");
    EXPECT_EQ(db->column("select FREQ || ' ' || CALLSIGN from BEACONS"), QStringList{"5000000000 D'ARC"});

    dbBeacon fresh(nullptr);
    fresh.setFrequency(7);
    fresh.setCallsign("NEW");
    EXPECT_EQ(fresh.FREQ, 7u);
    EXPECT_EQ(fresh.CALLSIGN, "NEW");
    EXPECT_EQ(db->column("select count(*) from BEACONS"), QStringList{"1"});
    EXPECT_EQ(db->column("select CALLSIGN from BEACONS"), QStringList{"D'ARC"});
}

TEST_F(MainDatabaseTest, DistanceFromStationIsGeodesic)
{
    addBeacon("A-locator", 1, "JN18", 0, 0);
    addBeacon("B-coordinates", 1, "", 43.5, 7.25);
    addBeacon("C-north-pole", 1, "", 90.0, 45.0);
    addBeacon("D-south-pole", 1, "", -90.0, -120.0);
    const double stationLon = 2.35, stationLat = 48.85;
    GeoTools::instance().setStationLocation(stationLon, stationLat);

    Owned<dbBeacon> beacons(DB(nullptr).select_all_beacons());
    ASSERT_EQ(beacons.rows.size(), 4);
    const GeographicLib::Geodesic& wgs84 = GeographicLib::Geodesic::WGS84();
    for (const dbBeacon* beacon : beacons.rows) {
        double expected = 0.0;
        wgs84.Inverse(stationLat, stationLon, beacon->latitude, beacon->longitude, expected);
        EXPECT_NEAR(beacon->distanceFromStation(), expected, 0.01) << beacon->CALLSIGN;
    }
}
