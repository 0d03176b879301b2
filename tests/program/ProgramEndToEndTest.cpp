// The program as a user runs it: the real executable on a private X server,
// the synthetic receiver chosen in the selection dialog, RX A switched on in
// AM and tuned with the frequency entry onto the AM carrier, whose 1 kHz tone
// must come out of the sound card (the test null sink), an MP3 recording, and
// the window closed: exit code 0, the board file written, nothing left running.
#include "SoundCapture.h"
#include "TempWorkDir.h"
#include "ToneAnalysis.h"
#include "WaitFor.h"
#include "X11Session.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

// Colours the program paints that tell its controls apart.
const QRgb FrequencyEntryBackground = qRgb(32, 32, 32);
const QRgb PanelBarOlive = qRgb(48, 48, 32);
const QRgb ButtonOnIcon = qRgb(40, 220, 40);
const QRgb ButtonOffIcon = qRgb(70, 70, 70);

constexpr int WindowTimeoutMs = 60000;

class ProgramEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x.running()) << "no X server";
        // The program reads conf/ and db/ beside its executable: a copy of it in
        // the test's folder keeps the build's own folder untouched.
        ASSERT_TRUE(QFile::copy(TARNX_EXECUTABLE, work.file("tarnx")));
        QFile::setPermissions(work.file("tarnx"), QFile::permissions(TARNX_EXECUTABLE));
        ASSERT_TRUE(QFile::copy(fixturesDir() + "/EXTSDR_Synthetic.dll", work.file("EXTSDR_Synthetic.dll")));
        // The recordings' folder, which the program does not create.
        ASSERT_TRUE(QDir(work.path()).mkpath("record"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", x.display());
        env.insert("QT_QPA_PLATFORM", "xcb");
        // French, as the program speaks it (and no translation to load).
        env.insert("LANG", "fr_FR.UTF-8");
        env.insert("LC_ALL", "fr_FR.UTF-8");
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(work.path());
        program.setProcessChannelMode(QProcess::ForwardedChannels);
    }

    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(10000);
        }
    }

    void startProgram()
    {
        program.start(work.file("tarnx"), QStringList());
        ASSERT_TRUE(program.waitForStarted(10000));
    }

    // Chooses the first receiver of the selection dialog and leaves with it.
    void chooseFirstReceiver(qulonglong dialog)
    {
        const QRect frame = x.geometry(dialog);
        x.focus(dialog);
        // The first row of the receiver table, then "Utiliser ..." at the bottom left.
        x.click(dialog, 120, 45);
        x.click(dialog, 80, frame.height() - 33);
    }

    bool exitsWithin(int timeoutMs)
    {
        return waitFor([&] { return program.state() == QProcess::NotRunning; }, timeoutMs);
    }

    TempWorkDir work;
    X11Session x;
    QProcess program;
};

// Where the controls are on the main window, found by their colours.
struct MainWindowControls
{
    QPoint frequencyEntry;
    QPoint rxAOnOff;
    QPoint mp3Button;
    bool complete = false;

    static MainWindowControls find(const QImage& shot)
    {
        MainWindowControls c;
        // The frequency entry: the first long dark run of the top bar (the level
        // meter further right is dark too).
        const int barY = 20;
        for (int x0 = 0; x0 < shot.width(); ++x0) {
            if ((shot.pixel(x0, barY) & 0xffffff) != (FrequencyEntryBackground & 0xffffff))
                continue;
            int x1 = x0;
            while (x1 + 1 < shot.width() && (shot.pixel(x1 + 1, barY) & 0xffffff) == (FrequencyEntryBackground & 0xffffff))
                ++x1;
            if (x1 - x0 >= 150) {
                c.frequencyEntry = QPoint((x0 + x1) / 2, barY);
                break;
            }
            x0 = x1;
        }
        // RX A's bar: the widest olive band; its on/off button is at its left end.
        int widest = 0, barLeft = 0, barTop = -1, barBottom = -1;
        for (int y = 0; y < shot.height(); ++y) {
            const auto run = ScreenColours::longestRun(shot, y, PanelBarOlive);
            widest = std::max(widest, run.second - run.first);
        }
        for (int y = 0; y < shot.height() && widest > 200; ++y) {
            const auto run = ScreenColours::longestRun(shot, y, PanelBarOlive);
            if (run.second - run.first >= widest * 8 / 10) {
                if (barTop < 0) {
                    barTop = y;
                    barLeft = run.first;
                }
                barBottom = y;
            }
        }
        if (barTop >= 0)
            c.rxAOnOff = QPoint(barLeft + 25, (barTop + barBottom) / 2);
        // The audio buttons stand in a column: mute, the equalizer (on), MP3.
        const QList<QRect> on = ScreenColours::blobs(shot, ButtonOnIcon, 20);
        const QList<QRect> off = ScreenColours::blobs(shot, ButtonOffIcon, 20);
        QRect equalizer;
        for (const QRect& blob : on)
            if (blob.top() > equalizer.top())
                equalizer = blob;
        for (const QRect& blob : off) {
            if (qAbs(blob.left() - equalizer.left()) <= 2 && blob.top() > equalizer.bottom() &&
                (c.mp3Button.isNull() || blob.top() < c.mp3Button.y()))
                c.mp3Button = blob.center();
        }
        c.complete = !c.frequencyEntry.isNull() && !c.rxAOnOff.isNull() && !c.mp3Button.isNull();
        return c;
    }
};

