// The RX B panel's memories button runs the memories dialog modally for
// channel 1: "+" stores channel 1's frequency and a selected memory tunes
// channel 1, never channel 0.
#include "AttachedEngine.h"
#include "ModalResponder.h"
#include "WidgetLookup.h"

#include "lists/dbUserFreq.h"
#include "lists/memories/MemoryManagementWindow.h"
#include "lists/memories/MemoryTableModel.h"
#include "lists/memories/MemoryTableWidget.h"
#include "ui/panels/SubReceiver.h"

#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {

// The personal database as a file of the test folder, for the life of the object.
class PersonalDb
{
public:
    PersonalDb()
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), dbUserFreq::connectionName);
        db.setDatabaseName(QStringLiteral("mylist.sqlite"));
        EXPECT_TRUE(db.open());
        run(dbUserFreq::createTableStatement());
    }
    ~PersonalDb()
    {
        QSqlDatabase::database(dbUserFreq::connectionName, false).close();
        QSqlDatabase::removeDatabase(dbUserFreq::connectionName);
    }
    void run(const QString& statement)
    {
        QSqlQuery query(QSqlDatabase::database(dbUserFreq::connectionName));
        EXPECT_TRUE(query.exec(statement)) << statement.toStdString();
    }
    QList<qint64> frequencies()
    {
        QList<qint64> freqs;
        QSqlQuery query(QSqlDatabase::database(dbUserFreq::connectionName));
        EXPECT_TRUE(query.exec(QStringLiteral("select FREQ from FREQS order by ID")));
        while (query.next())
            freqs << query.value(0).toLongLong();
        return freqs;
    }
};

class SubReceiverMemoriesTest : public AttachedEngine
{
protected:
    void SetUp() override { attach(); }
    qint64 tuned(int channel) { return engine.getRxCenterFreq() + engine.getRxOffset(channel); }

    PersonalDb db;
    SubReceiver panel{false};
};

} // namespace

TEST_F(SubReceiverMemoriesTest, TheMemoriesButtonRunsTheDialogForChannelOne)
{
    const qint64 memory = Centre + 30000;
    db.run(QStringLiteral("insert into FREQS (FREQ, CALLSIGN, COLOR) values (%1, 'M', 'red')").arg(memory));
    panel.setController(&engine);
    ASSERT_EQ(engine.setRxOffset(12000, 1), 1);
    ASSERT_EQ(engine.setRxOffset(-5000, 0), 1);

    ModalResponder responder;
    responder.act([](QDialog* shown) {
        auto* dialog = qobject_cast<MemoryManagementWindow*>(shown);
        ASSERT_NE(dialog, nullptr);
        buttonWithText(*dialog, "+")->click();
        MemoryTableWidget* table = dialog->memoryTable();
        MemoryTableModel* model = table->memoryModel();
        for (int row = 0; row < model->rowCount(); ++row)
            if (model->data(model->index(row, 1)).toString() == "145.030")
                table->setCurrentIndex(model->index(row, 1));
    });
    buttonWithText(panel, "*")->click();
    ASSERT_EQ(responder.seen().size(), 1u);
    EXPECT_EQ(responder.unexpected(), 0);
    EXPECT_EQ(db.frequencies(), (QList<qint64>{memory, Centre + 12000}));
    EXPECT_EQ(tuned(1), memory);
    EXPECT_EQ(tuned(0), Centre - 5000);
}
