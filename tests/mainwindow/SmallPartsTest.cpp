// The window's small rules, each a plain function: the clock's text, the
// spot name sent to a server, the frequency error.
#include "engine/FrequencyConverter.h"
#include "mainwindow/FrequencyError.h"
#include "mainwindow/SpotName.h"
#include "mainwindow/UtcClockText.h"

#include <gtest/gtest.h>

TEST(UtcClock, ShowsEveryDigitOfTheHourWithTenths)
{
    const struct
    {
        int hour, minute, second, msec;
        const char* text;
    } cases[] = {{9, 5, 7, 250, "09:05:07.2"},
                 {9, 5, 7, 0, "09:05:07.0"},
                 {23, 59, 59, 5, "23:59:59.0"},
                 {23, 59, 59, 999, "23:59:59.9"}};
    for (const auto& c : cases) {
        const QString text = utcClockText(c.hour, c.minute, c.second, c.msec);
        EXPECT_EQ(text, c.text);
        // The window's clock has eleven digit cells; ':' and '.' take one each.
        EXPECT_LE(text.size(), 11) << c.text;
    }
}

TEST(SpotName, IsNamedBoundedAndNeverCutInsideACharacter)
{
    EXPECT_EQ(SpotName::forServer(""), "no_name");
    EXPECT_EQ(SpotName::forServer("F4XYZ/p 2m"), "F4XYZ/p 2m");
    EXPECT_EQ(SpotName::forServer(QString(200, 'a')).size(), SpotName::MaxBytes);
    const struct
    {
        QString text;
        bool shortened;
    } cuts[] = {
        {QString(), false},
        {QString(SpotName::MaxBytes, 'a'), false},
        {QString(SpotName::MaxBytes + 1, 'a'), true},
        {QString(32, QChar(0xe9)), false},
        {"a" + QString(32, QChar(0xe9)), true},
    };
    for (const auto& c : cuts) {
        bool shortened = !c.shortened;
        SpotName::forServer(c.text, &shortened);
        EXPECT_EQ(shortened, c.shortened) << c.text.size();
    }
    // "é" is two bytes: 40 of them fill 64 bytes with 32 whole characters.
    const QByteArray accented = SpotName::forServer(QString(40, QChar(0xe9)));
    EXPECT_EQ(accented.size(), 64);
    EXPECT_EQ(QString::fromUtf8(accented), QString(32, QChar(0xe9)));
    const QByteArray odd = SpotName::forServer("a" + QString(40, QChar(0xe9)));
    EXPECT_EQ(odd.size(), 63);
    const QString emoji = QString::fromUtf8("\xF0\x9F\x93\xA1");
    EXPECT_EQ(QString::fromUtf8(SpotName::forServer(QString(30, 'x') + emoji.repeated(10))),
              QString(30, 'x') + emoji.repeated(8));
}

TEST(FrequencyError, FromTheTrueFrequencyOfATunedSignal)
{
    FrequencyConverter converter;
    converter.set(100000000, 144000000, 146000000);
    const struct
    {
        qint64 real;
        int offset;
        qint64 centre;
        double currentPpm;
        const FrequencyConverter* converter;
        double expected;
    } cases[] = {
        {145010290, 10000, 145000000, 0.0, nullptr, 2.0},
        {145009710, 10000, 145000000, 0.0, nullptr, -2.0},
        {145010000, 10000, 145000000, 0.0, nullptr, 0.0},
        // Through a converter the receiver tunes 45 MHz: the same 290 Hz is 6.44 ppm there.
        {145010290, 10000, 145000000, 0.0, &converter, 290.0 * 1e6 / 45000000.0},
        // A correction in force moves the nominal centre; the result replaces it.
        {145000290 + 10000, 10000, 145000000, 2.0, nullptr, 0.0},
    };
    for (const auto& c : cases) {
        const std::optional<float> ppm =
            frequencyErrorPpm(c.real, c.offset, c.centre, c.currentPpm, c.converter);
        ASSERT_TRUE(ppm.has_value()) << c.real;
        EXPECT_NEAR(*ppm, c.expected, 1e-3) << c.real;
    }
}

TEST(FrequencyError, ReferenceOfZeroOrLessIsRefused)
{
    EXPECT_FALSE(frequencyErrorPpm(1000, 0, 0, 0.0, nullptr).has_value());
    EXPECT_FALSE(frequencyErrorPpm(1000, 0, -5, 0.0, nullptr).has_value());
    // A converter that maps the reference to 0 Hz: its LO.
    FrequencyConverter converter;
    converter.set(145000000, 144000000, 146000000);
    EXPECT_FALSE(frequencyErrorPpm(145010000, 10000, 145000000, 0.0, &converter).has_value());
}
