#include "engine/plugins/ContainerPlugin.h"
#include "engine/plugins/CounterPlugin.h"
#include "engine/plugins/NewsPlugin.h"

#include "RecordingTestSupport.h"
#include "StubReceiverHardware.h"

#include <QElapsedTimer>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

TEST(CounterPlugin, ShowsElapsedSecondsAsHoursMinutesSeconds)
{
    const struct
    {
        int secs;
        const char* text;
    } cases[] = {{0, "00:00:00"},    {59, "00:00:59"},   {60, "00:01:00"},
                 {3600, "01:00:00"}, {3725, "01:02:05"}, {86399, "23:59:59"}};
    for (const auto& c : cases)
        EXPECT_EQ(CounterPlugin::formatElapsed(c.secs), c.text) << c.secs;
}

TEST(CounterPlugin, ValueShowsThePanelAndHidingAnnouncesIt)
{
    CounterPlugin counter;
    EXPECT_TRUE(counter.isHidden());
    EXPECT_EQ(counter.displayed(), "00:00:00");
    ASSERT_TRUE(QMetaObject::invokeMethod(&counter, "setLegend", Q_ARG(QString, "Duree")));
    ASSERT_TRUE(QMetaObject::invokeMethod(&counter, "setValue", Q_ARG(int, 3725)));
    EXPECT_FALSE(counter.isHidden());
    EXPECT_EQ(counter.displayed(), "01:02:05");
    EXPECT_EQ(counter.legend(), "Duree");

    QString hiddenName;
    QObject::connect(&counter, &OrvexPlugin::hideMe, [&](QString n) { hiddenName = n; });
    ASSERT_TRUE(QMetaObject::invokeMethod(&counter, "hidePanel"));
    EXPECT_EQ(hiddenName, "counter");
    EXPECT_TRUE(counter.isHidden());
    EXPECT_EQ(counter.displayed(), "01:02:05"); // stays as last set
}

// The news panel hides itself a delay after its creation and after the last news.
TEST(NewsPlugin, StaysVisibleUntilTheDelayAfterTheLastNews)
{
    constexpr int delayMs = 300;
    NewsPlugin news(delayMs);
    news.show();
    ASSERT_TRUE(waitFor([&] { return news.isHidden(); }));

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QMetaObject::invokeMethod(&news, "addNews", Q_ARG(QString, "first")));
    EXPECT_TRUE(news.isVisible());
    waitFor([&] { return clock.elapsed() >= delayMs / 2; });
    ASSERT_TRUE(QMetaObject::invokeMethod(&news, "addNews", Q_ARG(QString, "second")));
    const qint64 secondAt = clock.elapsed();
    ASSERT_TRUE(waitFor([&] { return news.isHidden(); }));
    EXPECT_GE(clock.elapsed(), secondAt + delayMs - 20);
    EXPECT_TRUE(news.html().contains("first"));
    EXPECT_TRUE(news.html().contains("second"));
}

// Only what a container plug-in needs of a receiver: its name and its panel.
class PanelReceiver : public StubReceiverHardware
{
public:
    PanelReceiver(const char* name, QWidget* panel) : StubReceiverHardware(name), m_panel(panel) {}
    QWidget* getDisplayWidget() override { return m_panel; }

private:
    QWidget* m_panel;
};

TEST(ContainerPlugin, HoldsTheReceiversPanelUnderItsName)
{
    auto* panel = new QLabel("controls");
    PanelReceiver receiver("Récepteur", panel);
    std::unique_ptr<ContainerPlugin> plugin(ContainerPlugin::create(&receiver));
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->name, QString::fromUtf8("Récepteur"));
    EXPECT_EQ(plugin->title, plugin->name);
    EXPECT_TRUE(plugin->listable);
    EXPECT_EQ(panel->parentWidget(), plugin.get());
}

TEST(ContainerPlugin, ReceiverWithoutPanelGetsNone)
{
    PanelReceiver receiver("bare", nullptr);
    EXPECT_EQ(ContainerPlugin::create(&receiver), nullptr);
    EXPECT_EQ(ContainerPlugin::create(nullptr), nullptr);
}

} // namespace
