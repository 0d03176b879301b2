// Receiver discovery: driver boards of a folder and channelizer streams of
// the saved servers in one list, the receiver table's texts, and the list
// reduced to the chosen receiver.
#include "RemoteTestServer.h"
#include "StubReceiver.h"

#include "DebugCapture.h"
#include "ProgramLog.h"
#include "TempWorkDir.h"
#include "hardware/HardwareTableModel.h"
#include "hardware/HardwareTableWidget.h"
#include "hardware/RadioHardwareProvider.h"
#include "hardware/RemoteReceiverHardware.h"
#include "hardware/dbRemoteSDR.h"
#include "srvlib/SrvHttpClient.h"
#include "srvlib/SrvServer.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <set>

Q_DECLARE_METATYPE(ReceiverHardware*)

namespace {

// Links the fixture drivers of those names into the working folder.
void linkDrivers(std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        const QString file = QStringLiteral("EXTSDR_") + name + ".dll";
        ASSERT_TRUE(QFile::link(QStringLiteral(SYNTHETIC_DRIVER_DIR "/") + file, file)) << name;
    }
}

std::vector<std::string> names(const QVector<ReceiverHardware*>& list)
{
    std::vector<std::string> result;
    for (ReceiverHardware* receiver : list)
        result.push_back(receiver->getHardwareName());
    return result;
}

class DiscoveryTest : public ::testing::Test
{
protected:
    void SetUp() override { ProgramLog::capture(); }
    void TearDown() override
    {
        // Receivers that the provider only takes out of its list stay the caller's.
        for (ReceiverHardware* receiver : m_leftOver)
            delete receiver;
    }
    static QString log() { return ProgramLog::text(); }
    // Keeps the provider's current entries for deletion at the end, except
    // those of the types it destroys itself.
    void keepUndestroyed(const QVector<ReceiverHardware*>& list, ReceiverHardware* selected)
    {
        for (ReceiverHardware* receiver : list)
            if (receiver != selected && receiver->getType() != 2 && receiver->getType() != 5)
                m_leftOver.push_back(receiver);
    }

    TempWorkDir work;
    RadioHardwareProvider provider;
    std::vector<ReceiverHardware*> m_leftOver;
};

} // namespace

TEST_F(DiscoveryTest, ScanListsTheUsableBoardsOfEveryDriver)
{
    linkDrivers({"Synthetic", "SyntheticMulti", "SyntheticType0", "SyntheticMissing"});
    EXPECT_EQ(provider.scanDirectory("."), 4);
    std::multiset<std::string> found;
    for (const std::string& name : names(*provider.receivers()))
        found.insert(name);
    // Loading board n selects it, so every board of the multi-board driver
    // reports the last one's name until one is selected again.
    EXPECT_EQ(found, (std::multiset<std::string>{"Synthetic", "Synthetic board 2", "Synthetic board 2",
                                                 "Synthetic board 2"}));
    const QString text = log();
    EXPECT_TRUE(
        text.contains("RadioHardwareProvider::loadFromFile ./EXTSDR_SyntheticMissing.dll loadDLL failed"));
    EXPECT_TRUE(text.contains("RadioHardwareProvider::loadFromFile ./EXTSDR_SyntheticType0.dll ok"));
    EXPECT_TRUE(text.contains("RadioHardwareProvider::loadFromFile ./EXTSDR_Synthetic.dll ok"));

    // A folder without drivers adds nothing.
    QDir().mkdir("empty");
    EXPECT_EQ(provider.scanDirectory("empty"), 4);
    keepUndestroyed(*provider.receivers(), nullptr);
    provider.clearExceptSelected();
    EXPECT_TRUE(provider.receivers()->isEmpty());
}

TEST_F(DiscoveryTest, TheChosenBoardOfAMultiBoardDriverIsSelectedAgainBeforeReception)
{
    linkDrivers({"SyntheticMulti"});
    ASSERT_EQ(provider.scanDirectory("."), 3);
    ReceiverHardware* first = provider.receivers()->at(0);
    provider.setSelected(first);
    keepUndestroyed(*provider.receivers(), first);
    provider.clearExceptSelected();
    ASSERT_EQ(provider.receivers()->size(), 1);
    EXPECT_EQ(provider.receivers()->at(0), first);

    ASSERT_GT(first->prepareRXEngine(), 0);
    EXPECT_STREQ(first->getHardwareName(), "Synthetic board 0");
    first->finalizeRXEngine();
    m_leftOver.push_back(first);
}

