#include "map/gps/NmeaParser.h"

#include "NmeaSentences.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

void feed(NmeaParser& parser, const std::string& text)
{
    for (char c : text)
        parser.feed(c);
}

} // namespace

TEST(NmeaUnits, NoValueFiguresBeforeAnySentence)
{
    NmeaParser parser;
    float latitude = 0, longitude = 0;
    quint32 age = 0;
    parser.positionDegrees(&latitude, &longitude, &age);
    EXPECT_EQ(latitude, 1000.0f);
    EXPECT_EQ(longitude, 1000.0f);
    EXPECT_EQ(age, NmeaParser::NoAge);
    EXPECT_EQ(parser.altitudeMetres(), 1000000.0f);
    EXPECT_EQ(parser.courseDegrees(), 1000.0f);
    for (float speed : {parser.speedKnots(), parser.speedMph(), parser.speedMetresPerSecond(), parser.speedKmh()})
        EXPECT_EQ(speed, -1.0f);
    quint32 date = 1, time = 1;
    parser.dateAndTime(&date, &time, &age);
    EXPECT_EQ(date, NmeaFix::NoDate);
    EXPECT_EQ(time, NmeaFix::NoTime);
    EXPECT_EQ(age, NmeaParser::NoAge);
}

TEST(NmeaUnits, CommittedValuesInEverydayUnits)
{
    NmeaParser parser;
    feed(parser, MunichGga);
    feed(parser, MunichRmc);

    float latitude = 0, longitude = 0;
    quint32 age = 1;
    parser.positionDegrees(&latitude, &longitude, &age);
    EXPECT_FLOAT_EQ(latitude, 48.1173f);
    EXPECT_FLOAT_EQ(longitude, 11.516667f);
    EXPECT_EQ(age, 0u);
    EXPECT_FLOAT_EQ(parser.altitudeMetres(), 545.4f);
    EXPECT_FLOAT_EQ(parser.courseDegrees(), 84.4f);
    EXPECT_FLOAT_EQ(parser.speedKnots(), 22.4f);
    EXPECT_NEAR(parser.speedMph(), 25.7775, 1e-3);
    EXPECT_NEAR(parser.speedMetresPerSecond(), 11.5236, 1e-3);
    EXPECT_NEAR(parser.speedKmh(), 41.4848, 1e-3);

    quint32 date = 0, time = 0;
    parser.dateAndTime(&date, &time, &age);
    EXPECT_EQ(date, 230394u);
    EXPECT_EQ(time, 12352000u);
    EXPECT_EQ(age, 0u);
}

TEST(NmeaUnits, GreatCircleDistanceAndCourse)
{
    struct Case
    {
        const char* name;
        float lat1, lon1, lat2, lon2;
        float metres;      // on the 6372795 m sphere
        float course;      // initial course, degrees; negative where none is defined
    };
    // Reference values from the spherical formulas with R = 6372795 m.
    const Case cases[] = {
        {"one degree north along a meridian", 0, 0, 1, 0, 111226.3f, 0},
        {"one degree east along the equator", 0, 0, 0, 1, 111226.3f, 90},
        {"one degree south", 1, 0, 0, 0, 111226.3f, 180},
        {"one degree west", 0, 1, 0, 0, 111226.3f, 270},
        {"antipodes on the equator", 0, 0, 0, 180, 20020741.0f, -1},
        {"same point", 48.1173f, 11.516667f, 48.1173f, 11.516667f, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(NmeaParser::greatCircleDistance(c.lat1, c.lon1, c.lat2, c.lon2), c.metres, c.metres * 1e-4 + 0.5);
        if (c.course >= 0)
            EXPECT_NEAR(NmeaParser::initialCourse(c.lat1, c.lon1, c.lat2, c.lon2), c.course, 0.01);
    }
    // Paris to London: about 343 km, heading north-north-west.
    const float metres = NmeaParser::greatCircleDistance(48.8566f, 2.3522f, 51.5074f, -0.1278f);
    EXPECT_NEAR(metres, 343.5e3, 1.5e3);
    const float course = NmeaParser::initialCourse(48.8566f, 2.3522f, 51.5074f, -0.1278f);
    EXPECT_NEAR(course, 330.0, 2.0);
    EXPECT_STREQ(NmeaParser::compassPointName(course), "NNW");
}

TEST(NmeaUnits, CompassPointsSplitTheCircleInSixteen)
{
    struct Case
    {
        float course;
        const char* name;
    };
    const Case cases[] = {
        {0, "N"},       {11.24f, "N"},  {11.25f, "NNE"}, {45, "NE"},    {90, "E"},    {135, "SE"},
        {180, "S"},     {202.5f, "SSW"}, {270, "W"},     {337.5f, "NNW"}, {348.74f, "NNW"},
        {348.75f, "N"}, {359.9f, "N"},  {360, "N"},      {-40, "NW"},   {725, "N"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(NmeaParser::compassPointName(c.course), c.name) << c.course;
    EXPECT_STREQ(NmeaParser::compassPointName(std::numeric_limits<float>::quiet_NaN()), "N");
}
