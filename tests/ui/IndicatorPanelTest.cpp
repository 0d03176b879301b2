// Indicator dials: configuration from the program settings and shown values.
#include "ui/widgets/IndicatorPanel.h"
#include "TempWorkDir.h"
#include "core/ProgramSettings.h"
#include "ui/widgets/IndicatorWidget.h"

#include <QDir>
#include <QGridLayout>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

class IndicatorPanelTest : public ::testing::Test
{
protected:
    void SetUp() override { QDir().mkpath(work.file("conf")); }

    // Writes keys into the program settings file before a panel reads it.
    void write(const QString& group, const QVariantMap& values)
    {
        auto settings = ProgramSettings::open();
        settings->beginGroup(group);
        for (auto it = values.begin(); it != values.end(); ++it)
            settings->setValue(it.key(), it.value());
    }
    QVariant read(const QString& key)
    {
        auto settings = ProgramSettings::open();
        return settings->value(key);
    }

    TempWorkDir work;
};

TEST_F(IndicatorPanelTest, FirstStartWritesTheExampleAndShowsNothing)
{
    IndicatorPanel panel;
    EXPECT_EQ(panel.indicatorCount(), 0);
    EXPECT_TRUE(panel.findChildren<IndicatorWidget*>().isEmpty());
    EXPECT_EQ(read("Indicators/count").toInt(), 0);
    EXPECT_EQ(read("Indicators/I0_Name").toString(), "example");
}

TEST_F(IndicatorPanelTest, OnlyNamedIndicesGetDialsTwoPerRow)
{
    write("Indicators", {{"count", 4}, {"I1_Name", "SWR"}, {"I2_Name", "Temp"}, {"I3_Name", "Vbat"}});
    IndicatorPanel panel;
    EXPECT_EQ(panel.indicatorCount(), 4);
    EXPECT_EQ(panel.findChildren<IndicatorWidget*>().size(), 3);
    IndicatorWidget* swr = panel.dialAt(1);
    ASSERT_NE(swr, nullptr);
    EXPECT_EQ(panel.dialNamed("SWR"), swr);
    EXPECT_EQ(panel.dialAt(0), nullptr);

    auto* grid = qobject_cast<QGridLayout*>(panel.layout());
    int row, column, rowSpan, columnSpan;
    const auto cellOf = [&](QWidget* w) {
        grid->getItemPosition(grid->indexOf(w), &row, &column, &rowSpan, &columnSpan);
        return QPoint(column, row);
    };
    EXPECT_EQ(cellOf(swr), QPoint(0, 0));
    EXPECT_EQ(cellOf(panel.dialAt(2)), QPoint(1, 0));
    EXPECT_EQ(cellOf(panel.dialAt(3)), QPoint(0, 1));
    // Each dial wrote its missing keys with their defaults.
    EXPECT_EQ(read("SWR/max").toDouble(), 100.0);
    EXPECT_EQ(read("SWR/points").toDouble(), 255.0);
    EXPECT_EQ(read("SWR/alarm").toDouble(), 0.0);
}

struct RawCase
{
    int raw;
    double shown;
};

TEST_F(IndicatorPanelTest, RawValuesScaleToWholeUnits)
{
    write("Indicators", {{"count", 1}, {"I0_Name", "Level"}});
    IndicatorPanel panel;
    IndicatorWidget* dial = panel.dialAt(0);
    ASSERT_NE(dial, nullptr);
    for (const RawCase& c : {RawCase{128, 50}, RawCase{255, 100}, RawCase{300, 100}, RawCase{0, 0}}) {
        panel.SLOT_updateIndicator(0, c.raw);
        EXPECT_DOUBLE_EQ(dial->value(), c.shown) << "raw " << c.raw;
    }
    panel.SLOT_updateIndicatorValue("Level", 42.5);
    EXPECT_DOUBLE_EQ(dial->value(), 42.5);
    // Unknown index or name: nothing happens.
    panel.SLOT_updateIndicator(7, 10);
    panel.SLOT_updateIndicatorValue("Nope", 10);
    EXPECT_DOUBLE_EQ(dial->value(), 42.5);
}

TEST_F(IndicatorPanelTest, BoundsFromTheFileMakeTheScale)
{
    write("Indicators", {{"count", 1}, {"I0_Name", "Temp"}});
    write("Temp", {{"min", -20.0}, {"max", 60.0}, {"points", 0}, {"alarm", 50.0}});
    IndicatorPanel panel;
    IndicatorWidget* dial = panel.dialAt(0);
    ASSERT_NE(dial, nullptr);
    EXPECT_DOUBLE_EQ(dial->lowerBound(), -20.0);
    EXPECT_DOUBLE_EQ(dial->upperBound(), 60.0);
    EXPECT_FLOAT_EQ(dial->getAlarmValue(), 50.0f);
    dial->SLOT_updateValue(1); // points 0 counts as 1: one step spans the scale
    EXPECT_DOUBLE_EQ(dial->value(), 60.0);
    EXPECT_FALSE(dial->grab().isNull());
}

// Values a user may leave in the file; none of them may stall the start-up
// (a panel that tried to build them would not end within the test's time limit).
TEST_F(IndicatorPanelTest, UnboundedSettingsAreRefused)
{
    write("Indicators", {{"count", 2000000000}, {"I0_Name", "x"}});
    {
        IndicatorPanel panel;
        EXPECT_EQ(panel.indicatorCount(), 0);
    }
    write("Indicators", {{"count", 2}, {"I0_Name", "Inf"}, {"I1_Name", "a/b"}});
    write("Inf", {{"min", "-inf"}, {"max", "inf"}});
    {
        IndicatorPanel panel;
        IndicatorWidget* dial = panel.dialAt(0);
        ASSERT_NE(dial, nullptr);
        EXPECT_DOUBLE_EQ(dial->upperBound(), 100.0);
        EXPECT_EQ(panel.dialAt(1), nullptr); // a name that would nest settings groups
        dial->SLOT_updateValue(300);
        EXPECT_DOUBLE_EQ(dial->value(), 100.0);
        dial->resize(200, 200);
        EXPECT_FALSE(dial->grab().isNull());
    }
}

} // namespace
