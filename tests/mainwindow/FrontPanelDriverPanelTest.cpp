// A driver library's own control panel in the plug-in strip, and the close
// that unloads the library with the receiver.
#include "WindowFixture.h"

#include "engine/plugins/ContainerPlugin.h"
#include "engine/plugins/PluginManager.h"
#include "hardware/RadioHardwareProvider.h"
#include "mainwindow/FrontPanel.h"

#include <QPointer>

namespace {

class FrontPanelDriverPanel : public WindowFixture
{
};

// The panel is the driver's code: the window deletes it before the driver's
// library is unloaded with the receiver, and takes it out of the strip's
// plug-ins. The window is shown, so that the panel gets events to the end.
TEST_F(FrontPanelDriverPanel, GoesBeforeItsLibraryAtTheClose)
{
    // As the start-up does: the chosen receiver of a provider, its panel registered.
    auto* provider = new RadioHardwareProvider;
    provider->loadFromFile(fixturesDir() + "/EXTSDR_SyntheticPanel.dll");
    ASSERT_EQ(provider->receivers()->size(), 1);
    ReceiverHardware* chosen = provider->receivers()->first();
    provider->setSelected(chosen);
    provider->clearExceptSelected();
    ContainerPlugin* container = ContainerPlugin::create(chosen);
    ASSERT_NE(container, nullptr);
    const QString name = container->name;
    PluginManager::instance()->registerPlugin(container);
    const QPointer<ContainerPlugin> panel = container;
    engine->setReceiverHardware(chosen);

    auto window = std::make_unique<FrontPanel>();
    window->setHardwareProvider(provider);
    window->setController(engine.get());
    window->show();
    ASSERT_TRUE(panel->isVisible());

    window.reset();
    EXPECT_TRUE(panel.isNull());
    EXPECT_EQ(PluginManager::instance()->findPlugin(name), nullptr);
}

} // namespace
