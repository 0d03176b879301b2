// The program as a user runs it: the real executable on a private X server,
// the synthetic receiver chosen in the selection dialog, RX A switched on in
// AM and tuned with the frequency entry onto the AM carrier, whose 1 kHz tone
// must come out of the sound card (the test null sink), an MP3 recording, RX A
// switched to USB and the "timeDomain" tab opened, and the window closed: exit
// code 0 (a leak or a use of freed memory would make the sanitized program's
// code another), the board file written, nothing left running. A user button
// whose script alerts in a loop leaves the program closable.
#include "DrivenProgram.h"
#include "SoundCapture.h"
#include "TempWorkDir.h"
#include "ToneAnalysis.h"
#include "WaitFor.h"
#include "X11Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

#include <iostream>

namespace {

// Generous bounds: the sanitized program on a loaded machine.
constexpr int ShowTimeoutMs = 90000;
constexpr int ActionTimeoutMs = 60000;

class ProgramEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x.running()) << "no X server";
        ASSERT_TRUE(program.install(TARNX_EXECUTABLE, fixturesDir() + "/EXTSDR_Synthetic.dll"));
    }

    // A failure explains itself: the program's log, and a picture of the
    // screen as it was (kept beside the test program; the folder goes).
    void TearDown() override
    {
        if (!HasFailure())
            return;
        std::cout << "---- the program's log ----\n"
                  << program.log().toStdString() << "---- end of the program's log ----" << std::endl;
        const QString picture = QCoreApplication::applicationDirPath() + "/ProgramEndToEnd." +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png";
        if (x.running() && x.screenshotOfScreen().save(picture))
            std::cout << "the screen at the failure: " << picture.toStdString() << std::endl;
    }

    // Starts the program and chooses the first receiver: its main window, or 0
    // (with the step that never came reported) when it did not show.
    qulonglong openMainWindow()
    {
        if (!program.start()) {
            ADD_FAILURE() << "the program did not start";
            return 0;
        }
        const qulonglong dialog = program.waitForSelection(ShowTimeoutMs);
        if (dialog == 0) {
            ADD_FAILURE() << "the receiver selection never showed";
            return 0;
        }
        program.chooseFirstReceiver(dialog);
        const qulonglong window = program.waitForMainWindow(ShowTimeoutMs);
        if (window == 0)
            ADD_FAILURE() << "the main window never showed its controls";
        return window;
    }

    QString boardFile() const
    {
        const QStringList boards = QDir(work.file("conf")).entryList({"tnrx_*.conf"}, QDir::Files);
        return boards.isEmpty() ? QString() : work.file("conf/" + boards.first());
    }

    TempWorkDir work;
    X11Session x;
    DrivenProgram program{x, work.path()};
};

// Listens to the sink until the last half second holds a clear tone at hz.
bool waitForTone(SoundCapture& sound, double hz, int timeoutMs)
{
    std::vector<float> heard;
    return waitFor(
        [&] {
            const std::vector<float> fresh = sound.takeNew().left;
            heard.insert(heard.end(), fresh.begin(), fresh.end());
            const long window = 24000;
            if (long(heard.size()) < window)
                return false;
            heard.erase(heard.begin(), heard.end() - window);
            const double tone = tone::toneAmplitude(heard, 48000, hz);
            const double elsewhere = tone::toneAmplitude(heard, 48000, hz * 1.37);
            return tone > 0.01 && tone > 10 * elsewhere;
        },
        timeoutMs);
}

} // namespace

TEST_F(ProgramEndToEnd, QuittingFromTheSelectionEndsWithCodeZeroAndWritesNoBoardFile)
{
    ASSERT_TRUE(program.start());
    const qulonglong dialog = program.waitForSelection(ShowTimeoutMs);
    ASSERT_NE(dialog, 0u) << "the receiver selection never showed";
    program.quitFromSelection(dialog);
    ASSERT_TRUE(program.exitsWithin(ActionTimeoutMs));
    EXPECT_EQ(program.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.process().exitCode(), 0);
    EXPECT_TRUE(boardFile().isEmpty());
}

