#include "engine/plugins/PluginManager.h"

#include "engine/plugins/OrvexPlugin.h"
#include "engine/plugins/PluginPanel.h"

#include "RecordingTestSupport.h"

#include <QComboBox>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

// A plug-in that records what its slots were called with, and on which thread.
class ProbePlugin : public OrvexPlugin
{
    Q_OBJECT
public:
    explicit ProbePlugin(const QString& pluginName, bool isListable = true)
    {
        name = pluginName;
        title = "Title of " + pluginName;
        listable = isListable;
    }

    int controllerCalls = 0;
    void setController(Controller* c) override
    {
        ++controllerCalls;
        OrvexPlugin::setController(c);
    }

    QThread* calledOn = nullptr;
    QString received;

public slots:
    void setValue(int secs)
    {
        calledOn = QThread::currentThread();
        received = QString::number(secs);
    }
    void describe(QString text, float level, double x)
    {
        calledOn = QThread::currentThread();
        received = QString("%1 %2 %3").arg(text).arg(level).arg(x);
    }
    bool ready() { return true; }
};

namespace {

Controller* fakeController()
{
    static int engine;
    return reinterpret_cast<Controller*>(&engine); // never dereferenced by the manager
}

QStringList names(const PluginManager& manager)
{
    QStringList list;
    for (int i = 0; i < manager.count(); ++i)
        list << manager.pluginAt(i)->name;
    return list;
}

TEST(PluginManager, BuiltInPluginsComeFirstThenAddedOnesInOrder)
{
    PluginManager manager(
        {[] { return new ProbePlugin("mesure", false); }, [] { return new ProbePlugin("WHATSON", false); }});
    EXPECT_EQ(names(manager), (QStringList{"news", "counter", "mesure", "WHATSON"}));
    EXPECT_EQ(manager.pluginAt(manager.count()), nullptr);
    EXPECT_EQ(manager.pluginAt(-1), nullptr);
    EXPECT_FALSE(manager.findPlugin("counter")->listable);
    EXPECT_TRUE(manager.findPlugin("news")->listable);
}

TEST(PluginManager, ProcessWideInstanceTakesTheRegisteredBuiltIns)
{
    if (!PluginManager::addBuiltInFactory([] { return new ProbePlugin("mesure", false); }))
        GTEST_SKIP() << "an earlier test of this process built the process-wide manager";
    ASSERT_TRUE(PluginManager::addBuiltInFactory([] { return new ProbePlugin("WHATSON", false); }));
    EXPECT_EQ(names(*PluginManager::instance()), (QStringList{"news", "counter", "mesure", "WHATSON"}));
    EXPECT_EQ(PluginManager::instance(), PluginManager::instance());
}

TEST(PluginManager, SecondPluginWithARegisteredNameIsRefused)
{
    PluginManager manager({});
    OrvexPlugin* first = manager.findPlugin("news");
    const int stripWidgets = manager.getPanel()->findChildren<OrvexPlugin*>().size();
    std::unique_ptr<ProbePlugin> duplicate(new ProbePlugin("news"));
    manager.registerPlugin(duplicate.get());
    manager.registerPlugin(nullptr);
    EXPECT_EQ(manager.count(), 2);
    EXPECT_EQ(manager.findPlugin("news"), first);
    EXPECT_EQ(manager.getPanel()->findChildren<OrvexPlugin*>().size(), stripWidgets);
    EXPECT_EQ(duplicate->parent(), nullptr);
}

TEST(PluginManager, EngineReachesPluginsRegisteredBeforeAndAfter)
{
    PluginManager manager({});
    auto* before = new ProbePlugin("before");
    manager.registerPlugin(before);
    EXPECT_EQ(before->controllerCalls, 0);

    manager.setController(fakeController());
    EXPECT_EQ(before->controllerCalls, 1);
    EXPECT_EQ(before->controller, fakeController());
    EXPECT_EQ(manager.findPlugin("counter")->controller, fakeController());

    OrvexPlugin* announced = nullptr;
    QObject::connect(&manager, &PluginManager::newPlugin, [&](OrvexPlugin* p) { announced = p; });
    auto* after = new ProbePlugin("after");
    manager.registerPlugin(after);
    EXPECT_EQ(after->controller, fakeController());
    EXPECT_EQ(announced, after);
}

TEST(PluginManager, CallFromAWorkerThreadRunsLaterOnTheGuiThread)
{
    PluginManager manager({});
    auto* probe = new ProbePlugin("probe");
    manager.registerPlugin(probe);

    bool invoked = false;
    std::thread worker(
        [&] { invoked = manager.invokePluginMethod("probe", "setValue", {42}, Qt::AutoConnection); });
    worker.join();
    EXPECT_TRUE(invoked);
    EXPECT_EQ(probe->calledOn, nullptr); // queued: nothing ran yet
    ASSERT_TRUE(waitFor([&] { return probe->calledOn != nullptr; }));
    EXPECT_EQ(probe->calledOn, QThread::currentThread());
    EXPECT_EQ(probe->received, "42");
}

TEST(PluginManager, ArgumentsAreMatchedByTheirTypeNames)
{
    PluginManager manager({});
    auto* probe = new ProbePlugin("probe");
    manager.registerPlugin(probe);
    EXPECT_TRUE(
        manager.invokePluginMethod("probe", "describe", {QString("band"), 2.5f, 0.25}, Qt::DirectConnection));
    EXPECT_EQ(probe->received, "band 2.5 0.25");
    // The argument's type must be the slot's: a 64-bit integer does not call an int slot.
    probe->received.clear();
    EXPECT_FALSE(manager.invokePluginMethod("probe", "setValue", {qlonglong(7)}, Qt::DirectConnection));
    EXPECT_TRUE(probe->received.isEmpty());
}

TEST(PluginManager, FailedCallsReportFalse)
{
    PluginManager manager({});
    manager.registerPlugin(new ProbePlugin("probe"));
    QVariantList eleven;
    for (int i = 0; i < 11; ++i)
        eleven << i;
    struct Case
    {
        const char* plugin;
        const char* slot;
        QVariantList args;
    } cases[] = {
        {"Probe", "setValue", {1}},    // names are case-sensitive
        {"nobody", "setValue", {1}},   // not registered
        {"probe", "noSuchSlot", {}},   // no such slot
        {"probe", "setValue", eleven}, // more than ten arguments
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.plugin) + "." + c.slot);
        EXPECT_FALSE(manager.invokePluginMethod(c.plugin, c.slot, c.args, Qt::AutoConnection));
    }
}