TEST_F(DiscoveryTest, SavedServersGiveOneReceiverPerChannelizerStream)
{
    linkDrivers({"Synthetic"});
    RemoteTestServer remote(2);
    // A saved port that no longer answers.
    const int gonePort = std::make_unique<fakeserver::FakeServer>()->port();
    {
        PersonalDatabase db;
        dbRemoteSDR row;
        const QString key = QString::fromStdString(remote.peer.publicKeyText());
        ASSERT_TRUE(row.create(remote.peer.host(), remote.peer.port(), key, "ALICE"));
        ASSERT_TRUE(row.create("127.0.0.1", gonePort, "", ""));
        ASSERT_TRUE(row.create(remote.peer.host(), remote.peer.port(), key, "")); // the same server again
    }

    PersonalDatabase db;
    EXPECT_EQ(provider.scanDirectory("."), 1);
    DebugCapture debug;
    provider.loadRemoteServers();
    const QStringList lines = debug.lines();
    const QString reached =
        "one remote available at http://127.0.0.1:" + QString::number(remote.peer.port()) + "/api";
    // The third row names no alias for a session without one: it does not connect.
    EXPECT_EQ(lines.count(reached), 1);
    EXPECT_EQ(lines.count("connection to 127.0.0.1 not ok"), 2);
    for (const std::string& uid : {remote.streamUids[0], remote.streamUids[1], remote.wideStreamUid})
        EXPECT_TRUE(lines.contains("adding RemoteReceiverHardware " + QString::fromStdString(uid))) << uid;
    // The wide-band source's stream is no channelizer.
    const int wide =
        lines.indexOf("adding RemoteReceiverHardware " + QString::fromStdString(remote.wideStreamUid));
    EXPECT_EQ(lines.value(wide + 1), " not channelizer , skipped");
    std::set<std::string> remoteKeys;
    for (ReceiverHardware* receiver : *provider.receivers())
        if (auto* r = dynamic_cast<RemoteReceiverHardware*>(receiver))
            remoteKeys.insert(r->key());
    EXPECT_EQ(remoteKeys, (std::set<std::string>{remote.streamUids[0], remote.streamUids[1]}));
    EXPECT_EQ(provider.receivers()->size(), 3);
    EXPECT_STREQ(provider.receivers()->at(0)->getHardwareName(), "Synthetic");
    EXPECT_STREQ(provider.receivers()->at(1)->getHardwareName(), "Canal 2m");

    // The first row's session was named with its alias.
    bool aliased = false;
    for (const std::string& path : remote.peer.paths())
        aliased = aliased || path.rfind("sessions/alias/ALICE/", 0) == 0;
    EXPECT_TRUE(aliased);

    keepUndestroyed(*provider.receivers(), nullptr);
    provider.clearExceptSelected();
}

// A server that keys sessions by machine would take a close from any client
// of it for the session of the receiver in use: the client of a row that
// adds nothing is kept, like every other, and closes nothing.
TEST_F(DiscoveryTest, ASecondSavedRowOfAServerClosesNoSession)
{
    struct Case
    {
        const char* what;
        const char* secondAlias;
    };
    const Case cases[] = {
        {"the second row connects and finds its streams listed", "BOB"},
        {"the second row names no alias and does not connect", ""},
    };
    for (const Case& c : cases) {
        RemoteTestServer remote;
        const QString key = QString::fromStdString(remote.peer.publicKeyText());
        PersonalDatabase db(QStringLiteral("db/%1.sqlite").arg(&c - cases));
        {
            dbRemoteSDR row;
            ASSERT_TRUE(row.create(remote.peer.host(), remote.peer.port(), key, "ALICE"));
            ASSERT_TRUE(row.create(remote.peer.host(), remote.peer.port(), key, c.secondAlias));
        }
        RadioHardwareProvider found;
        found.loadRemoteServers();
        EXPECT_EQ(remote.peer.countPath("server"), 2) << c.what;
        EXPECT_EQ(remote.peer.countPath("sessions/close"), 0) << c.what;

        keepUndestroyed(*found.receivers(), nullptr);
        found.clearExceptSelected();
        EXPECT_EQ(remote.peer.countPath("sessions/close"), 0) << c.what;
    }
}

