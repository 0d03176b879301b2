// The engine's controls with the thread not started: tuning, locks, filters,
// demodulators, the board file and the signals they emit.
#include "engine/Controller.h"
#include "engine/Channelizer.h"
#include "engine/FetchBackoff.h"
#include "engine/FrequencyConverter.h"
#include "engine/board/BoardSettings.h"
#include "engine/demod/AMDemodulator.h"
#include "engine/demod/CWDemodulator.h"
#include "engine/demod/NBFMDemodulator.h"
#include "engine/demod/USBdemodulator.h"

#include "AttachedEngine.h"

#include <QSettings>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

namespace {

struct Retune
{
    qlonglong centre;
    float offset;
    int channel;
};

std::vector<Retune> retunes(const QSignalSpy& spy)
{
    std::vector<Retune> list;
    for (const QList<QVariant>& args : spy)
        list.push_back({args[0].toLongLong(), args[1].toFloat(), args[2].toInt()});
    return list;
}

using ControllerControls = AttachedEngine;

TEST(ControllerSizes, FetchSizeAndDisplayLengthFollowTheRate)
{
    struct Case
    {
        int rate;
        int fftLength;
        int blocks;
    };
    for (const Case& c : {Case{2400000, 65536, 149}, Case{250000, 32768, 18}, Case{1000000, 8192, 64},
                          Case{10000000, 65536, 512}, Case{1500000, 32768, 94}, Case{48000, 32768, 5}}) {
        EXPECT_EQ(Controller::fullbandFftLengthFor(c.rate), c.fftLength) << c.rate;
        EXPECT_EQ(Controller::blocksPerFetchFor(c.rate), c.blocks) << c.rate;
    }
}

// The pause after each of a row of empty fetches doubles up to its cap; samples
// coming make the next empty fetch's pause the shortest again.
TEST(ControllerSizes, EmptyFetchPausesGrowToTheCapAndRestartAfterSamples)
{
    FetchBackoff backoff;
    struct Step
    {
        bool samplesCame;
        int pauseMs;
    };
    const Step steps[] = {{false, 1}, {false, 2}, {false, 4}, {false, 8}, {false, 8}, {false, 8},
                          {true, 1},  {false, 2}, {true, 1},  {true, 1},  {false, 2}, {false, 4}};
    int index = 0;
    for (const Step& step : steps) {
        if (step.samplesCame)
            backoff.reset();
        EXPECT_EQ(backoff.nextPauseMs(), step.pauseMs) << "step " << index++;
    }
}

TEST(ControllerSizes, RefusalsShrinkTheFetchByAFifthDownTo32)
{
    EXPECT_EQ(Controller::reducedBlocksPerFetch(149), 119);
    EXPECT_EQ(Controller::reducedBlocksPerFetch(119), 95);
    EXPECT_EQ(Controller::reducedBlocksPerFetch(95), 76);
    EXPECT_EQ(Controller::reducedBlocksPerFetch(40), 32);
    EXPECT_EQ(Controller::reducedBlocksPerFetch(32), 32);
    EXPECT_EQ(Controller::reducedBlocksPerFetch(18), 18);
}

TEST_F(ControllerControls, WithoutAReceiverEverythingIsRefused)
{
    EXPECT_EQ(engine.getRxCenterFreq(), -1);
    EXPECT_EQ(engine.getSampleRate(), -1);
    EXPECT_EQ(engine.setRxOffset(100, 0), 0);
    EXPECT_EQ(engine.setAbsoluteRxFreq(145000000, 0), 0);
    EXPECT_EQ(engine.tuneChannel(145000000, 0, 0), 0);
    EXPECT_FALSE(engine.retuneHardware(145000000, true));
    engine.disableFrequencyConverter();
    engine.saveSettings();
}

TEST_F(ControllerControls, OffsetsInsideTheWindowMoveTheChannelOutsideRetune)
{
    attach();
    QSignalSpy spy(&engine, &Controller::MSG_ChannelizerIsRetuned);

    EXPECT_EQ(engine.setRxOffset(1024000, 0), 1);
    EXPECT_EQ(engine.getRxOffset(0), 1024000);
    EXPECT_EQ(receiver.getRxCenterFreq(), 145000000);

    EXPECT_EQ(engine.setRxOffset(-1024001, 0), 1);
    EXPECT_EQ(receiver.getRxCenterFreq(), 145000000 - 1024001);
    EXPECT_EQ(engine.getRxOffset(0), 0);
    EXPECT_EQ(engine.getRxOffset(1), 0);

    auto list = retunes(spy);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].centre, 145000000);
    EXPECT_EQ(list[0].offset, 1024000.0f);
    for (int channel = 0; channel < 2; ++channel) {
        EXPECT_EQ(list[1 + channel].centre, 145000000 - 1024001);
        EXPECT_EQ(list[1 + channel].offset, 0.0f);
        EXPECT_EQ(list[1 + channel].channel, channel);
    }
}