TEST(PluginManager, MethodReturnTypeMatchesNameAndParameterTypes)
{
    const QMetaObject* meta = &ProbePlugin::staticMetaObject;
    EXPECT_EQ(methodReturnType(meta, "ready", {}), "bool");
    EXPECT_EQ(methodReturnType(meta, "setValue", {"int"}), "void");
    EXPECT_TRUE(methodReturnType(meta, "setValue", {"float"}).isEmpty());
    EXPECT_TRUE(methodReturnType(meta, "missing", {}).isEmpty());
}

TEST(PluginPanel, ListsListablePluginsAndTogglesTheChosenOne)
{
    PluginManager manager({[] { return new ProbePlugin("hidden", false); }});
    PluginPanel panel(nullptr, &manager);
    auto* list = panel.findChild<QComboBox*>();
    ASSERT_NE(list, nullptr);
    // "Extensions", then the listable plug-ins by title: news only of the built-ins.
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(1), manager.findPlugin("news")->title);

    OrvexPlugin* news = manager.findPlugin("news");
    const bool wasHidden = news->isHidden();
    list->setCurrentIndex(1);
    EXPECT_NE(news->isHidden(), wasHidden);
    EXPECT_EQ(list->currentIndex(), 0);
}

} // namespace

#include "PluginManagerTest.moc"
