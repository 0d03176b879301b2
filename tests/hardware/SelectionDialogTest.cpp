// The receiver selection dialog driven offscreen: its texts, the rate box,
// the choice and the sessions it closes, the remote-server form with its
// settings group and saved-server row, and quitting.
#include "ModalResponder.h"
#include "RemoteTestServer.h"
#include "StubReceiver.h"

#include "TempWorkDir.h"
#include "core/ProgramSettings.h"
#include "hardware/HardwareSelectionWindow.h"
#include "hardware/HardwareTableWidget.h"
#include "hardware/RemoteReceiverHardware.h"
#include "hardware/RemoteServerReceivers.h"
#include "hardware/dbRemoteSDR.h"
#include "srvlib/SrvServer.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The dialog with the end of the process replaced by a mark.
class TestSelectionWindow : public HardwareSelectionWindow
{
public:
    using HardwareSelectionWindow::HardwareSelectionWindow;
    bool ended = false;

protected:
    void endProgram() override { ended = true; }
};

class SelectionDialogTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        for (ReceiverHardware* receiver : list)
            if (dynamic_cast<RemoteReceiverHardware*>(receiver) != nullptr)
                delete receiver;
    }
    QPushButton* button(const QString& text)
    {
        for (QPushButton* b : dialog.findChildren<QPushButton*>())
            if (b->text() == text || b->text().startsWith(text))
                return b;
        return nullptr;
    }
    void click(const QString& text)
    {
        QPushButton* b = button(text);
        ASSERT_NE(b, nullptr) << text.toStdString();
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void chooseRow(int row)
    {
        HardwareTableWidget* table = dialog.table();
        const QRect cell = table->visualRect(table->model()->index(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QComboBox* rateBox() { return dialog.findChild<QComboBox*>(); }
    QStringList rateItems()
    {
        QStringList items;
        for (int i = 0; i < rateBox()->count(); ++i)
            items << rateBox()->itemText(i);
        return items;
    }
    QMap<QString, QString> remoteGroup()
    {
        QMap<QString, QString> values;
        auto settings = ProgramSettings::open();
        settings->beginGroup("Remote");
        for (const QString& key : settings->childKeys())
            values[key] = settings->value(key).toString();
        return values;
    }
    void show()
    {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    // Answers the typed-in server form's address, port and key with the test
    // server's; the caller answers what follows.
    static ModalResponder& typeServer(ModalResponder& responder, RemoteTestServer& server)
    {
        return responder.text(server.peer.host())
            .number(server.peer.port())
            .text(QString::fromStdString(server.peer.publicKeyText()));
    }
    // Lists the channelizer streams of a connected test server.
    void listServer(RemoteTestServer& server)
    {
        server.connect();
        for (RemoteReceiverHardware* receiver : RemoteServerReceivers::newChannelizerReceivers(list))
            dialog.table()->addHardware(receiver);
    }

    TempWorkDir work;
    PersonalDatabase db;
    StubReceiver board{"Board", 2, {1024000, 2048000, 3200000}, 1, 24000000, 1766000000};
    StubReceiver other{"Other", 1, {250000, 1000000}, 0};
    QVector<ReceiverHardware*> list{&board, &other};
    TestSelectionWindow dialog{&list};
};

} // namespace

// The dialog lists what discovery found. Until a row is current its one
// button only closes: nothing is chosen, no receiver is touched and the
// program goes on.
TEST_F(SelectionDialogTest, ClosingBeforeAnyRowIsCurrentChoosesNothingAndTouchesNoReceiver)
{
    QAbstractItemModel* rows = dialog.table()->model();
    QStringList listed;
    for (int row = 0; row < rows->rowCount(); ++row)
        listed << rows->index(row, 0).data().toString();
    EXPECT_EQ(listed, (QStringList{"Board", "Other"}));

    QPushButton* close = button("Fermer");
    ASSERT_NE(close, nullptr);
    close->click();
    EXPECT_EQ(dialog.getSelected(), nullptr);
    EXPECT_TRUE(board.ratesSet.empty());
    EXPECT_TRUE(other.ratesSet.empty());
    EXPECT_FALSE(dialog.ended);
}

TEST_F(SelectionDialogTest, ChoosingAReceiverOffersItsRatesWithoutApplyingOne)
{
    show();
    chooseRow(0);
    EXPECT_EQ(rateItems(), (QStringList{"1.0 MHz", "2.0 MHz", "3.2 MHz"}));
    EXPECT_EQ(rateBox()->currentIndex(), 1);
    EXPECT_EQ(rateBox()->itemData(2).toUInt(), 3200000u);
    EXPECT_TRUE(board.ratesSet.empty());
    EXPECT_EQ(button("Utiliser")->text(), "Utiliser  Board");

    // Leaving without a pick applies the preferred rate, on every call.
    EXPECT_EQ(dialog.getSelected(), &board);
    EXPECT_EQ(dialog.getSelected(), &board);
    EXPECT_EQ(board.ratesSet, (std::vector<int>{2048000, 2048000}));
}

TEST_F(SelectionDialogTest, APickedRateIsAppliedAtOnceAndOnlyThen)
{
    show();
    chooseRow(0);
    rateBox()->setCurrentIndex(2);
    EXPECT_EQ(board.ratesSet, (std::vector<int>{3200000}));
    EXPECT_EQ(dialog.getSelected(), &board);
    EXPECT_EQ(board.ratesSet, (std::vector<int>{3200000}));

    // Another receiver starts without a pick again.
    chooseRow(1);
    EXPECT_EQ(rateItems(), (QStringList{"250.0 KHz", "1.0 MHz"}));
    EXPECT_EQ(dialog.getSelected(), &other);
    EXPECT_EQ(other.ratesSet, (std::vector<int>{250000}));
    EXPECT_EQ(button("Utiliser")->text(), "Utiliser  Other");
}

TEST_F(SelectionDialogTest, UseButtonClosesTheDialog)
{
    show();
    chooseRow(1);
    click("Utiliser");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.getSelected(), &other);
}

TEST_F(SelectionDialogTest, CancelledPromptsStoreOnlyWhatWasAnswered)
{
    show();
    {
        ModalResponder responder;
        responder.cancel();
        click("Remote Beamhost");
        EXPECT_TRUE(remoteGroup().isEmpty());
        ASSERT_EQ(responder.seen().size(), 1u);
        EXPECT_EQ(responder.seen()[0].title, "Connection Beamhost");
        EXPECT_EQ(responder.seen()[0].text, "Adresse reseau:");
    }
    {
        ModalResponder responder;
        responder.text("radio.example").cancel();
        click("Remote Beamhost");
        EXPECT_EQ(remoteGroup(), (QMap<QString, QString>{{"remote_ip", "radio.example"}}));
        ASSERT_EQ(responder.seen().size(), 2u);
        EXPECT_EQ(responder.seen()[1].text, "Port TCP:");
        EXPECT_EQ(responder.seen()[1].prefill, "1");
    }
    {
        // Address prefilled; the key prompt cancelled means no key; the name
        // prompt cancelled ends the form.
        ModalResponder responder;
        responder.text("radio.example").number(7373).cancel().cancel();
        click("Remote Beamhost");
        EXPECT_EQ(remoteGroup(),
                  (QMap<QString, QString>{{"remote_ip", "radio.example"}, {"remote_port", "7373"}}));
        ASSERT_EQ(responder.seen().size(), 4u);
        EXPECT_EQ(responder.seen()[0].prefill, "radio.example");
        EXPECT_EQ(responder.seen()[2].text, "Certificat:");
        EXPECT_EQ(responder.seen()[3].text, "Votre nom:");
        EXPECT_EQ(responder.unexpected(), 0);
    }
    EXPECT_EQ(dialog.table()->model()->rowCount(), 2);
}

TEST_F(SelectionDialogTest, AReachableServerIsListedAndStoredOnRequest)
{
    RemoteTestServer server(2);
    const QString key = QString::fromStdString(server.peer.publicKeyText());
    show();
    auto responder = std::make_unique<ModalResponder>();
    responder->text(server.peer.host())
        .number(server.peer.port())
        .text(key)
        .text("ALICE")
        .press(QMessageBox::Yes);
    click("Remote Beamhost");

    EXPECT_EQ(dialog.table()->model()->rowCount(), 4);
    EXPECT_EQ(dialog.table()->model()->index(2, 1).data().toString(), "Distant");
    EXPECT_EQ(dialog.table()->model()->index(3, 0).data().toString(), "Canal 2m");
    ASSERT_EQ(responder->seen().size(), 5u);
    const ModalResponder::Seen question = responder->seen()[4];
    responder.reset();
    EXPECT_EQ(question.title, "Tarnx");
    EXPECT_EQ(question.text, QString::fromUtf8("Ajouter à votre liste de serveurs distants ?"));
    EXPECT_EQ(question.defaultButton, QMessageBox::No);
    EXPECT_EQ(db.savedServers(), (std::vector<std::string>{"127.0.0.1|" + std::to_string(server.peer.port()) +
                                                           "|" + key.toStdString() + "|ALICE"}));
    QMap<QString, QString> group = remoteGroup();
    EXPECT_EQ(group.value("remote_public_key"), key);
    EXPECT_EQ(group.value("user_alias"), "ALICE");
    EXPECT_EQ(group.value("remote_port"), QString::number(server.peer.port()));

    // The same server again offers nothing new.
    ModalResponder again;
    again.text(server.peer.host()).number(server.peer.port()).text(key).text("ALICE").press(QMessageBox::Yes);
    click("Remote Beamhost");
    ASSERT_EQ(again.seen().size(), 5u);
    EXPECT_EQ(again.seen()[4].text, QString::fromUtf8("Acces reseau impossible ou refusé"));
    EXPECT_EQ(dialog.table()->model()->rowCount(), 4);
    EXPECT_EQ(db.savedServers().size(), 1u);
}

TEST_F(SelectionDialogTest, AServerThatCannotBeStoredIsReportedAndStaysListed)
{
    {
        // The table is there, but refuses every new row.
        dbRemoteSDR table;
        QSqlQuery refuse(QSqlDatabase::database(dbRemoteSDR::connectionName));
        ASSERT_TRUE(refuse.exec("CREATE TRIGGER refuse BEFORE INSERT ON remote_sdr "
                                "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    }
    RemoteTestServer server;
    show();
    ModalResponder responder;
    typeServer(responder, server)
        .text("ALICE")
        .press(QMessageBox::Yes)
        .press(QMessageBox::Yes);
    click("Remote Beamhost");

    ASSERT_EQ(responder.seen().size(), 6u);
    EXPECT_EQ(responder.seen()[4].text, QString::fromUtf8("Ajouter à votre liste de serveurs distants ?"));
    EXPECT_EQ(responder.seen()[5].title, "Tarnx");
    EXPECT_EQ(responder.seen()[5].text, "Erreur d'enregistrement");
    EXPECT_EQ(responder.seen()[5].buttons, QMessageBox::Yes);
    EXPECT_EQ(responder.seen()[5].buttonCount, 1);
    EXPECT_EQ(responder.unexpected(), 0);
    EXPECT_TRUE(db.savedServers().empty());
    // Its receivers can be chosen for this run all the same.
    EXPECT_EQ(dialog.table()->model()->rowCount(), 3);
    EXPECT_EQ(dialog.table()->model()->index(2, 0).data().toString(), "Canal 2m");
}

// The client of a typed-in server that adds nothing is kept like every other:
// a close would reach the session of a receiver already listed for it.
TEST_F(SelectionDialogTest, ATypedInServerThatAddsNothingClosesNoSession)
{
    struct Case
    {
        const char* what;
        bool nameGiven;
        const char* answer; // the text of the box that ends the form, if any
    };
    const Case cases[] = {
        {"the server is listed already", true, "Acces reseau impossible ou refusé"},
        {"the name prompt is cancelled", false, nullptr},
    };
    show();
    for (const Case& c : cases) {
        RemoteTestServer server;
        listServer(server);
        ModalResponder responder;
        typeServer(responder, server);
        if (c.nameGiven)
            responder.text("ALICE").press(QMessageBox::Yes);
        else
            responder.cancel();
        const int rows = dialog.table()->model()->rowCount();
        click("Remote Beamhost");
        if (c.answer != nullptr) {
            ASSERT_EQ(responder.seen().size(), 5u) << c.what;
            EXPECT_EQ(responder.seen()[4].text, QString::fromUtf8(c.answer)) << c.what;
        }
        EXPECT_EQ(dialog.table()->model()->rowCount(), rows) << c.what;
        EXPECT_EQ(server.peer.countPath("sessions/close"), 0) << c.what;
    }
}

TEST_F(SelectionDialogTest, AStoredAliasIsOfferedButNotReplaced)
{
    {
        auto settings = ProgramSettings::open();
        settings->setValue("Remote/user_alias", "BOB");
    }
    RemoteTestServer server;
    show();
    ModalResponder responder;
    typeServer(responder, server)
        .text("CAROL")
        .press(QMessageBox::No);
    click("Remote Beamhost");
    ASSERT_EQ(responder.seen().size(), 5u);
    EXPECT_EQ(responder.seen()[3].prefill, "BOB");
    EXPECT_EQ(remoteGroup().value("user_alias"), "BOB");
    bool carol = false;
    for (const std::string& path : server.peer.paths())
        carol = carol || path.rfind("sessions/alias/CAROL/", 0) == 0;
    EXPECT_TRUE(carol);
    EXPECT_TRUE(db.savedServers().empty());
    EXPECT_EQ(dialog.table()->model()->rowCount(), 3);
}

TEST_F(SelectionDialogTest, AnUnreachableServerIsReported)
{
    const int port = std::make_unique<fakeserver::FakeServer>()->port();
    show();
    ModalResponder responder;
    responder.text("127.0.0.1").number(port).text("").text("ALICE").press(QMessageBox::Yes);
    click("Remote Beamhost");
    ASSERT_EQ(responder.seen().size(), 5u);
    EXPECT_EQ(responder.seen()[4].title, "Tarnx");
    EXPECT_EQ(responder.seen()[4].text, QString::fromUtf8("Acces reseau impossible ou refusé"));
    EXPECT_EQ(dialog.table()->model()->rowCount(), 2);
    EXPECT_FALSE(remoteGroup().contains("remote_public_key"));
}

TEST_F(SelectionDialogTest, TheChoiceClosesTheSessionsOfOtherServersOnly)
{
    RemoteTestServer first(2), second;
    listServer(first);
    listServer(second);
    ASSERT_EQ(list.size(), 5);
    show();
    chooseRow(2);
    EXPECT_EQ(dialog.getSelected(), list[2]);
    EXPECT_EQ(first.peer.countPath("sessions/close"), 0);
    EXPECT_EQ(second.peer.countPath("sessions/close"), 1);
}

TEST_F(SelectionDialogTest, QuitClosesEverySessionAndEndsTheProgram)
{
    RemoteTestServer first(2), second;
    listServer(first);
    listServer(second);
    show();
    click("Quitter le programme");
    EXPECT_TRUE(dialog.ended);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(first.peer.countPath("sessions/close"), 1);
    EXPECT_EQ(second.peer.countPath("sessions/close"), 1);
}
