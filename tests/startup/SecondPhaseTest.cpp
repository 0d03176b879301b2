// The start-up's second phase, step by step: the sound input of a sound-card
// receiver, the board file with the converter question, and the band plan
// turned into bookmarks; and the whole phase on a remote receiver.
#include "app/startup/SecondPhase.h"
#include "ModalResponder.h"
#include "SoundCapture.h"
#include "SqliteFile.h"
#include "StubReceiverHardware.h"
#include "TempWorkDir.h"
#include "app/startup/FirstPhase.h"
#include "core/ProgramSettings.h"
#include "engine/board/BoardSettings.h"
#include "hardware/HardwareSelectionWindow.h"
#include "hardware/HardwareTableWidget.h"
#include "hardware/dbRemoteSDR.h"
#include "lists/Bookmarks.h"
#include "lists/dbRadioSegment.h"
#include "mainwindow/FrontPanel.h"
#include "tests/hardware/RemoteTestServer.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMap>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A local board covering 1 MHz to 30 MHz that records the corrections it gets.
class BoardReceiver : public StubReceiverHardware
{
public:
    BoardReceiver() : StubReceiverHardware("phasetwo") { setType(1); }
    qint64 getMin_HWRx_CenterFreq() override { return 1000000; }
    qint64 getMax_HWRx_CenterFreq() override { return 30000000; }
    void setIQCorrectionFactors(float i, float q, float c) override
    {
        iq[0] = i;
        iq[1] = q;
        iq[2] = c;
    }
    void setppmError(double value) override { ppm = value; }
    float iq[3] = {0, 0, 0};
    double ppm = -1;
};

// A sound-card receiver that keeps its parameters from one start to the next,
// as its driver does.
class SoundCardReceiver : public StubReceiverHardware
{
public:
    SoundCardReceiver() : StubReceiverHardware("soundcard") { setType(ReceiverHardware::SoundCard); }
    void setParam(QString name, QString value) override { params[name] = value; }
    void getParam(QString name, QString& value) override { value = params.value(name); }
    QMap<QString, QString> params;
};

class SecondPhaseTest : public ::testing::Test
{
protected:
    std::unique_ptr<QSettings> boardFile() { return BoardSettings::open(QStringLiteral("phasetwo")); }

    TempWorkDir dir;
    BoardReceiver receiver;
    StartupFrame frame;
};

} // namespace

TEST(SecondPhaseRange, SegmentsTouchingTheRangeAreSelected)
{
    const struct
    {
        qint64 start, stop;
        bool selected;
    } cases[] = {{500000, 1000000, true}, {30000000, 31000000, true}, {31000000, 32000000, false},
                 {100000, 999999, false}, {7000000, 7200000, true},   {500000, 40000000, true}};
    for (const auto& c : cases)
        EXPECT_EQ(SecondPhase::segmentInRange(c.start, c.stop, 1000000, 30000000), c.selected) << c.start;
}

TEST(SecondPhaseSoundInput, TheChosenInputIsStoredAndPreselectedAtTheNextStart)
{
    ASSERT_TRUE(SoundCapture::serverAvailable())
        << "no PulseAudio server: source scripts/pulse-null-sink.sh before the tests";
    const QString monitor = SoundCapture::kDefaultSource;
    const struct
    {
        const char* start;
        QString picked; // empty: the user leaves the entry shown
        QString shown;  // the entry the dialog opens on
        QString stored; // "audioInputName" afterwards
    } starts[] = {
        {"first start", monitor, "Defaut", monitor},
        {"next start", QString(), monitor, monitor},
        {"back to the default", "Defaut", monitor, QString()},
        {"after the default", QString(), "Defaut", QString()},
    };
    SoundCardReceiver receiver;
    for (const auto& start : starts) {
        QString shown;
        ModalResponder responder;
        responder.act([&](QDialog* dialog) {
            auto* inputs = dialog->findChild<QComboBox*>();
            shown = inputs->currentText();
            if (!start.picked.isEmpty())
                inputs->setCurrentIndex(inputs->findText(start.picked));
            dialog->close();
        });
        SecondPhase::chooseSoundInput(&receiver);
        EXPECT_EQ(shown, start.shown) << start.start;
        EXPECT_EQ(receiver.params.value("audioInputName"), start.stored) << start.start;
        EXPECT_EQ(responder.seen().size(), 1u) << start.start;
    }
}

