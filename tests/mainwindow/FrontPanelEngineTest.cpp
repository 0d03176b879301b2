// The window on a real engine: what attaching does, the operator's actions
// that reach the engine, and the orderly end.
#include "WindowFixture.h"

#include "DebugCapture.h"
#include "ModalResponder.h"
#include "RegisteredPlugin.h"
#include "SqliteFile.h"
#include "WaitFor.h"
#include "engine/MultiSDR.h"
#include "engine/audio/AudioOutput.h"
#include "engine/plugins/OrvexPlugin.h"
#include "lists/Bookmarks.h"
#include "lists/dbBeacon.h"
#include "lists/dbRadioSegment.h"
#include "lists/dbUserFreq.h"
#include "mainwindow/FrontPanel.h"
#include "mainwindow/IQCorrectionWidget.h"
#include "mainwindow/TimeDomain.h"
#include "map/geo/GeoTools.h"
#include "ui/panels/MainReceiver.h"
#include "ui/widgets/CFreqCtrl.h"
#include "ui/widgets/LayoutPanels.h"
#include "ui/widgets/zxPushButton.h"
#include "ui/widgets/zxSlider.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest/QTest>

namespace {

class FrontPanelEngine : public WindowFixture
{
protected:
    // The window attached to the engine; destroyed before the engine.
    FrontPanel& attached()
    {
        attachEngine();
        // What the engine restored from the board file is not the window's doing.
        receiver.gainsSet.clear();
        window = std::make_unique<FrontPanel>();
        window->setController(engine.get());
        return *window;
    }

    std::unique_ptr<FrontPanel> window;
};

// Stands where the broadcast-schedule plug-in registers, and records the stations asked for.
class ScheduleProbe : public OrvexPlugin
{
    Q_OBJECT
public:
    ScheduleProbe() { name = "WHATSON"; }
    QList<int> shown;

public slots:
    void showStation(int key) { shown.append(key); }
};

QList<zxSlider*> gainSliders(FrontPanel& window)
{
    return window.gainStrip()->findChildren<zxSlider*>();
}

QPushButton* buttonCaptioned(const FrontPanel& window, const QString& caption)
{
    for (QPushButton* button : window.findChildren<QPushButton*>())
        if (button->text() == caption)
            return button;
    return nullptr;
}

} // namespace

TEST_F(FrontPanelEngine, GainSlidersShowTheStagesAndWriteOnlyWhenMoved)
{
    FrontPanel& w = attached();
    const QList<zxSlider*> sliders = gainSliders(w);
    ASSERT_EQ(sliders.size(), 2);
    EXPECT_EQ(sliders[0]->value(), receiver.gains[0]);
    EXPECT_EQ(sliders[1]->value(), receiver.gains[1]);
    EXPECT_TRUE(receiver.gainsSet.isEmpty());
    // A quiet set to the middle of the range must not swallow the first move.
    sliders[0]->setValue(25);
    sliders[1]->setValue(12);
    EXPECT_EQ(receiver.gainsSet, (QVector<std::pair<float, int>>{{25.0f, 0}, {12.0f, 1}}));
}

TEST_F(FrontPanelEngine, ASecondEngineOrOneWithoutReceiverIsIgnored)
{
    Controller bare(QStringLiteral("no such sound device"));
    FrontPanel unattached;
    DebugCapture debug;
    unattached.setController(&bare);
    EXPECT_EQ(unattached.engine(), nullptr);
    EXPECT_TRUE(debug.contains("FrontPanel::setController rx NULL ???"));

    FrontPanel& w = attached();
    Controller other(QStringLiteral("no such sound device"));
    other.setReceiverHardware(&receiver);
    w.setController(&other);
    EXPECT_EQ(w.engine(), engine.get());
    EXPECT_EQ(gainSliders(w).size(), 2);
}

