// The window as the constructor builds it, before any engine: the settings it
// writes back, its tabs, user action buttons and sliders.
#include "WindowFixture.h"

#include "DebugCapture.h"
#include "core/ProgramSettings.h"
#include "mainwindow/FrontPanel.h"
#include "ui/widgets/zxSlider.h"

#include <QGridLayout>
#include <QPushButton>
#include <QTabWidget>

namespace {

QStringList tabTitles(const FrontPanel& window)
{
    QStringList titles;
    for (int i = 0; i < window.tabWidget()->count(); ++i)
        titles << window.tabWidget()->tabText(i);
    return titles;
}

class FrontPanelLayout : public WindowFixture
{
};

} // namespace

TEST_F(FrontPanelLayout, FreshSettingsGetEmptyActionsAndADisabledAccessoryLink)
{
    FrontPanel window;
    std::unique_ptr<QSettings> settings = ProgramSettings::open();
    for (int n = 1; n <= FrontPanel::UserButtonCount; ++n) {
        EXPECT_TRUE(settings->contains("Interface/ACTION_" + QString::number(n)));
        EXPECT_EQ(settings->value("Interface/TEXT_" + QString::number(n)).toString(), QString());
    }
    EXPECT_EQ(settings->value("Accessories/enable_accessories").toString(), "0");
    EXPECT_EQ(window.userButtonArea(), nullptr);
}

TEST_F(FrontPanelLayout, TabsFollowTheIndicatorCount)
{
    {
        FrontPanel window;
        EXPECT_EQ(tabTitles(window), (QStringList{"RX A", "RX B", "Scan", "Carte", "timeDomain", "Chat"}));
    }
    setting("Indicators", "count", 1);
    setting("Indicators", "I0_Name", "swr");
    FrontPanel window;
    EXPECT_EQ(tabTitles(window),
              (QStringList{"RX A", "RX B", "Scan", "Carte", "Indicateurs", "timeDomain", "Chat"}));
}

TEST_F(FrontPanelLayout, UserButtonsSitThreeToARowInTheirOwnCells)
{
    const struct
    {
        int n;
        QString text;
        QString caption;
        int row;
        int column;
    } cases[] = {{2, "", "2", 0, 1}, {4, "Scan", "Scan", 1, 0}};
    for (const auto& c : cases) {
        setting("Interface", "ACTION_" + QString::number(c.n), "orvex.print(1)");
        setting("Interface", "TEXT_" + QString::number(c.n), c.text);
    }
    // A caption without an action is erased.
    setting("Interface", "TEXT_5", "orphan");

    FrontPanel window;
    ASSERT_NE(window.userButtonArea(), nullptr);
    auto* grid = qobject_cast<QGridLayout*>(window.userButtonArea()->layout());
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(window.userButtonArea()->findChildren<QPushButton*>().size(), 2);
    for (const auto& c : cases) {
        QLayoutItem* item = grid->itemAtPosition(c.row, c.column);
        ASSERT_NE(item, nullptr) << c.n;
        auto* button = qobject_cast<QPushButton*>(item->widget());
        ASSERT_NE(button, nullptr) << c.n;
        EXPECT_EQ(button->text(), c.caption);
    }
    EXPECT_EQ(ProgramSettings::open()->value("Interface/TEXT_5").toString(), QString());
}

TEST_F(FrontPanelLayout, SlidersStartWhereTheEngineExpectsThem)
{
    FrontPanel window;
    const struct
    {
        zxSlider* slider;
        double value;
    } cases[] = {{window.balanceSlider(), 0},
                 {window.squelchSliderA(), -110},
                 {window.squelchSliderB(), -110},
                 {window.volumeSlider(), 30}};
    for (const auto& c : cases)
        EXPECT_EQ(c.slider->value(), c.value);
}

TEST_F(FrontPanelLayout, ClosingWithoutAnEngineReleasesNothing)
{
    DebugCapture debug;
    {
        FrontPanel window;
    }
    EXPECT_TRUE(debug.contains("Application closing"));
    EXPECT_FALSE(board()->contains(BoardSettings::channelKey(0, BoardSettings::ChannelNco)));
}