TEST_F(SecondPhaseTest, AReceiverWithoutBoardFileGetsOneWithDefaults)
{
    ModalResponder responder;
    SecondPhase::loadBoardFile(frame, &receiver);
    std::unique_ptr<QSettings> file = boardFile();
    EXPECT_EQ(file->value("LO").toLongLong(), 0);
    EXPECT_EQ(file->value("In_Min").toLongLong(), 1000000);
    EXPECT_EQ(file->value("In_Max").toLongLong(), 30000000);
    EXPECT_EQ(file->value("Gain_I").toDouble(), 1.0);
    EXPECT_EQ(file->value("Gain_Q").toDouble(), 1.0);
    EXPECT_EQ(file->value("Gain_C").toDouble(), 0.0);
    EXPECT_EQ(file->value("ppmError").toDouble(), 0.0);
    EXPECT_TRUE(responder.seen().empty());
    EXPECT_EQ(receiver.frequencyConverter.load(), nullptr);
    EXPECT_FLOAT_EQ(receiver.iq[0], 1.0f);
    EXPECT_DOUBLE_EQ(receiver.ppm, 0.0);
}

TEST_F(SecondPhaseTest, ConverterIsAttachedOnlyWhenTheUserAccepts)
{
    const struct
    {
        qint64 lo;
        QMessageBox::StandardButton answer;
        bool attached;
        const char* question;
    } cases[] = {{100000000, QMessageBox::No, false, "Activer OL de 100.0 MHz et transposer frequence ?"},
                 {116500000, QMessageBox::Yes, true, "Activer OL de 116.5 MHz et transposer frequence ?"},
                 {0, QMessageBox::Yes, false, nullptr}};
    for (const auto& c : cases) {
        BoardReceiver board;
        {
            std::unique_ptr<QSettings> file = boardFile();
            file->setValue("LO", c.lo);
            file->setValue("In_Min", 144000000);
            file->setValue("In_Max", 146000000);
            file->setValue("Gain_I", 0.98);
            file->setValue("ppmError", 2.5);
        }
        // A fresh start-up each time: its message box is asked once per run.
        StartupFrame run;
        ModalResponder responder;
        responder.press(c.answer);
        SecondPhase::loadBoardFile(run, &board);
        if (c.question == nullptr) {
            EXPECT_TRUE(responder.seen().empty());
        } else {
            ASSERT_EQ(responder.seen().size(), 1u) << c.lo;
            EXPECT_EQ(responder.seen()[0].title, "Tarnx");
            EXPECT_EQ(responder.seen()[0].text, c.question);
            EXPECT_EQ(responder.seen()[0].defaultButton, QMessageBox::Yes);
        }
        const FrequencyConverter* converter = board.frequencyConverter.load();
        EXPECT_EQ(converter != nullptr, c.attached) << c.lo;
        if (converter != nullptr) {
            EXPECT_EQ(converter->LO, c.lo);
            EXPECT_EQ(converter->In_Min, 144000000);
        }
        EXPECT_FLOAT_EQ(board.iq[0], 0.98f);
        EXPECT_NEAR(board.ppm, 2.5, 1e-6);
    }
}

