#include "engine/plugins/RfePlugin.h"

#include "engine/Controller.h"
#include "engine/FrequencyConverter.h"

#include "AttachedEngine.h"

#include <QPushButton>
#include <gtest/gtest.h>

namespace {

void pressButton(RfePlugin& panel)
{
    QPushButton* button = panel.findChild<QPushButton*>();
    ASSERT_NE(button, nullptr);
    emit button->pressed();
}

TEST(RfePlugin, ShowsTheLoInMegahertz)
{
    EXPECT_EQ(RfePlugin::loText(125000000), QStringLiteral("125.000 MHz"));
    EXPECT_EQ(RfePlugin::loText(116000000), QStringLiteral("116.000 MHz"));
    EXPECT_EQ(RfePlugin::loText(-1500000), QStringLiteral("-1.500 MHz"));
    qint64 lo = 125000000;
    RfePlugin panel(&lo);
    EXPECT_EQ(panel.name, QStringLiteral("rfeswitch"));
    EXPECT_TRUE(panel.listable);
    EXPECT_EQ(panel.shownLo(), QStringLiteral("125.000 MHz"));
}

TEST(RfePlugin, WithoutAnEngineTheButtonDoesNothing)
{
    qint64 lo = 125000000;
    RfePlugin panel(&lo);
    pressButton(panel);
    EXPECT_EQ(panel.shownLo(), QStringLiteral("125.000 MHz"));
}

using RfePluginOnAnEngine = AttachedEngine;

TEST_F(RfePluginOnAnEngine, ButtonDetachesTheConverterAndKeepsTheLabel)
{
    FrequencyConverter converter;
    converter.set(125000000, 100000000, 200000000);
    receiver.frequencyConverter = &converter;
    attach();

    RfePlugin panel(&converter.LO);
    panel.setController(&engine);
    pressButton(panel);
    EXPECT_EQ(receiver.frequencyConverter.load(), nullptr);
    EXPECT_EQ(receiver.getRxCenterFreq(), 895000000);
    EXPECT_EQ(panel.shownLo(), QStringLiteral("125.000 MHz"));
}

} // namespace