TEST_F(FrontPanelEngine, StoredSquelchLevelsReachTheEngineOnlyWhenTheyDiffer)
{
    board()->setValue(BoardSettings::channelKey(0, BoardSettings::ChannelSquelch), -60.0);
    board()->setValue(BoardSettings::channelKey(1, BoardSettings::ChannelSquelch), -110.0);
    engine->setSquelchLevel(-5, 1);
    FrontPanel& w = attached();
    EXPECT_EQ(w.squelchSliderA()->value(), -60);
    EXPECT_FLOAT_EQ(engine->multiSdr->getSquelchLevel(0), -60.0f);
    // -110 is where the slider stands: nothing is sent.
    EXPECT_FLOAT_EQ(engine->multiSdr->getSquelchLevel(1), -5.0f);
}

TEST_F(FrontPanelEngine, FrequencyEntryMovesTheOffsetInsideTheWindowAndRetunesOutside)
{
    FrontPanel& w = attached();
    const struct
    {
        qint64 typed;
        qint64 centreAfter;
        int offsetAfter;
    } cases[] = {
        {Centre + Rate / 2, Centre, Rate / 2},
        {Centre - Rate / 2, Centre, -Rate / 2},
        {Centre + 20000, Centre, 20000},
        {Centre + Rate / 2 + 1, Centre + Rate / 2 + 1, 0},
    };
    for (const auto& c : cases) {
        engine->setHwCenterFreq(Centre, false);
        engine->setRxOffset(0, 0);
        w.SLOT_userTunesFreqWidget(c.typed);
        EXPECT_EQ(engine->getRxCenterFreq(), c.centreAfter) << c.typed;
        EXPECT_EQ(engine->getRxOffset(0), c.offsetAfter) << c.typed;
    }
}

TEST_F(FrontPanelEngine, KeysStepSelectModesAndTabs)
{
    FrontPanel& w = attached();
    engine->setRxOffset(0, 0);
    QTest::keyClick(&w, Qt::Key_Plus);
    QTest::keyClick(&w, Qt::Key_Right);
    EXPECT_EQ(engine->getRxOffset(0), 2 * Controller::DefaultStepHz);
    QTest::keyClick(&w, Qt::Key_Left);
    EXPECT_EQ(engine->getRxOffset(0), Controller::DefaultStepHz);

    const struct
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* mode;
    } modes[] = {{Qt::Key_A, Qt::ShiftModifier, "AM"}, {Qt::Key_U, Qt::NoModifier, "USB"},
                 {Qt::Key_C, Qt::NoModifier, "CW"},    {Qt::Key_L, Qt::NoModifier, "LSB"},
                 {Qt::Key_F, Qt::NoModifier, "NBFM"},  {Qt::Key_A, Qt::NoModifier, "AM"}};
    for (const auto& m : modes) {
        QTest::keyClick(&w, m.key, m.modifiers);
        Demodulator* demod = engine->currentDemodulator(0);
        ASSERT_NE(demod, nullptr) << m.mode;
        EXPECT_EQ(demod->getName(), m.mode);
    }
    QTest::keyClick(&w, Qt::Key_F2);
    EXPECT_EQ(w.tabWidget()->currentIndex(), 1);
    QTest::keyClick(&w, Qt::Key_F1);
    EXPECT_EQ(w.tabWidget()->currentIndex(), 0);
}

TEST_F(FrontPanelEngine, StepChoiceAndLockReachChannelZero)
{
    FrontPanel& w = attached();
    w.stepBox()->setCurrentIndex(w.stepBox()->count() - 1);
    EXPECT_EQ(engine->getStepSize(0), 10000000);

    w.lockControl()->click();
    EXPECT_TRUE(engine->isChannelLocked(0));
    EXPECT_EQ(w.lockControl()->text(), "UNLOCK");
    EXPECT_TRUE(w.frequencyEntry()->isLocked());
    EXPECT_TRUE(w.receiverA()->isTuningLocked());
    const int offset = engine->getRxOffset(0);
    w.SLOT_stepUp();
    EXPECT_EQ(engine->getRxOffset(0), offset);

    w.lockControl()->click();
    EXPECT_FALSE(engine->isChannelLocked(0));
    EXPECT_EQ(w.lockControl()->text(), "LOCK");
}

