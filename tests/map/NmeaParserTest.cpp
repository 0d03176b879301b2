#include "map/gps/NmeaParser.h"

#include "NmeaSentences.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

bool operator==(const NmeaFix& a, const NmeaFix& b)
{
    return a.time == b.time && a.date == b.date && a.latitude == b.latitude && a.longitude == b.longitude &&
           a.altitude == b.altitude && a.speed == b.speed && a.course == b.course && a.hdop == b.hdop &&
           a.satellites == b.satellites;
}

void PrintTo(const NmeaFix& f, std::ostream* out)
{
    *out << "{time " << f.time << ", date " << f.date << ", lat " << f.latitude << ", lon " << f.longitude
         << ", alt " << f.altitude << ", speed " << f.speed << ", course " << f.course << ", hdop " << f.hdop
         << ", sats " << f.satellites << "}";
}

namespace {

// The number of sentences the text committed.
int feed(NmeaParser& parser, const std::string& text)
{
    int committed = 0;
    for (char c : text)
        committed += parser.feed(c) ? 1 : 0;
    return committed;
}

std::string rmcSentence(const std::string& time, const std::string& status, const std::string& position,
                        const std::string& speed, const std::string& course, const std::string& date)
{
    return nmeaSentence("GPRMC," + time + "," + status + "," + position + "," + speed + "," + course + "," +
                        date + ",003.1,W");
}

NmeaFix munichFix()
{
    NmeaFix f;
    f.time = 12352000;
    f.date = 230394;
    f.latitude = 48117300;
    f.longitude = 11516667;
    f.altitude = 54540;
    f.speed = 2240;
    f.course = 8440;
    f.hdop = 90;
    f.satellites = 8;
    return f;
}

} // namespace

TEST(NmeaParser, ReferenceSentencesGiveTheirValues)
{
    NmeaParser parser;
    ASSERT_EQ(feed(parser, MunichGga), 1);
    NmeaFix expected;
    expected.time = 12351900;
    expected.latitude = 48117300;
    expected.longitude = 11516667;
    expected.altitude = 54540;
    expected.hdop = 90;
    expected.satellites = 8;
    EXPECT_EQ(parser.fix(), expected);

    int year = -1;
    quint8 month = 99, day = 99, hour = 0, minute = 0, second = 0, hundredths = 99;
    quint32 age = 1;
    parser.splitDateTime(&year, &month, &day, &hour, &minute, &second, &hundredths, &age);
    // No sentence has brought a date: none is made up.
    EXPECT_EQ(std::vector<int>({year, month, day, hour, minute, second, hundredths, int(age)}),
              std::vector<int>({0, 0, 0, 12, 35, 19, 0, 0}));

    ASSERT_EQ(feed(parser, MunichRmc), 1);
    EXPECT_EQ(parser.fix(), munichFix());
    parser.splitDateTime(&year, &month, &day, &hour, &minute, &second, nullptr, nullptr);
    EXPECT_EQ(std::vector<int>({year, month, day, hour, minute, second}),
              std::vector<int>({1994, 3, 23, 12, 35, 20}));
}

TEST(NmeaParser, NothingIsCommittedBeforeAGoodSentence)
{
    NmeaParser parser;
    qint32 latitude = 0, longitude = 0;
    quint32 age = 0;
    parser.positionMicrodegrees(&latitude, &longitude, &age);
    EXPECT_EQ(latitude, NmeaFix::NoAngle);
    EXPECT_EQ(longitude, NmeaFix::NoAngle);
    EXPECT_EQ(age, NmeaParser::NoAge);
    EXPECT_FALSE(parser.fix().hasTime() || parser.fix().hasDate() || parser.fix().hasPosition() ||
                 parser.fix().hasAltitude());
}