TEST_F(ControllerControls, AbsoluteRequestUsesAStrictWindow)
{
    attach();
    EXPECT_EQ(engine.setAbsoluteRxFreq(145000000 + 1023999, 1), 1);
    EXPECT_EQ(engine.getRxOffset(1), 1023999);
    EXPECT_EQ(receiver.getRxCenterFreq(), 145000000);

    EXPECT_EQ(engine.setAbsoluteRxFreq(145000000 + 1024000, 1), 1);
    EXPECT_EQ(receiver.getRxCenterFreq(), 145000000 + 1024000);
    EXPECT_EQ(engine.getRxOffset(1), 0);
}

TEST_F(ControllerControls, RetuneKeepsTheResidualOfAReceiverThatLandsBeside)
{
    attach();
    receiver.landingError = 300;
    QSignalSpy spy(&engine, &Controller::MSG_ChannelizerIsRetuned);

    // Through each kind of request that leaves the window.
    EXPECT_EQ(engine.setAbsoluteRxFreq(150000000, 0), 1);
    EXPECT_EQ(engine.getRxCenterFreq(), 150000000 - 300);
    EXPECT_EQ(engine.getRxOffset(0), 300);
    EXPECT_EQ(engine.getRxOffset(1), 300);

    EXPECT_EQ(engine.setRxOffset(2000000, 0), 1);
    EXPECT_EQ(engine.getRxCenterFreq(), 150000000 - 300 + 2000000 - 300);
    EXPECT_EQ(engine.getRxOffset(1), 300);

    EXPECT_EQ(engine.tuneChannel(170000000, 500, 0), 1);
    EXPECT_EQ(engine.getRxCenterFreq(), 170000000 - 300);
    EXPECT_EQ(engine.getRxOffset(0), 300);

    auto list = retunes(spy);
    ASSERT_EQ(list.size(), 6u);
    for (const Retune& r : list)
        EXPECT_EQ(r.offset, 300.0f);
}

TEST_F(ControllerControls, ReceiverThatRefusesTheFrequencyLeavesTheChannels)
{
    attach();
    engine.setRxOffset(5000, 0);
    EXPECT_EQ(engine.setAbsoluteRxFreq(3000000000LL, 0), 0);
    EXPECT_EQ(receiver.getRxCenterFreq(), 145000000);
    EXPECT_EQ(engine.getRxOffset(0), 5000);
}

TEST_F(ControllerControls, RxBOutsideTheWindowIsRefusedWhileRxAIsOn)
{
    attach();
    engine.channelOn[0] = true;
    QSignalSpy spy(&engine, &Controller::MSG_ChannelizerIsRetuned);
    EXPECT_EQ(engine.setRxOffset(1100000, 1), 0);
    EXPECT_EQ(engine.tuneChannel(147000000, 0, 1), 0);
    EXPECT_EQ(receiver.getRxCenterFreq(), 145000000);
    EXPECT_EQ(spy.count(), 0);

    engine.channelOn[0] = false;
    EXPECT_EQ(engine.setRxOffset(1100000, 1), 1);
    EXPECT_EQ(receiver.getRxCenterFreq(), 146100000);
    // A click is refused for RX B outside the window whatever RX A does.
    EXPECT_EQ(engine.tuneChannel(149000000, 0, 1), 0);
}