// Each step choice moves RX A by what it reads, in and beyond the band.
TEST_F(FrontPanelEngine, EachStepChoiceMovesRxAByWhatItReads)
{
    FrontPanel& w = attached();
    QComboBox* steps = w.stepBox();
    ASSERT_GT(steps->count(), 1);
    auto tuned = [&] { return engine->getRxCenterFreq() + engine->getRxOffset(0); };
    // The last choice first, so that picking the first one is a change too.
    for (int i = steps->count() - 1; i >= 0; --i) {
        const QStringList words = steps->itemText(i).split(' ');
        ASSERT_EQ(words.size(), 2) << steps->itemText(i).toStdString();
        const qint64 hertz = qRound64(words[0].toDouble() * (words[1] == "MHz" ? 1e6 : 1e3));
        steps->setCurrentIndex(i);
        const qint64 before = tuned();
        w.SLOT_stepUp();
        EXPECT_EQ(tuned() - before, hertz) << steps->itemText(i).toStdString();
        w.SLOT_stepDown();
        EXPECT_EQ(tuned(), before) << steps->itemText(i).toStdString();
    }
}

TEST_F(FrontPanelEngine, BalanceEndsShowTheirReceiverTab)
{
    FrontPanel& w = attached();
    const std::pair<int, int> cases[] = {{-10, 0}, {3, 0}, {10, 1}, {0, 1}};
    for (const auto& [balance, tab] : cases) {
        w.SLOT_balancePrimSecChanged(balance);
        EXPECT_EQ(w.tabWidget()->currentIndex(), tab) << balance;
    }
}

TEST_F(FrontPanelEngine, AccessoryFrequencyStepMovesTheShownReceiver)
{
    FrontPanel& w = attached();
    engine->setRxOffset(0, 0);
    engine->setRxOffset(0, 1);
    w.tabWidget()->setCurrentIndex(2); // "Scan": RX B
    w.SLOT_accessoryCommand("FRQ", 1000, 0);
    EXPECT_EQ(engine->getRxOffset(1), 1000);
    w.tabWidget()->setCurrentIndex(0);
    w.SLOT_accessoryCommand("FRQ", -500, 0);
    w.SLOT_accessoryCommand("frq", 7000, 0);
    EXPECT_EQ(engine->getRxOffset(0), -500);
}

TEST_F(FrontPanelEngine, BandChoiceCentresTheReceiverOnTheSegment)
{
    dbRadioSegment band;
    band.NAME = "2m";
    band.FSTART = 144000000;
    band.FSTOP = 146000000;
    FrontPanel& w = attached();
    QSignalSpy selected(&w, &FrontPanel::SIG_UserSelectsBand);
    w.setBandPlan({&band});
    ASSERT_EQ(w.bandBox()->count(), 2);
    EXPECT_EQ(w.bandBox()->itemText(0), "General");
    w.bandBox()->setCurrentIndex(1);
    EXPECT_EQ(engine->getRxCenterFreq(), 145000000);
    ASSERT_FALSE(selected.isEmpty());
    EXPECT_EQ(selected.last(), (QList<QVariant>{qlonglong(144000000), qlonglong(146000000)}));
    w.bandBox()->setCurrentIndex(0);
    EXPECT_EQ(selected.last(), (QList<QVariant>{qlonglong(-1), qlonglong(-1)}));
    w.setBandPlan({});
    EXPECT_EQ(w.bandBox()->count(), 1);
}

TEST_F(FrontPanelEngine, PlayButtonStaysOffWhenTheFileDialogIsCancelled)
{
    FrontPanel& w = attached();
    ModalResponder cancel; // rejects the file dialog
    w.SLOT_startStopReadFromFile();
    EXPECT_FALSE(w.playControl()->getState());
    EXPECT_FALSE(engine->isRFPlaying());
}

