// The measurement plug-in: its place among the built-ins, when it shows, its
// record button and the elapsed time.
#include "ui/widgets/MesuresPlugin.h"
#include "AttachedEngine.h"
#include "WaitFor.h"
#include "decoders/measure/Mesurement.h"
#include "decoders/measure/MesurementFileWriter.h"
#include "engine/Controller.h"
#include "engine/SampleContext.h"
#include "engine/board/BoardSettings.h"
#include "engine/demod/USBdemodulator.h"
#include "engine/plugins/PluginManager.h"
#include "ui/widgets/zxPushButton.h"

#include <QCoreApplication>
#include <QFile>
#include <QLCDNumber>
#include <QSettings>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(MesuresPlugin, IsTheThirdBuiltIn)
{
    PluginManager manager({[] { return new MesuresPlugin(); }});
    ASSERT_EQ(manager.count(), 3);
    OrvexPlugin* plugin = manager.pluginAt(2);
    EXPECT_EQ(plugin->name, "mesure");
    EXPECT_EQ(plugin->title, "Mesures");
    EXPECT_FALSE(plugin->listable);
    EXPECT_TRUE(plugin->isHidden());
    EXPECT_TRUE(manager.invokePluginMethod("mesure", "setValue", {QVariant(61)}, Qt::DirectConnection));
    EXPECT_EQ(static_cast<MesuresPlugin*>(plugin)->displayedTime(), "00:01:01");
    EXPECT_TRUE(manager.invokePluginMethod("mesure", "setCurrentBand", {QVariant::fromValue(15000.0f)},
                                           Qt::DirectConnection));
    EXPECT_TRUE(manager.invokePluginMethod("mesure", "hidePanel", {}, Qt::DirectConnection));
    EXPECT_TRUE(plugin->isHidden());
}

TEST(MesuresPlugin, ElapsedTimeFormat)
{
    EXPECT_EQ(MesuresPlugin::formatElapsed(0), "00:00:00");
    EXPECT_EQ(MesuresPlugin::formatElapsed(3600), "01:00:00");
    EXPECT_EQ(MesuresPlugin::formatElapsed(3725), "01:02:05");
    EXPECT_EQ(MesuresPlugin::formatElapsed(360000), "100:00:00");
    MesuresPlugin plugin;
    plugin.setValue(360000);
    EXPECT_GE(plugin.findChild<QLCDNumber*>()->digitCount(), 9); // the whole hour field fits
    EXPECT_FALSE(plugin.isHidden());
}

class MesuresPluginEngine : public AttachedEngine
{
protected:
    void SetUp() override
    {
        attach();
        plugin.setController(&engine);
    }
    void TearDown() override
    {
        engine.installDemodulator(nullptr, 0);
        AttachedEngine::TearDown();
    }

    zxPushButton* button() { return plugin.findChild<zxPushButton*>(); }

    MesuresPlugin plugin;
    Mesurement mes;
    USBdemodulator usb;
};

TEST_F(MesuresPluginEngine, ShowsWhileMeasurementIsOnRxA)
{
    engine.installDemodulator(&mes, 0);
    ASSERT_TRUE(waitFor([&] { return plugin.currentMeasurement() == &mes; }));
    EXPECT_FALSE(plugin.isHidden());

    engine.installDemodulator(&usb, 1); // RX B changes nothing
    QCoreApplication::processEvents();
    EXPECT_EQ(plugin.currentMeasurement(), &mes);

    engine.installDemodulator(&usb, 0);
    ASSERT_TRUE(waitFor([&] { return plugin.currentMeasurement() == nullptr; }));
    EXPECT_TRUE(plugin.isHidden());
    engine.installDemodulator(nullptr, 1);
}

// The measurement's panel going takes it off RX A: the plug-in forgets it, as
// for another mode, rather than keep what the panel freed.
TEST_F(MesuresPluginEngine, ForgetsAMeasurementThatGoesWithItsPanel)
{
    engine.installDemodulator(&mes, 0);
    ASSERT_TRUE(waitFor([&] { return plugin.currentMeasurement() == &mes; }));
    engine.releaseDemodulator(&mes);
    ASSERT_TRUE(waitFor([&] { return plugin.currentMeasurement() == nullptr; }));
    EXPECT_TRUE(plugin.isHidden());
}

TEST_F(MesuresPluginEngine, RecordButtonStartsAndStops)
{
    plugin.SLOT_record_pressed(); // no measurement mode yet
    EXPECT_FALSE(plugin.isRecordOn());
    EXPECT_FALSE(mes.getWriter()->isRunning());

    plugin.SLOT_newDemodulatorInstalled(&mes, 0);
    button()->pressed();
    EXPECT_TRUE(plugin.isRecordOn());
    ASSERT_TRUE(waitFor([&] { return mes.getWriter()->isRecording(); }));

    button()->pressed();
    EXPECT_FALSE(plugin.isRecordOn());
    EXPECT_TRUE(mes.getWriter()->isStopRequested());
    ASSERT_TRUE(mes.getWriter()->wait(3000));

    // Pressed again at once: a new run starts, and the end of the old one does
    // not turn the lamp off.
    button()->pressed();
    EXPECT_TRUE(plugin.isRecordOn());
    QCoreApplication::processEvents();
    EXPECT_TRUE(plugin.isRecordOn());
    mes.uninstall(); // leaving the mode stops it
    ASSERT_TRUE(mes.getWriter()->wait(3000));
    ASSERT_TRUE(waitFor([&] { return !plugin.isRecordOn(); }));
}

TEST_F(MesuresPluginEngine, FailedRecordingIsShown)
{
    QFile blocker("record");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    plugin.SLOT_newDemodulatorInstalled(&mes, 0);
    button()->pressed();
    ASSERT_TRUE(waitFor([&] { return mes.getWriter()->isRecording(); }));
    SampleContext ctx;
    std::memset(&ctx, 0, sizeof ctx);
    ctx.hw_center = 145000000;
    ctx.ddc_outrate = 30000;
    Complex block[16] = {};
    mes.demodulate(block, 16, &ctx);
    ASSERT_TRUE(mes.getWriter()->wait(3000));
    ASSERT_TRUE(waitFor([&] { return !plugin.isRecordOn(); }));
    EXPECT_FALSE(plugin.errorText().isEmpty());
}

} // namespace