TEST_F(ControllerControls, ClickWindowCountsTheHighEdge)
{
    attach();
    USBdemodulator usb;
    engine.installDemodulator(&usb, 0); // high edge 3600
    EXPECT_EQ(engine.tuneChannel(145000000 + 1020400, 0, 0), 1);
    EXPECT_EQ(engine.getRxOffset(0), 1020400);
    EXPECT_EQ(engine.tuneChannel(145000000 + 1020000, 401, 0), 1);
    EXPECT_EQ(receiver.getRxCenterFreq(), 145000000 + 1020000); // retuned without the delta
}

TEST_F(ControllerControls, LockedChannelNeverMoves)
{
    attach();
    engine.setRxOffset(10000, 0);
    engine.setRxOffset(-30000, 1);
    engine.setStepSize(1000, 1);
    engine.setChannelLock(true, 1);
    const int retunesBefore = receiver.retunes.load();
    QSignalSpy spy(&engine, &Controller::MSG_ChannelizerIsRetuned);
    USBdemodulator usb;

    // The locked channel refuses every change.
    EXPECT_EQ(engine.setRxOffset(0, 1), 0);
    EXPECT_EQ(engine.setAbsoluteRxFreq(145001000, 1), 0);
    EXPECT_EQ(engine.tuneChannel(145001000, 0, 1), 0);
    engine.stepUp(1);
    engine.stepDown(1);
    engine.setStepSize(9, 1);
    EXPECT_EQ(engine.getStepSize(1), 1000);
    engine.installDemodulator(&usb, 1);
    EXPECT_EQ(engine.currentDemodulator(1), nullptr);

    // The other channel still tunes inside the window, but nothing retunes the receiver.
    EXPECT_EQ(engine.setRxOffset(20000, 0), 1);
    EXPECT_EQ(engine.setRxOffset(2000000, 0), 0);
    EXPECT_EQ(engine.setAbsoluteRxFreq(160000000, 0), 0);
    EXPECT_EQ(engine.tuneChannel(160000000, 0, 0), 0);
    engine.setHwCenterFreq(160000000, true);
    engine.disableFrequencyConverter();
    EXPECT_FALSE(engine.retuneHardware(160000000, true));

    EXPECT_EQ(receiver.getRxCenterFreq(), 145000000);
    EXPECT_EQ(receiver.retunes.load(), retunesBefore);
    EXPECT_EQ(engine.getRxOffset(1), -30000);
    EXPECT_EQ(engine.getRxOffset(0), 20000);
    ASSERT_EQ(spy.count(), 1);

    engine.setChannelLock(false, 1);
    engine.stepUp(1);
    EXPECT_EQ(engine.getRxOffset(1), -29000);
}

TEST_F(ControllerControls, FilterEdgesAreClampedToTheDemodulator)
{
    attach();
    AMDemodulator am;   // mirrored, high 1500..7500
    USBdemodulator usb; // low 10..10, high 2200..25000
    NBFMDemodulator fm; // mirrored, high 3000..70000
    struct Case
    {
        Demodulator* demod;
        float low, high;
        int appliedLow, appliedHigh;
    };
    for (const Case& c :
         {Case{&am, -300, 9000, -7500, 7500}, Case{&am, 0, 100, -1500, 1500}, Case{&usb, 0, 30000, 10, 25000},
          Case{&usb, 300, 2700, 10, 2700}, Case{&fm, -300, 7000, -7000, 7000}}) {
        engine.installDemodulator(c.demod, 0);
        QSignalSpy set(&engine, &Controller::MSG_newBBLowHighCutSet);
        QSignalSpy ui(&engine, &Controller::MSG_UpdateReceiverUI);
        engine.setBBLowHighCut(c.low, c.high, 0, true);
        ASSERT_EQ(set.count(), 1);
        EXPECT_EQ(set[0][0].toInt(), c.appliedLow) << c.demod->getName().toStdString();
        EXPECT_EQ(set[0][1].toInt(), c.appliedHigh) << c.demod->getName().toStdString();
        EXPECT_EQ(engine.channelizer(0)->lowCut(), float(c.appliedLow));
        EXPECT_EQ(engine.channelizer(0)->highCut(), float(c.appliedHigh));
        ASSERT_EQ(ui.count(), 1);
        EXPECT_EQ(ui[0][3].toInt(), c.appliedLow);
    }
}

