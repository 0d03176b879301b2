// The schedule service's answer read from its bytes: which bodies hold
// stations, how each field of an entry is read, and when a station is listed.
#include "decoders/whatson/ScheduleReply.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

const char* const kTwoStations =
    "[{\"bcast_name\":\"R\xc3\xa1" "dio Nacional\",\"ciraf\":\"12\",\"freq\":6000,\"hstart\":\"22:00\","
    "\"hstop\":\"23:45\",\"lang\":\"Portugu\xc3\xaas\",\"loc\":\"Bras\xc3\xadlia\",\"mod\":\"D\","
    "\"name\":\"RN\",\"power\":500,\"schedkey\":4711,\"slat\":\"15S47\",\"slon\":\"047W55\"},"
    "{\"bcast_name\":\"A<B & C\",\"freq\":7300,\"hstart\":\"00:00\",\"hstop\":\"24:00\",\"mod\":\"A\","
    "\"schedkey\":12,\"slat\":\"48N51\",\"slon\":\"002E21\"}]";

struct BodyCase
{
    const char* label;
    QByteArray body;
    bool isArray;
    QStringList names; // the stations read, in order
};

class BodyTest : public ::testing::TestWithParam<BodyCase>
{
};

TEST_P(BodyTest, ReadsTheStationsOfAnArrayOnly)
{
    const BodyCase& c = GetParam();
    const ScheduleReply reply(c.body);
    EXPECT_EQ(reply.isArray(), c.isArray);
    QStringList names;
    for (const RFStation& s : reply.stations())
        names << s.bcast_name;
    EXPECT_EQ(names, c.names);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, BodyTest,
    ::testing::Values(
        BodyCase{"utf8", kTwoStations, true, {QString::fromUtf8("R\xc3\xa1" "dio Nacional"), "A<B & C"}},
        BodyCase{"nul_ends_the_body", QByteArray(kTwoStations) + QByteArray("\0garbage", 8), true,
                 {QString::fromUtf8("R\xc3\xa1" "dio Nacional"), "A<B & C"}},
        BodyCase{"empty_array", "[]", true, {}},
        BodyCase{"object", "{\"freq\":6000,\"bcast_name\":\"X\"}", false, {}},
        BodyCase{"number", "42", false, {}},
        BodyCase{"empty", "", false, {}},
        BodyCase{"truncated", QByteArray(kTwoStations).left(150), false, {}},
        BodyCase{"html_error_page", "<html><body>Not Found</body></html>", false, {}},
        BodyCase{"latin1_bytes", "[{\"freq\":6000,\"bcast_name\":\"R\xe1" "dio\"}]", false, {}},
        BodyCase{"no_or_bad_frequency",
                 "[{\"bcast_name\":\"none\"},{\"freq\":\"6000\",\"bcast_name\":\"text\"},"
                 "{\"freq\":6000.5,\"bcast_name\":\"fraction\"},{\"freq\":0,\"bcast_name\":\"zero\"},"
                 "{\"freq\":9400,\"bcast_name\":\"kept\"}]",
                 true, {"kept"}},
        BodyCase{"elements_not_objects", "[1,\"x\",null,[],{\"freq\":9400,\"bcast_name\":\"kept\"}]", true,
                 {"kept"}}),
    [](const ::testing::TestParamInfo<BodyCase>& info) { return std::string(info.param.label); });

