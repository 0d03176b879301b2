// Level meter: smoothing of the level, bar length, squelch colours, scale drawing.
#include "ui/widgets/CMeter.h"

#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

struct LevelCase
{
    const char* name;
    float minLevel, maxLevel;
    std::vector<float> inputs;
    int expected;
};

class CMeterLevels : public ::testing::TestWithParam<LevelCase>
{
};

TEST_P(CMeterLevels, RiseFastFallSlow)
{
    const LevelCase& c = GetParam();
    CMeter meter(c.minLevel, c.maxLevel);
    for (float v : c.inputs)
        meter.setLevel(v);
    EXPECT_EQ(meter.getLevel(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CMeterLevels,
    ::testing::Values(LevelCase{"FirstRise", -130, 0, {-30}, -60},       // -130 + 0.7 * 100
                      LevelCase{"SecondRise", -130, 0, {-30, -30}, -39}, // 0.3 * -60 + 0.7 * -30
                      LevelCase{
                          "Fall", -130, 0, {-40, -40, -40, -40, -40, -40, -40, -40, -40, -40, -100}, -55},
                      LevelCase{"AboveScaleActsAsTop", -130, 0, {20}, -39}, // as 0: 0.3 * -130
                      LevelCase{"BelowScaleActsAsBottom", -120, 0, {-200, -200}, -120}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CMeter, BarSpansTheScaleLine)
{
    CMeter meter(-120, 0);
    meter.resize(200, 30);
    meter.show();
    for (int i = 0; i < 40; ++i)
        meter.setLevel(-60);
    ASSERT_EQ(meter.getLevel(), -60);
    EXPECT_EQ(meter.getBarLength(), 86); // (200 - 28) / 120 * 60

    // The green bar starts at 7 % of the width and is barLength pixels long.
    const QImage image = meter.grab().toImage();
    const QColor green(0, 190, 0);
    const int y = static_cast<int>(0.4 * 30 + 1) + 2;
    EXPECT_EQ(image.pixelColor(13 + 40, y), green);
    EXPECT_NE(image.pixelColor(13 + 86 + 3, y), green);
}

TEST(CMeter, TextColourFollowsTheSquelch)
{
    CMeter meter;
    const QColor grey(239, 239, 239), red(255, 34, 34), green(34, 255, 34);
    for (int i = 0; i < 40; ++i)
        meter.setLevel(-90);
    EXPECT_EQ(meter.textColor(), grey); // squelch 0: no colouring
    meter.SLOT_setSquelch(-80);
    EXPECT_EQ(meter.textColor(), red);
    for (int i = 0; i < 40; ++i)
        meter.setLevel(-70);
    EXPECT_EQ(meter.textColor(), green);
}

TEST(CMeter, EmptyScaleDrawsNoBar)
{
    CMeter meter(-50, -50);
    meter.resize(200, 30);
    meter.setLevel(-20);
    EXPECT_EQ(meter.getBarLength(), 0);
    EXPECT_EQ(meter.getLevel(), -74); // the level is still smoothed
}

// From the smallest size it lets a layout give it to its preferred one and
// beyond, the meter draws its bar along 86 % of its width, inside itself.
TEST(CMeter, TheBarKeepsToTheScaleAtEverySizeTheLayoutMayGive)
{
    CMeter sized;
    const QSize sizes[] = {sized.minimumSizeHint(), sized.sizeHint(), QSize(400, 40)};
    for (const QSize& size : sizes) {
        CMeter meter(-120, 0);
        meter.resize(size);
        meter.show();
        for (int i = 0; i < 40; ++i)
            meter.setLevel(-60);
        const int w = size.width();
        EXPECT_EQ(meter.getBarLength(), int(0.86 * w / 120 * 60)) << w;
        const QImage image = meter.grab().toImage();
        ASSERT_EQ(image.size(), size);
        // The bar's green, give or take the level text drawn over a small meter.
        auto barGreen = [](const QColor& c) { return c.green() > 150 && c.red() < 60 && c.blue() < 60; };
        const int y = int(0.4 * size.height() + 1) + 2;
        const int start = int(0.07 * w - 1);
        EXPECT_TRUE(barGreen(image.pixelColor(start + meter.getBarLength() / 2, y))) << w;
        EXPECT_FALSE(barGreen(image.pixelColor(std::min(w - 1, start + meter.getBarLength() + 2), y))) << w;
    }
}

} // namespace