TEST_F(ControllerControls, FilterEdgesWithoutADemodulatorGoToTheChannelUnclamped)
{
    QSignalSpy set(&engine, &Controller::MSG_newBBLowHighCutSet);
    engine.setBBLowHighCut(-300, 90000, 1, false);
    ASSERT_EQ(set.count(), 1);
    EXPECT_EQ(set[0][0].toInt(), -300);
    EXPECT_EQ(set[0][1].toInt(), 90000);
    EXPECT_EQ(engine.channelizer(1)->highCut(), 90000.0f);

    // A band the channel refuses leaves the edges in force, and says so.
    engine.setBBLowHighCut(0, 0, 1, false);
    ASSERT_EQ(set.count(), 2);
    EXPECT_EQ(set[1][1].toInt(), 90000);
}

// Records the order of the installation calls.
class TracingDemodulator : public CWDemodulator
{
public:
    TracingDemodulator(std::vector<std::string>* log, const char* id) : m_log(log), m_id(id) {}
    void install() override { m_log->push_back(m_id + " install"); }
    void uninstall() override { m_log->push_back(m_id + " uninstall"); }
    void setFilterEdges(float* low, float* high) override
    {
        m_log->push_back(m_id + " edges " + std::to_string(int(*low)) + " " + std::to_string(int(*high)));
        CWDemodulator::setFilterEdges(low, high);
    }

private:
    std::vector<std::string>* m_log;
    std::string m_id;
};