TEST_F(FrontPanelEngine, MemoriesAreReloadedOnceTheirDialogCloses)
{
    SqliteFile db(dir.file("db/mylist.sqlite"), "MY");
    db.exec(dbUserFreq::createTableStatement());
    const auto add = [&](qint64 freq, const char* colour) {
        db.exec("insert into FREQS (FREQ, CALLSIGN, COLOR) values (?, 'mem', ?)", {freq, colour});
    };
    add(145500000, "red");
    add(2000000000, "red"); // beyond the receiver's range
    FrontPanel& w = attached();
    add(146000000, "blue"); // stored while the window runs, e.g. by the dialog
    QSignalSpy refreshed(&w, &FrontPanel::SIG_RefreshBookmarks);
    {
        ModalResponder close; // rejects the memories dialog
        w.SLOT_manageMemories();
    }
    QMap<qint64, QColor> memories;
    for (const BookmarkEntry& mark : Bookmarks::instance()->bookmarksInRange(0, LLONG_MAX, -1)) {
        ASSERT_TRUE(mark.memory);
        ASSERT_FALSE(memories.contains(mark.frequency)) << "listed twice: " << mark.frequency;
        memories.insert(mark.frequency, mark.labelColor);
    }
    EXPECT_EQ(memories, (QMap<qint64, QColor>{{145500000, QColor("red")}, {146000000, QColor("blue")}}));
    EXPECT_EQ(refreshed.count(), 1);
}

TEST_F(FrontPanelEngine, EndingTheProgramClosesTheWindowForItsOrderlyEnd)
{
    FrontPanel& w = attached();
    w.show();
    w.endProgram();
    EXPECT_FALSE(w.isVisible());
    // The engine stops when the window goes, not before.
    EXPECT_TRUE(engine->isRunning());
}

TEST_F(FrontPanelEngine, ScheduleRequestsReachTheSchedulePlugInWhenThereIsOne)
{
    FrontPanel& w = attached();
    // Without the plug-in, nothing happens.
    w.SLOT_WHATSONRequest(7);
    auto* probe = new ScheduleProbe;
    RegisteredPlugin registered(probe);
    w.SLOT_WHATSONRequest(42);
    EXPECT_EQ(probe->shown, QList<int>{42});
}