TEST_F(ProgramEndToEnd, ListensRecordsAndClosesAsAUserWould)
{
    SoundCapture sound;
    ASSERT_TRUE(sound.start()) << "no PulseAudio null sink (source scripts/pulse-null-sink.sh)";
    const qulonglong window = openMainWindow();
    ASSERT_NE(window, 0u);

    // RX A on; the engine starts receiving. Every control is found on the
    // window as it is at the time: its layout may settle while it runs.
    x.click(window, program.picture().receiverOnOff());
    ASSERT_TRUE(program.waitForLog("Controller::run() local_context[0].rx_samplerate=", ActionTimeoutMs))
        << "reception never started";
    // AM (the key reaches the window through the focused on/off button).
    x.key("a");
    ASSERT_TRUE(program.waitForPicture(
        [](const MainWindowPicture& shown) { return shown.modeLit(MainWindowPicture::AM); }, ActionTimeoutMs))
        << "AM never lit";
    // Tuned onto the AM carrier, 20 kHz above the centre (the receiver starts
    // in the middle of its range, 895 MHz): the pointer on the entry, the
    // cursor to its first digit, the frequency typed in tens of hertz.
    x.movePointer(window, program.picture().frequencyEntry());
    x.key("Home");
    x.type("0089502000");
    EXPECT_TRUE(waitForTone(sound, 1000.0, ActionTimeoutMs))
        << "the 1 kHz tone of the AM carrier was not heard";
    // scripts/screenshot.sh asks for the picture of the receiving window shown in the README.
    const QString picture = qEnvironmentVariable("TARNX_SCREENSHOT");
    if (!picture.isEmpty())
        x.screenshot(window).save(picture);

    x.click(window, program.picture().mp3Button());
    EXPECT_TRUE(waitFor(
        [&] {
            const QFileInfoList mp3 = QDir(work.file("record")).entryInfoList({"*.mp3"}, QDir::Files);
            return !mp3.isEmpty() && mp3.first().size() > 8000;
        },
        ActionTimeoutMs))
        << "no MP3 recording grew";

    // Another mode, and the time-domain view, which follows RX A's demodulator:
    // the close must leave no view holding a demodulator that went with its panel.
    x.key("u");
    ASSERT_TRUE(program.waitForPicture(
        [](const MainWindowPicture& shown) { return shown.modeLit(MainWindowPicture::USB); },
        ActionTimeoutMs))
        << "USB never lit";
    // The wheel over the tab bar steps from "RX A" past "RX B", "Scan" and "Carte".
    x.wheelDown(window, program.picture().firstTab(), 4);
    ASSERT_TRUE(program.waitForPicture([](const MainWindowPicture& shown) { return shown.timeDomainShown(); },
                                       ActionTimeoutMs))
        << "the timeDomain tab never showed";

    ASSERT_TRUE(x.requestClose(window));
    ASSERT_TRUE(program.exitsWithin(ActionTimeoutMs)) << "the program did not end after its window closed";
    sound.stop();
    EXPECT_EQ(program.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.process().exitCode(), 0);

    const QStringList mp3 = QDir(work.file("record")).entryList({"*.mp3"}, QDir::Files);
    ASSERT_EQ(mp3.size(), 1);
    EXPECT_TRUE(mp3.first().startsWith("RX_895.020_")) << mp3.first().toStdString();
    const QString board = boardFile();
    ASSERT_FALSE(board.isEmpty()) << "no board file";
    QSettings file(board, QSettings::IniFormat);
    EXPECT_EQ(file.value("Preferences/Channel_0_NCO").toInt(), 20000);
    EXPECT_EQ(file.value("Preferences/Channel_0_Mod").toString(), "USB");
}

// A user button runs a script that alerts in a loop, as a new user may write
// it. The boxes are modal: while one is open the main window takes no close.
// Once the script has ten open, its later alerts go to the log; the user
// closes the boxes, none comes back, and closing the window ends the program
// as usual.
TEST_F(ProgramEndToEnd, AScriptThatAlertsInALoopLeavesTheProgramClosable)
{
    constexpr int BoxBound = 10;
    QFile script(work.file("alerte.js"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("var i = 0; while (true) { orvex.alert(\"alerte \" + i); i++; orvex.waitFor(5); }\n");
    script.close();
    ASSERT_TRUE(QDir(work.path()).mkpath("conf"));
    {
        QSettings settings(work.file("conf/vantor-sdr.conf"), QSettings::IniFormat);
        settings.setValue("Interface/ACTION_1", script.fileName());
        // Its caption gives the button the key Alt+A.
        settings.setValue("Interface/TEXT_1", "&Alerte");
    }

    const qulonglong window = openMainWindow();
    ASSERT_NE(window, 0u);

    const QString boxName = "^Orvex$";
    x.key("alt+a");
    ASSERT_TRUE(waitFor([&] { return x.windows(boxName).size() >= BoxBound; }, ActionTimeoutMs))
        << "the script's boxes never showed";

    // The user closes the boxes, the one on top first: the others, blocked by
    // it, take no close; each turn closes one.
    int closed = 0;
    for (QList<qulonglong> open = x.windows(boxName); !open.isEmpty() && closed <= BoxBound;
         open = x.windows(boxName)) {
        for (qulonglong box : open)
            x.requestClose(box);
        ASSERT_TRUE(waitFor([&] { return x.windows(boxName).size() < open.size(); }, ActionTimeoutMs))
            << "no box closed";
        closed += open.size() - x.windows(boxName).size();
    }
    EXPECT_EQ(closed, BoxBound);

    // The loop goes on, into the log, and opens no box.
    const QString loggedAlert = "alert of script 1: alerte ";
    const int loggedWhenClosed = program.log().count(loggedAlert);
    ASSERT_TRUE(
        waitFor([&] { return program.log().count(loggedAlert) >= loggedWhenClosed + 20; }, ActionTimeoutMs))
        << "the script's alerts stopped reaching the log";
    EXPECT_TRUE(x.windows(boxName).isEmpty());
    EXPECT_EQ(program.log().count("boxes open, its later alerts go to the log"), 1);

    ASSERT_TRUE(x.requestClose(window));
    ASSERT_TRUE(program.exitsWithin(ActionTimeoutMs)) << "the program did not end after its window closed";
    EXPECT_EQ(program.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.process().exitCode(), 0);
}