TEST(NmeaParser, OnlyChecksummedSentencesOfAValidFixCommit)
{
    const std::string ggaBody = "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";
    struct Case
    {
        const char* name;
        std::string text;
        int committed;
        quint32 rejected;
    };
    const Case cases[] = {
        {"GGA", MunichGga, 1, 0},
        {"RMC", MunichRmc, 1, 0},
        {"GN talker, RMC", "$GNRMC,123520,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*7E\r\n", 1, 0},
        {"GN talker, GGA", nmeaSentence("GNGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"), 1,
         0},
        {"lower-case checksum", "$GNRMC,123520,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*7e\r\n", 1,
         0},
        {"line feed alone ends it", "$" + ggaBody + "*47\n", 1, 0},
        {"wrong checksum", "$GPRMC,123520,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*61\r\n", 0, 1},
        {"one checksum digit", "$" + ggaBody + "*4\r\n", 0, 1},
        {"non-hex checksum digit", "$" + ggaBody + "*4G\r\n", 0, 1},
        {"three checksum characters", "$" + ggaBody + "*470\r\n", 0, 1},
        {"empty checksum", "$" + ggaBody + "*\r\n", 0, 1},
        {"no checksum", "$" + ggaBody + "\r\n", 0, 0},
        {"status V", "$GPRMC,123520,V,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*77\r\n", 0, 0},
        {"fix quality 0", nmeaSentence("GPGGA,123519,4807.038,N,01131.000,E,0,08,0.9,545.4,M,46.9,M,,"), 0,
         0},
        {"empty fix quality", nmeaSentence("GPGGA,123519,4807.038,N,01131.000,E,,08,0.9,545.4,M,46.9,M,,"), 0,
         0},
        {"other sentence", nmeaSentence("GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00"),
         0, 0},
        {"name with more after it", nmeaSentence("GPGGAX,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M"), 0,
         0},
        {"checksum without a sentence", "*47\r\n", 0, 0},
        {"cut short by the next sentence", "$GPGGA,123519,4807" + MunichGga, 1, 0},
        {"a second checksum after the first", MunichGga.substr(0, MunichGga.size() - 2) + "*47\r\n", 1, 0},
    };
    for (const Case& c : cases) {
        NmeaParser parser;
        EXPECT_EQ(feed(parser, c.text), c.committed) << c.name;
        EXPECT_EQ(parser.rejectedSentences(), c.rejected) << c.name;
        if (c.committed == 0)
            EXPECT_EQ(parser.fix(), NmeaFix()) << c.name;
    }
}

