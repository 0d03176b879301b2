// Modulation selector against a real engine that is attached but not started:
// modes in their order, installation, bandwidth, RIT and volume, the board file.
#include "ui/widgets/ModulationSelector.h"
#include "AttachedEngine.h"
#include "engine/Channelizer.h"
#include "engine/Controller.h"
#include "engine/board/BoardSettings.h"
#include "engine/demod/Demodulator.h"
#include "engine/demod/USBdemodulator.h"
#include "ui/widgets/zxPushButton.h"

#include <QLCDNumber>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <gtest/gtest.h>

#include <memory>

namespace {

QSpinBox* boxWithTip(QWidget* parent, const QString& tip)
{
    for (QSpinBox* box : parent->findChildren<QSpinBox*>()) {
        if (box->toolTip() == tip)
            return box;
    }
    return nullptr;
}

class SelectorTest : public AttachedEngine
{
protected:
    void SetUp() override
    {
        attach();
        selector = std::make_unique<ModulationSelector>(true);
        selector->setController(&engine, 0);
        widthBox = boxWithTip(selector.get(), "Largeur de bande demodulee");
        ASSERT_NE(widthBox, nullptr);
    }
    void TearDown() override
    {
        selector.reset();
        AttachedEngine::TearDown();
    }

    QPair<float, float> edges() const
    {
        Channelizer* c = engine.channelizer(0);
        return {c->lowCut(), c->highCut()};
    }
    int indexOf(const QString& name) const
    {
        for (int i = 0; i < selector->modeCount(); ++i) {
            if (selector->demodulatorAt(i)->getName() == name)
                return i;
        }
        return -1;
    }

    std::unique_ptr<ModulationSelector> selector;
    QSpinBox* widthBox = nullptr;
};

TEST(ModulationSelector, ModesInTheirOrder)
{
    const QStringList buttons = {"USB", "LSB", "CW", "AM", "FMN", "MSR"};
    const QStringList names = {"USB", "LSB", "CW", "AM", "NBFM", "MES"};
    for (bool measurement : {true, false}) {
        ModulationSelector selector(measurement);
        const int count = measurement ? 6 : 5;
        ASSERT_EQ(selector.modeCount(), count);
        EXPECT_EQ(selector.modeButton(count), nullptr);
        EXPECT_EQ(selector.demodulatorAt(count), nullptr);
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(selector.modeButton(i)->text(), buttons[i]);
            EXPECT_EQ(selector.demodulatorAt(i)->getName(), names[i]);
            EXPECT_EQ(selector.modeButton(i)->getState(), i == 0);
        }
        EXPECT_EQ(selector.currentDemodulator(), selector.demodulatorAt(0));
        // Unattached: a press only moves the lamps.
        selector.SLOT_userChangeModulation(3);
        EXPECT_TRUE(selector.modeButton(3)->getState());
        EXPECT_FALSE(selector.modeButton(0)->getState());
        EXPECT_EQ(selector.currentDemodulator(), selector.demodulatorAt(0));
    }
}

struct ModeCase
{
    const char* name;
    int boxMin, boxMax, boxStep;
    float low, high; // edges once installed
};

class SelectorModes : public SelectorTest, public ::testing::WithParamInterface<ModeCase>
{
};

TEST_P(SelectorModes, ChoosingInstallsWithTheDefaultEdges)
{
    const ModeCase& c = GetParam();
    QSignalSpy installed(&engine, &Controller::MSG_newDemodulatorInstalled);
    const int index = indexOf(c.name);
    ASSERT_GE(index, 0);
    selector->modeButton(index)->pressed();
    ASSERT_EQ(installed.count(), 1);
    EXPECT_EQ(engine.currentDemodulator(0), selector->demodulatorAt(index));
    EXPECT_EQ(selector->currentDemodulator(), selector->demodulatorAt(index));
    EXPECT_EQ(widthBox->minimum(), c.boxMin);
    EXPECT_EQ(widthBox->maximum(), c.boxMax);
    EXPECT_EQ(widthBox->singleStep(), c.boxStep);
    EXPECT_EQ(edges(), qMakePair(c.low, c.high));
    for (int i = 0; i < selector->modeCount(); ++i)
        EXPECT_EQ(selector->modeButton(i)->getState(), i == index);
}