// A receiver switched on alone takes all of the sound, whatever the balance
// was; the other one's start afterwards changes nothing, and the "Balance A/B"
// slider stays where it was.
TEST_F(FrontPanelEngine, OnlyChannelOnGetsAllOfTheSound)
{
    FrontPanel& w = attached();
    const AudioMixdown& mix = engine->audioOutput->mixdown();
    const struct
    {
        const char* what;
        int alone;
        float weightA;
        float weightB;
    } cases[] = {{"RX B alone", 1, 0.0f, 1.0f}, {"RX A alone", 0, 1.0f, 0.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        engine->turnChannelOff(0);
        engine->turnChannelOff(1);
        engine->audioOutput->setBalance(0);
        engine->turnChannelOn(c.alone);
        EXPECT_FLOAT_EQ(mix.weightA(), c.weightA);
        EXPECT_FLOAT_EQ(mix.weightB(), c.weightB);
        engine->turnChannelOn(1 - c.alone);
        EXPECT_FLOAT_EQ(mix.weightA(), c.weightA);
        EXPECT_FLOAT_EQ(mix.weightB(), c.weightB);
        EXPECT_EQ(w.balanceSlider()->value(), 0);
    }
}

// "A --> B" and "B --> A" copy one receiver's offset to the other, "A <--> B"
// swaps them.
TEST_F(FrontPanelEngine, ReceiverButtonsCopyOrSwapTheOffsets)
{
    FrontPanel& w = attached();
    constexpr int OffsetA = 10000;
    constexpr int OffsetB = -30000;
    const struct
    {
        const char* caption;
        int offsetA;
        int offsetB;
    } cases[] = {
        {"A --> B", OffsetA, OffsetA}, {"B --> A", OffsetB, OffsetB}, {"A <--> B", OffsetB, OffsetA}};
    for (const auto& c : cases) {
        engine->setRxOffset(OffsetA, 0);
        engine->setRxOffset(OffsetB, 1);
        QPushButton* button = buttonCaptioned(w, c.caption);
        ASSERT_NE(button, nullptr) << c.caption;
        button->click();
        EXPECT_EQ(engine->getRxOffset(0), c.offsetA) << c.caption;
        EXPECT_EQ(engine->getRxOffset(1), c.offsetB) << c.caption;
    }
}

// "Mute Audio" mutes and unmutes the sound output and shows which; "2s" and
// "4s" ask it to replay that much of what it played (here it has no device,
// so the replay stays asked for).
TEST_F(FrontPanelEngine, MuteAndReplayButtonsActOnTheSoundOutput)
{
    FrontPanel& w = attached();
    const AudioMixdown& mix = engine->audioOutput->mixdown();
    for (bool muted : {true, false}) {
        w.muteControl()->click();
        EXPECT_EQ(mix.isMuted(), muted);
        EXPECT_EQ(w.muteControl()->getState(), muted);
    }
    const std::pair<const char*, int> replays[] = {{"2s", 2}, {"4s", 4}};
    for (const auto& [caption, seconds] : replays) {
        QPushButton* button = buttonCaptioned(w, caption);
        ASSERT_NE(button, nullptr) << caption;
        button->click();
        EXPECT_EQ(mix.pendingRewind(), seconds * AudioMixdown::kSampleRate) << caption;
    }
}

TEST_F(FrontPanelEngine, CalibratingTwiceLeavesOneDialog)
{
    FrontPanel& w = attached();
    w.calibrateControl()->click();
    QPointer<IQCorrectionWidget> first = w.iqDialog();
    ASSERT_NE(first, nullptr);
    w.SLOT_doIQCorrection();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(w.findChildren<IQCorrectionWidget*>().size(), 1);
    delete w.iqDialog();
    // The window must not delete a dialog twice.
    w.SLOT_doIQCorrection();
    EXPECT_EQ(w.findChildren<IQCorrectionWidget*>().size(), 1);
}

TEST_F(FrontPanelEngine, ClosingStopsTheEngineThenSwitchesBothChannelsOff)
{
    FrontPanel& w = attached();
    ASSERT_TRUE(waitFor([&] { return engine->isRunning(); }));
    engine->turnChannelOn(0);
    engine->setRxOffset(12000, 0);
    QVector<std::pair<int, bool>> announced;
    bool engineStoppedFirst = true;
    QObject::connect(engine.get(), &Controller::MSG_ChannelTurnedOnOff, [&](int channel, bool on) {
        announced.append({channel, on});
        engineStoppedFirst = engineStoppedFirst && !engine->isRunning();
    });
    window.reset();
    EXPECT_EQ(announced, (QVector<std::pair<int, bool>>{{0, false}, {1, false}}));
    EXPECT_TRUE(engineStoppedFirst);
    EXPECT_FALSE(engine->channelOn[0]);
    EXPECT_EQ(board()->value(BoardSettings::channelKey(0, BoardSettings::ChannelNco)).toInt(), 12000);
}

class FrontPanelClose : public FrontPanelEngine, public ::testing::WithParamInterface<bool>
{
};

// RX A's panel goes with the window, its demodulators with it: the close
// leaves the engine and the time-domain view none of them, also when RX A's
// mode changed while the view followed it, and when RX A is locked.
TEST_P(FrontPanelClose, LeavesNothingHoldingThePanelsDemodulators)
{
    const bool locked = GetParam();
    FrontPanel& w = attached();
    w.tabWidget()->setCurrentWidget(w.timeDomainView());
    for (Qt::Key mode : {Qt::Key_A, Qt::Key_U}) {
        QTest::keyClick(&w, mode);
        QCoreApplication::processEvents(); // the installation reaches the view
    }
    ASSERT_EQ(engine->currentDemodulator(0)->getName(), "USB");
    if (locked)
        w.lockControl()->click();
    ASSERT_EQ(engine->isChannelLocked(0), locked);

    window.reset();
    EXPECT_EQ(engine->currentDemodulator(0), nullptr);
    EXPECT_EQ(engine->currentDemodulator(1), nullptr);
    engine->saveSettings(); // reads the name of each installed demodulator
}

INSTANTIATE_TEST_SUITE_P(RxA, FrontPanelClose, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "locked" : "unlocked");
                         });

TEST_F(FrontPanelEngine, ClosingOnARemoteReceiverWritesNoBoardFile)
{
    receiver.setType(ReceiverHardware::Orvex_Remote);
    attached();
    QFile::remove(BoardSettings::filePath("windowtest"));
    QVector<int> announced;
    QObject::connect(engine.get(), &Controller::MSG_ChannelTurnedOnOff,
                     [&](int channel, bool on) { announced.append(on ? -1 : channel); });
    window.reset();
    EXPECT_EQ(announced, (QVector<int>{0, 1}));
    EXPECT_FALSE(QFile::exists(BoardSettings::filePath("windowtest")));
}