TEST(ScheduleReply, ReadsEveryFieldOfAnEntry)
{
    const QList<RFStation> stations = ScheduleReply(kTwoStations).stations();
    ASSERT_EQ(stations.size(), 2);
    const RFStation& s = stations.at(0);
    EXPECT_EQ(s.frequency, 6000000);
    EXPECT_EQ(s.ciraf, "12");
    EXPECT_EQ(s.startTime, QTime(22, 0));
    EXPECT_EQ(s.stopTime, QTime(23, 45));
    EXPECT_EQ(s.lang, QString::fromUtf8("Portugu\xc3\xaas"));
    EXPECT_EQ(s.loc, QString::fromUtf8("Bras\xc3\xadlia"));
    EXPECT_EQ(s.modNotD, 0);
    EXPECT_EQ(s.name, "RN");
    EXPECT_EQ(s.power, 500);
    EXPECT_EQ(s.schedkey, 4711);
    EXPECT_NEAR(s.latitude, -(15 + 47 / 60.0), 1e-4);
    EXPECT_NEAR(s.longitude, -(47 + 55 / 60.0), 1e-4);

    const RFStation& t = stations.at(1);
    EXPECT_EQ(t.modNotD, 1);
    EXPECT_EQ(t.startTime, QTime(0, 0));
    EXPECT_FALSE(t.stopTime.isValid()); // "24:00" is no time of day
    EXPECT_TRUE(t.lang.isEmpty());
    EXPECT_EQ(t.power, 0);
}

struct DegreesCase
{
    const char* text;
    char positive;
    char negative;
    double degrees;
};

class DegreesTest : public ::testing::TestWithParam<DegreesCase>
{
};

TEST_P(DegreesTest, ReadsDegreesAndMinutes)
{
    const DegreesCase& c = GetParam();
    EXPECT_NEAR(RFStation::readDegrees(c.text, c.positive, c.negative), c.degrees, 1e-4) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Texts, DegreesTest,
                         ::testing::Values(DegreesCase{"33S52", 'N', 'S', -(33 + 52 / 60.0)},
                                           DegreesCase{"48N51", 'N', 'S', 48 + 51 / 60.0},
                                           DegreesCase{"002E21", 'E', 'W', 2 + 21 / 60.0},
                                           DegreesCase{"070W39", 'E', 'W', -(70 + 39 / 60.0)},
                                           DegreesCase{"00S30", 'N', 'S', -0.5},
                                           DegreesCase{"", 'N', 'S', 0.0},
                                           DegreesCase{"north", 'N', 'S', 0.0},
                                           DegreesCase{"infN00", 'N', 'S', 0.0},
                                           DegreesCase{"nanS", 'N', 'S', 0.0}));

struct ListedCase
{
    const char* label;
    QTime start;
    QTime stop;
    QTime now;
    bool listed;
};

class ListedTest : public ::testing::TestWithParam<ListedCase>
{
};

TEST_P(ListedTest, KeepsAStationUntilItsEnd)
{
    const ListedCase& c = GetParam();
    RFStation s;
    s.startTime = c.start;
    s.stopTime = c.stop;
    EXPECT_EQ(s.isListedAt(c.now), c.listed);
}

INSTANTIATE_TEST_SUITE_P(
    Times, ListedTest,
    ::testing::Values(ListedCase{"later_today", QTime(23, 30), QTime(23, 45), QTime(23, 0), true},
                      ListedCase{"on_the_air", QTime(10, 0), QTime(12, 0), QTime(11, 0), true},
                      ListedCase{"ended", QTime(10, 0), QTime(12, 0), QTime(12, 0), false},
                      ListedCase{"past_midnight_evening", QTime(22, 0), QTime(2, 0), QTime(23, 0), true},
                      ListedCase{"past_midnight_at_start", QTime(22, 0), QTime(2, 0), QTime(22, 0), true},
                      ListedCase{"past_midnight_morning", QTime(22, 0), QTime(2, 0), QTime(1, 0), true},
                      ListedCase{"past_midnight_ended", QTime(22, 0), QTime(2, 0), QTime(15, 0), false},
                      ListedCase{"no_stop", QTime(22, 0), QTime(), QTime(1, 0), false},
                      ListedCase{"no_start", QTime(), QTime(2, 0), QTime(23, 0), false}),
    [](const ::testing::TestParamInfo<ListedCase>& info) { return std::string(info.param.label); });

} // namespace