TEST_F(ControllerControls, InstallingADemodulatorReplacesTheOldOneAndAppliesItsDefaults)
{
    std::vector<std::string> log;
    TracingDemodulator first(&log, "first");
    TracingDemodulator second(&log, "second");
    QObject::connect(&engine, &Controller::MSG_newBBLowHighCutSet, [&](int low, int high, int) {
        log.push_back("set " + std::to_string(low) + " " + std::to_string(high));
    });
    QObject::connect(&engine, &Controller::MSG_newDemodulatorInstalled, [&](Demodulator* demod, int channel) {
        log.push_back(std::string("installed ") + (demod == &second ? "second" : "first") + " " +
                      std::to_string(channel));
    });

    engine.installDemodulator(&first, 1);
    log.clear();
    engine.installDemodulator(&second, 1);
    // CW defaults 40..800: the low edge is raised to its minimum of 100.
    const std::vector<std::string> expected{"first uninstall", "second install", "second edges 100 800",
                                            "set 100 800", "installed second 1"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(engine.currentDemodulator(1), &second);
}

TEST_F(ControllerControls, AttachingRestoresCentreGainsAndOffsets)
{
    receiver.gainMin = {-10.0f, 0.0f, 5.0f};
    receiver.gainMax = {30.0f, 20.0f, 15.0f};
    {
        auto board = BoardSettings::open(QStringLiteral("EngineTestReceiver"));
        board->setValue("GainRF_1", 12.5);
        board->setValue("GainRF_2", 99.0); // above the stage's range
        board->setValue("Channel_0_NCO", -12500.0);
        board->setValue("Channel_1_NCO", 40000.0);
    }
    QSignalSpy gainSignals(&engine, &Controller::MSG_newRxGainSet);
    engine.setReceiverHardware(&receiver);

    // No stored centre: the middle of 24..1766 MHz.
    EXPECT_EQ(receiver.getRxCenterFreq(), 895000000);
    EXPECT_FLOAT_EQ(receiver.gains[0], 12.5f);
    EXPECT_FLOAT_EQ(receiver.gains[1], 20.0f);
    EXPECT_FLOAT_EQ(receiver.gains[2], 10.0f); // missing: the middle of 5..15
    EXPECT_EQ(gainSignals.count(), 0);
    EXPECT_EQ(engine.getRxOffset(0), -12500);
    EXPECT_EQ(engine.getRxOffset(1), 40000);
}

TEST_F(ControllerControls, SavingWritesTheEngineKeys)
{
    attach();
    USBdemodulator usb;
    engine.installDemodulator(&usb, 0);
    engine.setBBLowHighCut(300, 2700, 0, false);
    engine.setRxOffset(-12500, 0);
    engine.setSquelchLevel(-60.0f);
    engine.saveSettings();

    auto board = BoardSettings::open(QStringLiteral("EngineTestReceiver"));
    EXPECT_EQ(board->value("GainRF").toDouble(), 10.0); // the middle of -10..30, set when attached
    EXPECT_EQ(board->value("board_center_freq").toLongLong(), 145000000);
    EXPECT_EQ(board->value("Channel_0_NCO").toDouble(), -12500.0);
    EXPECT_EQ(board->value("Channel_0_LowCut").toDouble(), 10.0);
    EXPECT_EQ(board->value("Channel_0_HighCut").toDouble(), 2700.0);
    EXPECT_EQ(board->value("Channel_0_Mod").toString(), QStringLiteral("USB"));
    EXPECT_EQ(board->value("Channel_0_SQUELCH").toDouble(), -60.0);
    EXPECT_FALSE(board->contains("Channel_1_Mod"));
}

TEST_F(ControllerControls, RemoteReceiverKeepsNoCentreInTheBoardFile)
{
    receiver.setType(ReceiverHardware::Orvex_Remote);
    engine.setReceiverHardware(&receiver);
    EXPECT_EQ(receiver.retunes.load(), 0);
    engine.saveSettings();
    EXPECT_FALSE(BoardSettings::open(&receiver)->contains("board_center_freq"));
}

TEST_F(ControllerControls, DetachingTheConverterRetunesToTheMiddle)
{
    attach();
    FrequencyConverter converter;
    converter.set(125000000, 100000000, 200000000);
    receiver.frequencyConverter = &converter;
    engine.disableFrequencyConverter();
    EXPECT_EQ(receiver.frequencyConverter.load(), nullptr);
    EXPECT_EQ(receiver.getRxCenterFreq(), 895000000);
}

TEST_F(ControllerControls, GainAndRateChangesAreAnnounced)
{
    attach();
    QSignalSpy gain(&engine, &Controller::MSG_newRxGainSet);
    QSignalSpy rate(&engine, &Controller::MSG_SamplingRateChanged);
    engine.setRxGain(7.5f, 0);
    EXPECT_FLOAT_EQ(receiver.gains[0], 7.5f);
    ASSERT_EQ(gain.count(), 1);
    EXPECT_FLOAT_EQ(engine.getRxGain(), 7.5f);

    EXPECT_EQ(engine.getSampleRate(), 2048000);
    EXPECT_EQ(rate.count(), 0);
    engine.changeSampleRate(1000000);
    ASSERT_EQ(rate.count(), 1);
    EXPECT_EQ(rate[0][0].toInt(), 1000000);
    EXPECT_EQ(engine.channelizer(0)->inputRate(), 1000000);
    EXPECT_EQ(engine.channelizer(1)->inputRate(), 1000000);
}

// Switching channels, as each caller does it: the panels' buttons (on with their
// selector's demodulator as a fallback, off), the scripts and playback (on
// without one) and the main window as it closes (both off, RX A first, whatever
// their state). Every listener hears of each switch with the flags already set
// and, for a switch off, the board file already written, except a remote
// receiver's as the program closes.
struct Switch
{
    int channel;
    bool on;
    bool rxAOn, rxBOn; // the flags as the listener sees them
    bool saved;        // the board file written before the listener heard of it
    bool operator==(const Switch& o) const
    {
        return channel == o.channel && on == o.on && rxAOn == o.rxAOn && rxBOn == o.rxBOn && saved == o.saved;
    }
};

std::ostream& operator<<(std::ostream& out, const Switch& s)
{
    return out << "channel " << s.channel << (s.on ? " on" : " off") << " (A " << s.rxAOn << ", B " << s.rxBOn
               << ", saved " << s.saved << ")";
}

// Who switches: a panel's button on (with its selector's demodulator as the
// fallback) or off, a script or the playback on (without one), the main window
// as it closes.
enum class Caller { PanelOn, PlainOn, Off, Closing };

struct SwitchCase
{
    const char* what;
    Caller caller;
    int channel;
    int receiverType;
    bool rxAOn, rxBOn; // before
    bool amOnRxB;      // AM installed on RX B before
    std::vector<Switch> heard;
    const char* rxADemodulator; // installed afterwards ("" for none)
    const char* rxBDemodulator;
};

void PrintTo(const SwitchCase& c, std::ostream* out)
{
    *out << c.what;
}

class ChannelSwitching : public AttachedEngine, public ::testing::WithParamInterface<SwitchCase>
{
protected:
    void call(Caller caller, int channel)
    {
        switch (caller) {
        case Caller::PanelOn:
            engine.turnChannelOn(channel, &panelsChoice);
            break;
        case Caller::PlainOn:
            engine.turnChannelOn(channel);
            break;
        case Caller::Off:
            engine.turnChannelOff(channel);
            break;
        case Caller::Closing:
            engine.turnChannelsOffAtClose();
            break;
        }
    }

    USBdemodulator panelsChoice;
    AMDemodulator am;
};

QString installedName(Controller& engine, int channel)
{
    Demodulator* demod = engine.currentDemodulator(channel);
    return demod != nullptr ? demod->getName() : QString();
}

TEST_P(ChannelSwitching, ListenersHearEachSwitchWithFlagsAndBoardFileInPlace)
{
    const SwitchCase& c = GetParam();
    receiver.setType(c.receiverType);
    attach();
    if (c.amOnRxB)
        engine.installDemodulator(&am, 1);
    engine.channelOn[0] = c.rxAOn;
    engine.channelOn[1] = c.rxBOn;
    ASSERT_EQ(engine.setRxOffset(1000, 0), 1);
    // A value the engine does not hold: it stays until the board file is written.
    const QString key = BoardSettings::channelKey(0, BoardSettings::ChannelNco);
    BoardSettings::open(&receiver)->setValue(key, -777.0);

    std::vector<Switch> heard;
    QObject listener;
    QObject::connect(&engine, &Controller::MSG_ChannelTurnedOnOff, &listener, [&](int channel, bool on) {
        const bool saved = BoardSettings::open(&receiver)->value(key).toDouble() == 1000.0;
        heard.push_back({channel, on, engine.channelOn[0], engine.channelOn[1], saved});
    });
    call(c.caller, c.channel);

    EXPECT_EQ(heard, c.heard);
    EXPECT_EQ(installedName(engine, 0), QString(c.rxADemodulator));
    EXPECT_EQ(installedName(engine, 1), QString(c.rxBDemodulator));
}

const int Local = 1;
const int Remote = ReceiverHardware::Orvex_Remote;

// One case a row.
// clang-format off
const SwitchCase kSwitchCases[] = {
    {"RxAOnFromItsPanel", Caller::PanelOn, 0, Local, false, false, false,
     {{0, true, true, false, false}}, "USB", ""},
    {"RxBOnFromItsPanelKeepsItsDemodulator", Caller::PanelOn, 1, Local, true, false, true,
     {{1, true, true, true, false}}, "", "AM"},
    {"RxAOnFromAScriptInstallsNothing", Caller::PlainOn, 0, Local, false, true, false,
     {{0, true, true, true, false}}, "", ""},
    {"RxAOff", Caller::Off, 0, Local, true, true, false,
     {{0, false, false, true, true}}, "", ""},
    {"ClosingWithALocalReceiver", Caller::Closing, 0, Local, true, true, false,
     {{0, false, false, true, true}, {1, false, false, false, true}}, "", ""},
    {"ClosingWithBothChannelsOff", Caller::Closing, 0, Local, false, false, false,
     {{0, false, false, false, true}, {1, false, false, false, true}}, "", ""},
    {"ClosingWithARemoteReceiverWritesNothing", Caller::Closing, 0, Remote, true, true, false,
     {{0, false, false, true, false}, {1, false, false, false, false}}, "", ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Callers, ChannelSwitching, ::testing::ValuesIn(kSwitchCases),
                         [](const ::testing::TestParamInfo<SwitchCase>& info) { return info.param.what; });

} // namespace