struct ReceiverKind
{
    const char* what;
    int type;
    bool remote;
};

void PrintTo(const ReceiverKind& kind, std::ostream* os)
{
    *os << kind.what;
}

class FrontPanelReceiverKind : public FrontPanelEngine, public ::testing::WithParamInterface<ReceiverKind>
{
};

// Only a remote receiver gets the "Remote Spectrum" tab, after the others; on
// it "Calibrer RX", which needs a local receiver, is disabled and says why.
TEST_P(FrontPanelReceiverKind, OnlyARemoteReceiverGetsItsSpectrumTabAndLosesCalibration)
{
    const ReceiverKind& kind = GetParam();
    receiver.setType(kind.type);
    FrontPanel& w = attached();
    QStringList titles;
    for (int i = 0; i < w.tabWidget()->count(); ++i)
        titles << w.tabWidget()->tabText(i);
    EXPECT_EQ(titles.count("Remote Spectrum"), kind.remote ? 1 : 0) << titles.join(", ").toStdString();
    EXPECT_EQ(titles.last() == "Remote Spectrum", kind.remote);
    EXPECT_EQ(w.calibrateControl()->isEnabled(), !kind.remote);
    EXPECT_EQ(w.calibrateControl()->toolTip() == "Calibration RX - uniquement recepteurs locaux",
              kind.remote);
}

INSTANTIATE_TEST_SUITE_P(Receivers, FrontPanelReceiverKind,
                         ::testing::Values(ReceiverKind{"local", ReceiverHardware::LocalDefault, false},
                                           ReceiverKind{"remote", ReceiverHardware::Orvex_Remote, true}),
                         [](const ::testing::TestParamInfo<ReceiverKind>& info) {
                             return std::string(info.param.what);
                         });

TEST_F(FrontPanelEngine, BeaconsOfTheRangeBecomeBookmarksOnce)
{
    SqliteFile db(dir.file("db/Orvex.sqlite"));
    db.exec(dbBeacon::createTableStatement());
    for (const char* column :
         {"ASL", "POWER", "ANTENNA", "BEARING", "BEACON_TYPE", "BEACON_SUBTYPE", "comment"})
        db.exec(QString("ALTER TABLE BEACONS ADD COLUMN %1 TEXT").arg(column));
    const auto add = [&](const QString& call, qint64 freq, const QString& type) {
        db.exec("insert into BEACONS (CALLSIGN, FREQ, LAT, LON, BEACON_TYPE) values (?, ?, 45.5, 5.5, ?)",
                {call, freq, type});
    };
    // Ordered by callsign then frequency: B1 twice around an out-of-range row of its own.
    add("B1", 144000000, "AMATEUR");
    add("B1", 144000000, "AMATEUR");
    add("B1", 2000000000, "AMATEUR");
    add("B1", 144000000, "AMATEUR");
    add("B2", 144000001, "amateur");
    add("B3", 80000000, "PRO");
    GeoTools::instance().setStationLocation(5.0, 45.0);

    attached();
    const QList<BookmarkEntry> marks = Bookmarks::instance()->bookmarksInRange(0, LLONG_MAX, -1);
    QStringList names;
    for (const BookmarkEntry& mark : marks)
        names << mark.name;
    EXPECT_EQ(names, (QStringList{"B3", "B1", "B2"}));
    for (const BookmarkEntry& mark : marks) {
        EXPECT_EQ(mark.modulation, "CW");
        EXPECT_EQ(mark.bandwidth, 10);
        const bool shownDistance = mark.frequency >= 80000000 && mark.frequency <= 144000000;
        EXPECT_EQ(mark.distance > 0, shownDistance) << mark.name.toStdString();
        EXPECT_EQ(mark.labelColor == QColor("lime"), mark.name == "B1") << mark.name.toStdString();
    }
}

#include "FrontPanelEngineTest.moc"