TEST_F(DiscoveryTest, OneMoreServerAddsItsNewChannelizerStreams)
{
    // Servers connected here without an alias; like every server whose
    // streams are registered they stay for the process.
    const auto keyedServer = [](const RemoteTestServer& remote) {
        auto* client = new SrvHttpClient(remote.peer.host(), remote.peer.port());
        EXPECT_TRUE(client->setServerKey(remote.peer.publicKeyText()));
        return new SrvServer(client);
    };
    // The registry holds the streams of every server of this process: the
    // first call lists them all.
    RemoteTestServer first;
    EXPECT_GE(provider.addTempRemote(keyedServer(first)), 1);
    const int listed = provider.receivers()->size();

    RemoteTestServer more;
    DebugCapture debug;
    EXPECT_EQ(provider.addTempRemote(keyedServer(more)), 1);
    EXPECT_EQ(provider.receivers()->size(), listed + 1);
    const QStringList lines = debug.lines();
    const auto after = [&](const std::string& uid) {
        return lines.value(lines.indexOf("adding RemoteReceiverHardware " + QString::fromStdString(uid)) + 1);
    };
    EXPECT_EQ(after(first.streamUids[0]), "already added in list from db");
    EXPECT_EQ(after(more.wideStreamUid), " not channlizer , skipped");
    EXPECT_TRUE(
        lines.contains("adding RemoteReceiverHardware " + QString::fromStdString(more.streamUids[0])));

    // A server that does not answer adds nothing.
    const int gonePort = std::make_unique<fakeserver::FakeServer>()->port();
    SrvHttpClient goneClient("127.0.0.1", gonePort);
    SrvServer gone(&goneClient);
    EXPECT_EQ(provider.addTempRemote(&gone), 0);
    EXPECT_TRUE(debug.lines().contains("RadioHardwareProvider::addTempRemote() connect returns false"));
    EXPECT_EQ(provider.receivers()->size(), listed + 1);

    keepUndestroyed(*provider.receivers(), nullptr);
    provider.clearExceptSelected();
}

TEST_F(DiscoveryTest, TableShowsNameKindRangeAndPreferredRate)
{
    StubReceiver local("Board A", 2, {250000}, 0, 24000000, 1766000000);
    StubReceiver plugin("Plug", 3, {1024000, 2048000}, 1);
    StubReceiver audio("Audio", 4);
    StubReceiver remote("Far", 5, {48000});
    StubReceiver invalid("Bad", 0);
    QVector<ReceiverHardware*> list{&local, &plugin, &audio, &remote, &invalid, nullptr};
    HardwareTableModel model(&list);

    ASSERT_EQ(model.rowCount(), 6);
    ASSERT_EQ(model.columnCount(), 5);
    auto row = [&](int r) {
        std::vector<std::string> cells;
        for (int c = 0; c < 5; ++c)
            cells.push_back(model.data(model.index(r, c)).toString().toStdString());
        return cells;
    };
    using Row = std::vector<std::string>;
    EXPECT_EQ(row(0), (Row{"Board A", "Local", "24.0 MHz", "1766.0 MHz", "250.0 KHz"}));
    EXPECT_EQ(row(1), (Row{"Plug", "plugin HDSDR/SDR#", "0.0 MHz", "0.0 MHz", "2.0 MHz"}));
    EXPECT_EQ(row(2)[1], "Natif IQ Audio");
    EXPECT_EQ(row(2)[4], "-0.0 KHz");
    EXPECT_EQ(row(3)[1], "Distant");
    EXPECT_EQ(row(3)[4], "48.0 KHz");
    EXPECT_EQ(row(4)[1], "Non-Valide");
    EXPECT_FALSE(model.data(model.index(5, 0)).isValid());
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::ToolTipRole).isValid());

    std::vector<std::string> headers;
    for (int c = 0; c < 5; ++c)
        headers.push_back(model.headerData(c, Qt::Horizontal).toString().toStdString());
    EXPECT_EQ(headers, (std::vector<std::string>{"Librairie", "Type", "Frq min", "Frq max", "Bande def."}));
    EXPECT_FALSE(model.headerData(0, Qt::Vertical).isValid());
    EXPECT_FALSE(model.headerData(5, Qt::Horizontal).isValid());
}

TEST_F(DiscoveryTest, TableWidgetAddsRowsAndAnnouncesTheCurrentOne)
{
    StubReceiver a("A", 2), b("B", 2), c("C", 5);
    QVector<ReceiverHardware*> list{&a, &b};
    HardwareTableWidget table(&list);
    QSignalSpy inserted(table.tableModel(), &QAbstractItemModel::rowsInserted);
    qRegisterMetaType<ReceiverHardware*>();
    QSignalSpy selected(&table, &HardwareTableWidget::rxHwSelected);

    table.addHardware(&c);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.at(0).at(1).toInt(), 2);
    EXPECT_EQ(inserted.at(0).at(2).toInt(), 2);
    EXPECT_EQ(list.size(), 3);

    table.resize(500, 300);
    table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
    const QRect cell = table.visualRect(table.model()->index(2, 3));
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_GE(selected.count(), 1);
    EXPECT_EQ(selected.last().at(0).value<ReceiverHardware*>(), &c);
    EXPECT_EQ(table.selectionModel()->selectedRows().size(), 1);
}
