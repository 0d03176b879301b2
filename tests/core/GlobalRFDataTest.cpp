#include "core/GlobalRFData.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<double> latestSpectrum(GlobalRFData& data, int* sampleRate)
{
    int length = -1;
    double* values = nullptr;
    data.getSpectrum(&length, &values, sampleRate);
    std::vector<double> copy(values, values + length);
    std::free(values);
    return copy;
}

} // namespace

TEST(GlobalRFData, NoSpectrumYetGivesZeroAndLeavesThePointer)
{
    GlobalRFData data;
    int length = -1;
    int sampleRate = -1;
    double marker = 0;
    double* values = &marker;
    data.getSpectrum(&length, &values, &sampleRate);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(sampleRate, 0);
    EXPECT_EQ(values, &marker);
}

TEST(GlobalRFData, HandsOutCopiesOfTheLatestLine)
{
    GlobalRFData data;
    std::vector<double> first = {-100, -90, -80};
    data.setSpectrum(3, first.data(), 2000000);
    first[0] = 0; // the store kept its own copy

    int sampleRate = 0;
    EXPECT_EQ(latestSpectrum(data, &sampleRate), (std::vector<double>{-100, -90, -80}));
    EXPECT_EQ(sampleRate, 2000000);

    std::vector<double> sameLength = {-1, -2, -3};
    data.setSpectrum(3, sameLength.data(), 1000000);
    EXPECT_EQ(latestSpectrum(data, &sampleRate), sameLength);
    EXPECT_EQ(sampleRate, 1000000);

    std::vector<double> longer = {-5, -6, -7, -8, -9};
    data.setSpectrum(5, longer.data(), 48000);
    EXPECT_EQ(latestSpectrum(data, &sampleRate), longer);
    EXPECT_EQ(sampleRate, 48000);
}

TEST(GlobalRFData, EmptyHandOverKeepsTheLatestLine)
{
    GlobalRFData data;
    std::vector<double> line = {-50, -60};
    data.setSpectrum(2, line.data(), 96000);
    data.setSpectrum(0, line.data(), 1);
    data.setSpectrum(-4, line.data(), 1);
    data.setSpectrum(2, nullptr, 1);
    int sampleRate = 0;
    EXPECT_EQ(latestSpectrum(data, &sampleRate), line);
    EXPECT_EQ(sampleRate, 96000);
}

TEST(GlobalRFData, TimeTextPadsFieldsAndWritesThreeDigitMilliseconds)
{
    struct Case
    {
        int day, month, year, hour, minute, second, msec;
        const char* text;
    };
    for (const Case c : {Case{7, 3, 2024, 9, 5, 0, 5, "07/03/2024 09:05:00.005"},
                         Case{28, 11, 2023, 23, 59, 59, 450, "28/11/2023 23:59:59.450"},
                         Case{10, 10, 2025, 10, 10, 10, 45, "10/10/2025 10:10:10.045"},
                         Case{0, 0, 0, 0, 0, 0, 0, "00/00/00 00:00:00.000"}}) {
        GlobalRFData data;
        data.day = c.day;
        data.month = c.month;
        data.year = c.year;
        data.hour = c.hour;
        data.minute = c.minute;
        data.second = c.second;
        data.msec = c.msec;
        EXPECT_EQ(data.timeText().toStdString(), c.text);
    }
}