INSTANTIATE_TEST_SUITE_P(Modes, SelectorModes,
                         ::testing::Values(ModeCase{"USB", 10, 25000, 1000, 10, 3600},
                                           ModeCase{"LSB", 10, 25000, 1000, -3600, -10},
                                           ModeCase{"CW", 100, 1200, 10, 100, 800}, // low edge clamped
                                           ModeCase{"AM", 0, 15000, 1000, -4500, 4500},
                                           ModeCase{"NBFM", 0, 140000, 1000, -5500, 5500},
                                           ModeCase{"MES", 0, 160000, 1000, -15000, 15000}),
                         [](const auto& info) { return std::string(info.param.name); });

struct WidthCase
{
    const char* mode;
    int entered;
    float low, high; // what the engine keeps after clamping
};

class SelectorWidths : public SelectorTest, public ::testing::WithParamInterface<WidthCase>
{
};

TEST_P(SelectorWidths, BandwidthBoxMovesOneEdge)
{
    const WidthCase& c = GetParam();
    selector->SLOT_userChangeModulation(indexOf(c.mode));
    widthBox->setValue(c.entered);
    EXPECT_EQ(edges(), qMakePair(c.low, c.high));
}

INSTANTIATE_TEST_SUITE_P(Widths, SelectorWidths,
                         ::testing::Values(WidthCase{"LSB", 5000, -5010, -10},  // the high edge stays
                                           WidthCase{"USB", 5000, 10, 5010},    // the low edge stays
                                           WidthCase{"LSB", 2000, -2200, -10},  // asks -2010, clamped
                                           WidthCase{"AM", 7001, -3500, 3500}), // integer halving
                         [](const auto& info) {
                             return std::string(info.param.mode) + std::to_string(info.param.entered);
                         });

TEST_F(SelectorTest, TheCurrentWidthMakesNoEngineCall)
{
    selector->SLOT_userChangeModulation(indexOf("USB"));
    QSignalSpy cuts(&engine, &Controller::MSG_newBBLowHighCutSet);
    selector->SLOT_userChangeDemodWidth(3590); // 3600 - 10
    EXPECT_EQ(cuts.count(), 0);
}

TEST_F(SelectorTest, RitAndVolumeReachTheInstalledDemodulator)
{
    auto* slider = selector->findChild<QSlider*>();
    auto* lcd = selector->findChild<QLCDNumber*>();
    slider->setValue(300); // nothing installed yet: only the read-out
    EXPECT_EQ(lcd->intValue(), 300);

    selector->SLOT_userChangeModulation(indexOf("CW"));
    Demodulator* cw = engine.currentDemodulator(0);
    ASSERT_NE(cw, nullptr);
    EXPECT_EQ(slider->value(), 0); // a mode change clears the RIT
    slider->setValue(-1000);
    EXPECT_FLOAT_EQ(cw->getRitFrequency(), -1000.0f);
    EXPECT_TRUE(cw->isRitOn());
    EXPECT_EQ(lcd->intValue(), -1000);
    for (QPushButton* b : selector->findChildren<QPushButton*>()) {
        if (b->text() == "RAZ")
            b->pressed();
    }
    EXPECT_FLOAT_EQ(cw->getRitFrequency(), 0.0f);

    selector->SLOT_userChangeVolume(40);
    EXPECT_EQ(cw->getVolumePercent(), 40);
}

TEST_F(SelectorTest, BoardFileRestoresModeThenEdgesOnce)
{
    {
        auto board = BoardSettings::open(&receiver);
        board->setValue("Channel_0_Mod", "AM");
        board->setValue("Channel_0_LowCut", -3000.0);
        board->setValue("Channel_0_HighCut", 3000.0);
    }
    QSignalSpy installed(&engine, &Controller::MSG_newDemodulatorInstalled);
    QSignalSpy cuts(&engine, &Controller::MSG_newBBLowHighCutSet);
    selector->loadSaveSettings();
    ASSERT_NE(engine.currentDemodulator(0), nullptr);
    EXPECT_EQ(engine.currentDemodulator(0)->getName(), "AM");
    EXPECT_EQ(edges(), qMakePair(-3000.0f, 3000.0f));
    // The mode's default edges came first, the stored ones after them.
    ASSERT_GE(cuts.count(), 2);
    EXPECT_EQ(cuts.first().at(1).toInt(), 4500);
    EXPECT_EQ(cuts.last().at(1).toInt(), 3000);
    EXPECT_EQ(installed.count(), 1);

    BoardSettings::open(&receiver)->setValue("Channel_0_Mod", "LSB");
    selector->loadSaveSettings();
    EXPECT_EQ(engine.currentDemodulator(0)->getName(), "AM");
}

TEST_F(SelectorTest, NoStoredModeMeansUsbWithClampedEdges)
{
    selector->loadSaveSettings();
    ASSERT_NE(engine.currentDemodulator(0), nullptr);
    EXPECT_EQ(engine.currentDemodulator(0)->getName(), "USB");
    EXPECT_EQ(edges(), qMakePair(10.0f, 2200.0f)); // 0 and 0 clamped
}