QString boardFilePath(const TempWorkDir& work)
{
    const QStringList boards = QDir(work.file("conf")).entryList({"tnrx_*.conf"}, QDir::Files);
    return boards.isEmpty() ? QString() : work.file("conf/" + boards.first());
}

} // namespace

TEST_F(ProgramEndToEnd, LeavingTheSelectionWithoutAChoiceEndsWithCodeZero)
{
    startProgram();
    const qulonglong dialog = x.waitForWindow("Choix du SDR", WindowTimeoutMs);
    ASSERT_NE(dialog, 0u) << "the receiver selection never showed";
    ASSERT_TRUE(x.requestClose(dialog));
    ASSERT_TRUE(exitsWithin(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(boardFilePath(work).isEmpty());
}

TEST_F(ProgramEndToEnd, ListensRecordsAndClosesAsAUserWould)
{
    SoundCapture sound;
    ASSERT_TRUE(sound.start()) << "no PulseAudio null sink (source scripts/pulse-null-sink.sh)";
    startProgram();
    const qulonglong dialog = x.waitForWindow("Choix du SDR", WindowTimeoutMs);
    ASSERT_NE(dialog, 0u) << "the receiver selection never showed";
    chooseFirstReceiver(dialog);
    const qulonglong window = x.waitForWindow("Vantor-SDR Client", WindowTimeoutMs);
    ASSERT_NE(window, 0u) << "the main window never showed";
    x.focus(window);

    MainWindowControls controls;
    ASSERT_TRUE(waitFor([&] { return (controls = MainWindowControls::find(x.screenshot(window))).complete; },
                        WindowTimeoutMs))
        << "controls not found on the main window";

    // RX A on, then AM (the key goes to the window through the focused button).
    x.click(window, controls.rxAOnOff.x(), controls.rxAOnOff.y());
    x.key("a");
    // Tuned onto the AM carrier, 20 kHz above the centre (the receiver starts in
    // the middle of its range, 895 MHz): the pointer on the entry, the cursor to
    // its first digit, the frequency typed in.
    x.movePointer(window, controls.frequencyEntry.x(), controls.frequencyEntry.y());
    x.key("Home");
    x.type("0089502000");

    const auto toneHeard = [&] {
        const StereoRecording heard = sound.takeNew();
        if (heard.left.size() < 24000)
            return false;
        const double tone = tone::toneAmplitude(heard.left, heard.rate, 1000.0);
        const double elsewhere = tone::toneAmplitude(heard.left, heard.rate, 1370.0);
        return tone > 0.01 && tone > 10 * elsewhere;
    };
    EXPECT_TRUE(waitFor(toneHeard, 60000)) << "the 1 kHz tone of the AM carrier was not heard";
    // scripts/screenshot.sh asks for the picture of the receiving window shown in the README.
    const QString picture = qEnvironmentVariable("TARNX_SCREENSHOT");
    if (!picture.isEmpty())
        x.screenshot(window).save(picture);

    x.click(window, controls.mp3Button.x(), controls.mp3Button.y());
    EXPECT_TRUE(waitFor(
        [&] {
            const QFileInfoList mp3 = QDir(work.file("record")).entryInfoList({"*.mp3"}, QDir::Files);
            return !mp3.isEmpty() && mp3.first().size() > 8000;
        },
        60000))
        << "no MP3 recording grew";

    ASSERT_TRUE(x.requestClose(window));
    ASSERT_TRUE(exitsWithin(60000)) << "the program did not end after its window closed";
    sound.stop();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    const QStringList mp3 = QDir(work.file("record")).entryList({"*.mp3"}, QDir::Files);
    ASSERT_EQ(mp3.size(), 1);
    EXPECT_TRUE(mp3.first().startsWith("RX_895.020_")) << mp3.first().toStdString();
    const QString board = boardFilePath(work);
    ASSERT_FALSE(board.isEmpty()) << "no board file";
    QSettings file(board, QSettings::IniFormat);
    EXPECT_EQ(file.value("Preferences/Channel_0_NCO").toInt(), 20000);
    EXPECT_EQ(file.value("Preferences/Channel_0_Mod").toString(), "AM");
}