TEST(NmeaParser, AFieldWithoutAValidValueKeepsTheLastOne)
{
    const std::string munich = "4807.038,N,01131.000,E";
    struct Case
    {
        const char* name;
        std::string sentence;
        std::function<void(NmeaFix&)> change;
    };
    const Case cases[] = {
        {"south and west", ggaSentence("123521", "4807.038,S", "01131.000,W", "545.4"),
         [](NmeaFix& f) {
             f.time = 12352100;
             f.latitude = -48117300;
             f.longitude = -11516667;
         }},
        {"negative altitude", ggaSentence("123521", "4807.038,N", "01131.000,E", "-0.05"),
         [](NmeaFix& f) {
             f.time = 12352100;
             f.altitude = -5;
         }},
        {"empty altitude", ggaSentence("123521", "4807.038,N", "01131.000,E", ""),
         [](NmeaFix& f) { f.time = 12352100; }},
        {"altitude beyond its field", ggaSentence("123521", "4807.038,N", "01131.000,E", "99999999999.9"),
         [](NmeaFix& f) { f.time = 12352100; }},
        {"empty position", ggaSentence("123521", ",", ",", "600.0"),
         [](NmeaFix& f) {
             f.time = 12352100;
             f.altitude = 60000;
         }},
        {"latitude above 90", ggaSentence("123521", "9100.000,N", "01131.000,E", "545.4"),
         [](NmeaFix& f) { f.time = 12352100; }},
        {"60 minutes", ggaSentence("123521", "4760.000,N", "01131.000,E", "545.4"),
         [](NmeaFix& f) { f.time = 12352100; }},
        {"longitude above 180", ggaSentence("123521", "4807.038,N", "18000.001,E", "545.4"),
         [](NmeaFix& f) { f.time = 12352100; }},
        {"latitude without hemisphere", ggaSentence("123521", "4807.038,", "01131.000,E", "545.4"),
         [](NmeaFix& f) { f.time = 12352100; }},
        {"hemisphere neither E nor W", ggaSentence("123521", "4807.038,N", "01131.000,X", "545.4"),
         [](NmeaFix& f) { f.time = 12352100; }},
        {"latitude not a number", ggaSentence("123521", "north,N", "01131.000,E", "545.4"),
         [](NmeaFix& f) { f.time = 12352100; }},
        {"empty time", ggaSentence("", "4807.000,N", "01131.000,E", "545.4"),
         [](NmeaFix& f) { f.latitude = 48116667; }},
        {"hour 24", ggaSentence("240000", "4807.000,N", "01131.000,E", "545.4"),
         [](NmeaFix& f) { f.latitude = 48116667; }},
        {"second 61", ggaSentence("123561", "4807.000,N", "01131.000,E", "545.4"),
         [](NmeaFix& f) { f.latitude = 48116667; }},
        {"time not a number", ggaSentence("noon", "4807.000,N", "01131.000,E", "545.4"),
         [](NmeaFix& f) { f.latitude = 48116667; }},
        {"time longer than a field holds",
         ggaSentence("12352100000000000000", "4807.000,N", "01131.000,E", "545.4"),
         [](NmeaFix& f) { f.latitude = 48116667; }},
        {"leap second", ggaSentence("235960.5", munich.substr(0, 10), munich.substr(11), "545.4"),
         [](NmeaFix& f) { f.time = 23596050; }},
        {"month 13", rmcSentence("123522", "A", munich, "1.0", "2.0", "231394"),
         [](NmeaFix& f) {
             f.time = 12352200;
             f.speed = 100;
             f.course = 200;
         }},
        {"day 0", rmcSentence("123522", "A", munich, "1.0", "2.0", "000394"),
         [](NmeaFix& f) {
             f.time = 12352200;
             f.speed = 100;
             f.course = 200;
         }},
        {"empty date, speed and course", rmcSentence("123522", "A", munich, "", "", ""),
         [](NmeaFix& f) { f.time = 12352200; }},
        {"negative speed", rmcSentence("123522", "A", munich, "-1.0", "2.0", "240394"),
         [](NmeaFix& f) {
             f.time = 12352200;
             f.course = 200;
             f.date = 240394;
         }},
    };
    for (const Case& c : cases) {
        NmeaParser parser;
        ASSERT_EQ(feed(parser, MunichGga + MunichRmc), 2);
        NmeaFix expected = parser.fix();
        c.change(expected);
        EXPECT_EQ(feed(parser, c.sentence), 1) << c.name;
        EXPECT_EQ(parser.fix(), expected) << c.name;
    }
}

TEST(NmeaParser, TwoDigitYearsFallInTheirCentury)
{
    struct Case
    {
        const char* date;
        int year, month, day;
    };
    for (const Case& c : {Case{"230394", 1994, 3, 23}, Case{"010180", 2080, 1, 1},
                          Case{"311281", 1981, 12, 31}, Case{"290200", 2000, 2, 29}}) {
        NmeaParser parser;
        ASSERT_EQ(feed(parser, rmcSentence("000000", "A", "4807.038,N,01131.000,E", "0", "0", c.date)), 1);
        int year = 0;
        quint8 month = 0, day = 0;
        parser.splitDateTime(&year, &month, &day, nullptr, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(std::vector<int>({year, month, day}), std::vector<int>({c.year, c.month, c.day})) << c.date;
    }
}

TEST(NmeaParser, NoiseNeverSpoilsTheNextSentence)
{
    std::string everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte += char(i);
    std::string manyFields = "$GPGGA";
    for (int i = 0; i < 300; ++i)
        manyFields += ",1";
    struct Case
    {
        const char* name;
        std::string noise;
    };
    const Case cases[] = {
        {"every byte value", everyByte},
        {"10 kB sentence without a line end", "$GPGGA," + std::string(10000, 'A')},
        {"300 fields", manyFields},
        {"field of 100 digits", "$GPGGA,123519" + std::string(100, '7') + ",4807.038,N"},
        {"checksums without sentences", "*47*47\r\n*"},
    };
    for (const Case& c : cases) {
        NmeaParser parser;
        feed(parser, c.noise);
        EXPECT_EQ(feed(parser, MunichGga + MunichRmc), 2) << c.name;
        EXPECT_EQ(parser.fix(), munichFix()) << c.name;
    }
}
