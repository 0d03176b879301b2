// The close of a window on a receiver of a driver library: the receiver is
// released (and its library unloaded) last, after its own panel, and not at
// all while a script may still be in it.
#include "WindowFixture.h"

#include "ThreadGate.h"
#include "engine/plugins/ContainerPlugin.h"
#include "engine/plugins/PluginManager.h"
#include "hardware/HardwareLoader.h"
#include "hardware/RadioHardwareProvider.h"
#include "mainwindow/FrontPanel.h"
#include "scripting/ScriptCore.h"
#include "scripting/ScriptEngine.h"

#include <QPointer>

namespace {

// As the start-up does: the chosen receiver of a provider on one driver
// library, and the engine on it; the window is made by each test.
class FrontPanelReceiverRelease : public WindowFixture
{
protected:
    bool choose(const QString& driver)
    {
        provider = new RadioHardwareProvider;
        provider->loadFromFile(fixturesDir() + "/" + driver);
        if (provider->receivers()->size() != 1)
            return false;
        chosen = provider->receivers()->first();
        provider->setSelected(chosen);
        provider->clearExceptSelected();
        engine->setReceiverHardware(chosen);
        return true;
    }
    FrontPanel& attached()
    {
        window = std::make_unique<FrontPanel>();
        window->setHardwareProvider(provider);
        window->setController(engine.get());
        return *window;
    }

    RadioHardwareProvider* provider = nullptr;
    ReceiverHardware* chosen = nullptr;
    std::unique_ptr<FrontPanel> window;
};

// The driver's own panel is the driver's code: the window deletes it before
// the library is unloaded with the receiver, and takes it out of the strip's
// plug-ins. The window is shown, so that the panel gets events to the end.
TEST_F(FrontPanelReceiverRelease, TheDriversPanelGoesBeforeItsLibrary)
{
    ASSERT_TRUE(choose("EXTSDR_SyntheticPanel.dll"));
    ContainerPlugin* container = ContainerPlugin::create(chosen);
    ASSERT_NE(container, nullptr);
    const QString name = container->name;
    PluginManager::instance()->registerPlugin(container);
    const QPointer<ContainerPlugin> panel = container;
    attached().show();
    ASSERT_TRUE(panel->isVisible());

    window.reset();
    EXPECT_TRUE(panel.isNull());
    EXPECT_EQ(PluginManager::instance()->findPlugin(name), nullptr);
}

// A script held inside a call to the engine at the close (here in a listener
// of the engine's report, connected directly) may be in the receiver's
// driver: the window keeps the receiver, and its library, rather than free
// them under it.
TEST_F(FrontPanelReceiverRelease, AScriptStillInTheEngineKeepsTheReceiver)
{
    ASSERT_TRUE(choose("EXTSDR_Synthetic.dll"));
    const QPointer<HardwareLoader> receiver = dynamic_cast<HardwareLoader*>(chosen);
    ASSERT_FALSE(receiver.isNull());
    attached();
    ThreadGate gate;
    QObject context;
    QObject::connect(
        engine.get(), &Controller::MSG_ChannelTurnedOnOff, &context,
        [&gate] {
            if (QThread::currentThread() != qApp->thread())
                gate.pass();
        },
        Qt::DirectConnection);
    ScriptCore::instance()->runScriptSource(QStringLiteral("orvex.startRX();"));
    const QPointer<ScriptEngine> script = ScriptCore::instance()->findChild<ScriptEngine*>();
    ASSERT_TRUE(waitFor([&] { return gate.held() == 1; }));

    window.reset();
    EXPECT_FALSE(receiver.isNull());

    gate.open();
    ASSERT_TRUE(waitFor([&] { return script.isNull(); }));
    EXPECT_FALSE(ScriptCore::engineInUse());
    delete provider;
    delete chosen;
}

} // namespace