TEST_F(SelectorTest, ModeByDemodulatorName)
{
    EXPECT_EQ(selector->setModulationByName("FMN", 0, 0), -1); // a button text, not a name
    EXPECT_EQ(selector->setModulationByName("nbfm", 0, 0), -1);
    EXPECT_EQ(selector->setModulationByName("NBFM", 0, 0), 1);
    EXPECT_EQ(engine.currentDemodulator(0)->getName(), "NBFM");
    EXPECT_EQ(edges(), qMakePair(-5500.0f, 5500.0f));
    EXPECT_EQ(selector->setModulationByName("USB", 200, 2700), 1);
    EXPECT_EQ(edges(), qMakePair(10.0f, 2700.0f));

    ModulationSelector detached(false);
    EXPECT_EQ(detached.setModulationByName("USB", 0, 0), -1);
}

TEST_F(SelectorTest, LockedChannelKeepsItsModeButTheLampsMove)
{
    selector->SLOT_userChangeModulation(indexOf("USB"));
    engine.setChannelLock(true, 0);
    selector->SLOT_userChangeModulation(indexOf("AM"));
    EXPECT_EQ(engine.currentDemodulator(0)->getName(), "USB");
    EXPECT_TRUE(selector->modeButton(indexOf("AM"))->getState());
    engine.setChannelLock(false, 0);
}

// A selector that goes takes its demodulators off every channel, a locked one
// included (a lock holds a frequency; the program's close is no tune), and
// says so; a demodulator of someone else stays where it is.
TEST_F(SelectorTest, GoingAwayTakesItsDemodulatorsOffEveryChannel)
{
    const struct
    {
        const char* what;
        bool locked;
        bool alsoOnRxB;
    } cases[] = {
        {"unlocked", false, false}, {"locked", true, false}, {"on both channels, locked", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        USBdemodulator foreign;
        engine.installDemodulator(&foreign, 1);
        selector = std::make_unique<ModulationSelector>(true);
        selector->setController(&engine, 0);
        selector->SLOT_userChangeModulation(indexOf("AM"));
        if (c.alsoOnRxB)
            selector->installCurrentOn(1);
        for (int channel : {0, 1})
            engine.setChannelLock(c.locked, channel);

        QSignalSpy announced(&engine, &Controller::MSG_newDemodulatorInstalled);
        selector.reset();
        EXPECT_EQ(engine.currentDemodulator(0), nullptr);
        EXPECT_EQ(engine.currentDemodulator(1), c.alsoOnRxB ? nullptr : &foreign);
        QList<int> emptied;
        for (const QList<QVariant>& call : announced) {
            EXPECT_EQ(call.at(0).value<Demodulator*>(), nullptr);
            emptied << call.at(1).toInt();
        }
        EXPECT_EQ(emptied, c.alsoOnRxB ? (QList<int>{0, 1}) : QList<int>{0});
        engine.saveSettings(); // reads the name of each installed demodulator

        for (int channel : {0, 1})
            engine.setChannelLock(false, channel);
        engine.installDemodulator(nullptr, 1);
    }
}

TEST_F(SelectorTest, SpanBoxAndAveraging)
{
    QSpinBox* span = boxWithTip(selector.get(), "Spectre visible Waterfall");
    QSpinBox* averaging = boxWithTip(selector.get(), "Moyennage FFT Waterfall");
    selector->SLOT_WFallSpanChanged(48000);
    EXPECT_EQ(span->value(), 48);
    selector->SLOT_WFallSpanChanged(3000000);
    EXPECT_EQ(span->value(), 3000);

    QSignalSpy widthRequests(selector.get(), &ModulationSelector::MSG_ChangeSpectrumWidthRequest);
    selector->SLOT_userChangeSpectrumWidth(3000);
    EXPECT_EQ(widthRequests.count(), 0);
    selector->SLOT_userChangeSpectrumWidth(100);
    ASSERT_EQ(widthRequests.count(), 1);
    EXPECT_EQ(widthRequests.at(0).at(0).toInt(), 100000);

    QSignalSpy integrator(selector.get(), &ModulationSelector::MSG_ChangeSpectrumIntegrator);
    averaging->setValue(4);
    ASSERT_EQ(integrator.count(), 1);
    EXPECT_EQ(integrator.at(0).at(0).toInt(), 4);

    selector->showDemodWidth(30000);
    EXPECT_EQ(widthBox->value(), 30000);
}

} // namespace