TEST_F(SecondPhaseTest, BandPlanOfTheRangeAddsTwoOrangeEdgesPerSegment)
{
    SqliteFile db(dir.file("db/Orvex.sqlite"));
    db.exec(dbRadioSegment::createTableStatement());
    db.exec("insert into RADIO_SEGMENTS (FSTART, FSTOP, NAME) values (7000000, 7200000, '40m')");
    db.exec("insert into RADIO_SEGMENTS (FSTART, FSTOP, NAME) values (31000000, 32000000, 'far')");
    QObject owner;
    const QList<dbRadioSegment*> plan = SecondPhase::loadBandPlan(&receiver, &owner);
    ASSERT_EQ(plan.size(), 1);
    EXPECT_EQ(plan[0]->NAME, "40m");
    const QList<BookmarkEntry> marks = Bookmarks::instance()->bookmarksInRange(6000000, 8000000, -1);
    ASSERT_EQ(marks.size(), 2);
    EXPECT_EQ(marks[0].frequency, 7000000);
    EXPECT_EQ(marks[0].name, "[40m...");
    EXPECT_EQ(marks[1].frequency, 7200000);
    EXPECT_EQ(marks[1].name, "...40m]");
    for (const BookmarkEntry& mark : marks) {
        EXPECT_EQ(mark.labelColor, QColor("orange"));
        EXPECT_TRUE(mark.modulation.isEmpty());
        EXPECT_EQ(mark.bandwidth, 0);
    }
}

TEST_F(SecondPhaseTest, LeavingTheSelectionWithoutAReceiverEndsWithCodeZeroAndNoBoardFile)
{
    // No driver in the working folder and no saved server: nothing to choose.
    ModalResponder responder;
    EXPECT_EQ(runSecondPhase(frame), 0);
    EXPECT_EQ(responder.unexpected(), 1); // the selection dialog, closed
    EXPECT_TRUE(QDir(dir.file("conf")).entryList({"tnrx_*.conf"}, QDir::Files).isEmpty());
}

// The whole phase with a saved remote server: its receiver is chosen in the
// selection dialog, the band plan comes from the server (a list item that is
// no band is skipped), and no board file is read or written for it.
TEST_F(SecondPhaseTest, ARemoteReceiverTakesTheServersBandPlanAndNoBoardFile)
{
    // The window's network peers go nowhere.
    ProgramSettings::open()->setValue("Version/download_host", "127.0.0.1:1");
    ProgramSettings::open()->setValue("Map/tile_server", "http://127.0.0.1:9");
    RemoteTestServer remote;
    remote.peer.setJsonReply("bands", "{\"bands\":[{\"name\":\"2m\",\"ID\":\"1\",\"start_frequency\":\"144\","
                                      "\"stop_frequency\":\"146\"},7,{\"name\":\"70cm\",\"ID\":\"2\","
                                      "\"start_frequency\":\"430\",\"stop_frequency\":\"440\"}]}");
    // The session stays up: a lost link would have the engine save its state.
    fakeserver::StreamScript session;
    session.holdOpen = true;
    remote.peer.setStream("sessions/datas", session);
    PersonalDatabase personal;
    {
        dbRemoteSDR row;
        ASSERT_TRUE(row.create(remote.peer.host(), remote.peer.port(),
                               QString::fromStdString(remote.peer.publicKeyText()), "ALICE"));
    }

    ModalResponder responder;
    responder.act([](QDialog* dialog) {
        HardwareTableWidget* table = static_cast<HardwareSelectionWindow*>(dialog)->table();
        ASSERT_EQ(table->model()->rowCount(), 1);
        const QRect cell = table->visualRect(table->model()->index(0, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        dialog->close();
    });
    // The user closes the main window once it is up.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<FrontPanel*>(window) != nullptr && window->isVisible()) {
                window->close();
                QApplication::quit();
            }
    });
    closer.start(50);

    EXPECT_EQ(runSecondPhase(frame), 0);
    closer.stop();

    const std::vector<std::string> asked = remote.peer.paths();
    EXPECT_NE(std::find(asked.begin(), asked.end(), "bands"), asked.end());
    QStringList edges;
    for (const BookmarkEntry& mark : Bookmarks::instance()->bookmarksInRange(143000000, 441000000, -1))
        if (mark.labelColor == QColor("orange"))
            edges << QStringLiteral("%1 %2").arg(mark.frequency).arg(mark.name);
    EXPECT_EQ(edges, (QStringList{"144000000 [2m...", "146000000 ...2m]"}));
    EXPECT_TRUE(QDir(dir.file("conf")).entryList({"tnrx_*.conf"}, QDir::Files).isEmpty());
    // Only the selection dialog: no converter question either.
    EXPECT_EQ(responder.seen().size(), 1u);
}
