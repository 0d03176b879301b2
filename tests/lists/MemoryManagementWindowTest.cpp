// The memories dialog driven offscreen: the memories of the receiver's range,
// cell edits written to the database, selection tuning the dialog's channel,
// and "+" and "-".
#include "AttachedEngine.h"
#include "ModalResponder.h"
#include "SqliteFile.h"
#include "WaitFor.h"
#include "WidgetLookup.h"

#include "engine/Controller.h"
#include "engine/FrequencyConverter.h"
#include "lists/dbUserFreq.h"
#include "lists/memories/MemoryManagementWindow.h"
#include "lists/memories/MemoryTableModel.h"
#include "lists/memories/MemoryTableWidget.h"

#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class MemoryManagementWindowTest : public AttachedEngine
{
protected:
    void SetUp() override
    {
        db = std::make_unique<SqliteFile>(dir.file("db/mylist.sqlite"), "MY");
        db->exec(dbUserFreq::createTableStatement());
        receiver.minCentre = 100000000;
        receiver.maxCentre = 200000000;
        attach(150000000);
    }

    int addRow(qint64 freq, const QString& locator = QString(), const QVariant& lat = QVariant(),
               const QVariant& lon = QVariant())
    {
        db->exec(
            "insert into FREQS (FREQ, CALLSIGN, LOCATOR, LAT, LON, COLOR, COMMENT) values (?, 'M', ?, ?, ?, "
            "'red', 'c')",
            {freq, locator, lat, lon});
        return db->column("select max(ID) from FREQS").first().toInt();
    }
    QString storedFreq(int id)
    {
        return db->column(QString("select FREQ from FREQS where ID=%1").arg(id)).value(0);
    }

    std::unique_ptr<MemoryManagementWindow> open(int channel)
    {
        auto dialog = std::make_unique<MemoryManagementWindow>(&engine, channel);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }
    static QString cell(MemoryManagementWindow& dialog, int row, int column)
    {
        MemoryTableModel* model = dialog.memoryTable()->memoryModel();
        return model->data(model->index(row, column)).toString();
    }
    static QPushButton* button(MemoryManagementWindow& dialog, const QString& text)
    {
        return buttonWithText(dialog, text);
    }
    static void selectRow(MemoryManagementWindow& dialog, int row)
    {
        MemoryTableWidget* table = dialog.memoryTable();
        table->setCurrentIndex(table->model()->index(row, 1));
    }
    qint64 tunedFrequency(int channel) { return engine.getRxCenterFreq() + engine.getRxOffset(channel); }

    std::unique_ptr<SqliteFile> db;
};

} // namespace

TEST_F(MemoryManagementWindowTest, ListsTheMemoriesOfTheConverterOrReceiverRange)
{
    for (qint64 f :
         {99999999LL, 100000000LL, 144000000LL, 146000000LL, 146000001LL, 200000000LL, 200000001LL})
        addRow(f);
    auto listed = [&] {
        auto dialog = open(0);
        QStringList freqs;
        for (int r = 0; r < dialog->memoryTable()->memoryModel()->rowCount(); ++r)
            freqs << cell(*dialog, r, 1);
        return freqs;
    };
    EXPECT_EQ(listed(), (QStringList{"100.000", "144.000", "146.000", "146.000", "200.000"}));

    FrequencyConverter converter;
    converter.In_Min = 144000000;
    converter.In_Max = 146000000;
    receiver.frequencyConverter.store(&converter);
    EXPECT_EQ(listed(), (QStringList{"144.000", "146.000"}));
    receiver.frequencyConverter.store(nullptr);
}

TEST_F(MemoryManagementWindowTest, CellsShowIdMegahertzLabelPositionOrLocatorAndComment)
{
    const int placed = addRow(145500000, "", 48.5, -1.25);
    const int located = addRow(145600000, "S"); // not a locator: no position
    auto dialog = open(0);
    EXPECT_EQ(cell(*dialog, 0, 0), QString::number(placed));
    EXPECT_EQ(cell(*dialog, 0, 1), "145.500");
    EXPECT_EQ(cell(*dialog, 0, 2), "M");
    EXPECT_EQ(cell(*dialog, 0, 4), "c");
    EXPECT_EQ(cell(*dialog, 1, 0), QString::number(located));
    EXPECT_EQ(cell(*dialog, 0, 3), "48.500000,-1.250000");
    EXPECT_EQ(cell(*dialog, 1, 3), "S");
    MemoryTableModel* model = dialog->memoryTable()->memoryModel();
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Frequence");
    EXPECT_FALSE(model->headerData(0, Qt::Vertical).isValid());
    EXPECT_FALSE(model->data(model->index(0, 1), Qt::EditRole).isValid()); // editors open empty
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model->flags(model->index(0, 3)) & Qt::ItemIsEditable);
}

TEST_F(MemoryManagementWindowTest, EditsAreWrittenToTheDatabaseWithMegahertzRoundedToTheHertz)
{
    const int id = addRow(145500000);
    auto dialog = open(0);
    MemoryTableModel* model = dialog->memoryTable()->memoryModel();
    struct Case
    {
        const char* typed;
        const char* stored; // FREQ afterwards
    };
    const Case cases[] = {{"145.5", "145500000"},     {"1.001", "1001000"}, {"129.003", "129003000"},
                          {"0.0000004", "129003000"}, {"abc", "129003000"}, {"-3", "129003000"},
                          {"1e300", "129003000"}};
    for (const Case& c : cases) {
        EXPECT_TRUE(model->setData(model->index(0, 1), QString(c.typed), Qt::EditRole)) << c.typed;
        EXPECT_EQ(storedFreq(id), c.stored) << c.typed;
    }
    EXPECT_TRUE(model->setData(model->index(0, 2), "F4ABC", Qt::EditRole));
    EXPECT_TRUE(model->setData(model->index(0, 4), "relais", Qt::EditRole));
    EXPECT_TRUE(model->setData(model->index(0, 3), "1,2", Qt::EditRole)); // shown only
    EXPECT_FALSE(model->setData(model->index(0, 0), "99", Qt::EditRole));
    EXPECT_FALSE(model->setData(model->index(0, 2), "X", Qt::ToolTipRole));
    EXPECT_EQ(
        db->column(QString("select CALLSIGN || '/' || COMMENT || '/' || ifnull(LAT,'') from FREQS where "
                           "ID=%1")
                       .arg(id)),
        QStringList{"F4ABC/relais/"});
}

TEST_F(MemoryManagementWindowTest, SelectingAMemoryTunesTheDialogsChannelWithinTheLimitsOnly)
{
    addRow(145500000);
    addRow(150100000);
    auto dialog = open(1);
    selectRow(*dialog, 1);
    EXPECT_EQ(tunedFrequency(1), 150100000);
    ASSERT_NE(dialog->selectedMemory(), nullptr);
    EXPECT_EQ(dialog->selectedMemory()->FREQ, 150100000u);

    // Edited beyond the range: it stays listed but is neither tuned nor selected.
    MemoryTableModel* model = dialog->memoryTable()->memoryModel();
    model->setData(model->index(0, 1), "250.0", Qt::EditRole);
    selectRow(*dialog, 0);
    EXPECT_EQ(tunedFrequency(1), 150100000);
    EXPECT_EQ(dialog->selectedMemory()->FREQ, 150100000u);
}

TEST_F(MemoryManagementWindowTest, PlusStoresTheCurrentFrequencyAsTheLastRowOnlyOnceOneIsGiven)
{
    addRow(140000000);
    addRow(160000000);
    auto dialog = open(0);
    QTest::mouseClick(button(*dialog, "+"), Qt::LeftButton); // no current frequency yet
    EXPECT_EQ(dialog->memoryTable()->memoryModel()->rowCount(), 2);
    EXPECT_EQ(db->column("select count(*) from FREQS"), QStringList{"2"});

    dialog->setCurrentFrequency(145525000);
    QTest::mouseClick(button(*dialog, "+"), Qt::LeftButton);
    ASSERT_EQ(dialog->memoryTable()->memoryModel()->rowCount(), 3);
    EXPECT_EQ(cell(*dialog, 2, 1), "145.525");
    EXPECT_EQ(cell(*dialog, 2, 2), "145.525");
    EXPECT_EQ(cell(*dialog, 2, 4), "RX");
    EXPECT_EQ(cell(*dialog, 2, 3), "");
    EXPECT_EQ(db->column("select FREQ || ' ' || COLOR from FREQS where FREQ=145525000"),
              QStringList{"145525000 #FF0066"});
}

TEST_F(MemoryManagementWindowTest, PlusThatCannotStoreListsNothingAndTellsTheUser)
{
    addRow(140000000);
    db->exec("create trigger refuse before insert on FREQS begin select raise(fail, 'refused'); end");
    auto dialog = open(0);
    dialog->setCurrentFrequency(145525000);
    ModalResponder responder;
    responder.press(QMessageBox::Ok);
    QTest::mouseClick(button(*dialog, "+"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !responder.seen().empty(); }));
    EXPECT_EQ(responder.seen()[0].title, "Tarnx");
    EXPECT_TRUE(responder.seen()[0].text.contains("145.525"));
    EXPECT_EQ(dialog->memoryTable()->memoryModel()->rowCount(), 1);
    EXPECT_EQ(cell(*dialog, 0, 1), "140.000");
}

TEST_F(MemoryManagementWindowTest, MinusAsksThenDeletesTheSelectedMemory)
{
    const int id = addRow(145500000);
    auto dialog = open(0);
    ModalResponder responder;
    QTest::mouseClick(button(*dialog, "-"), Qt::LeftButton); // nothing selected: no question
    EXPECT_TRUE(responder.seen().empty());

    selectRow(*dialog, 0);
    responder.press(QMessageBox::No);
    QTest::mouseClick(button(*dialog, "-"), Qt::LeftButton);
    ASSERT_EQ(responder.seen().size(), 1u);
    EXPECT_EQ(responder.seen()[0].defaultButton, QMessageBox::No);
    EXPECT_EQ(dialog->memoryTable()->memoryModel()->rowCount(), 1);

    responder.press(QMessageBox::Yes);
    QTest::mouseClick(button(*dialog, "-"), Qt::LeftButton);
    EXPECT_EQ(responder.seen().size(), 2u);
    EXPECT_EQ(responder.unexpected(), 0);
    EXPECT_EQ(dialog->memoryTable()->memoryModel()->rowCount(), 0);
    EXPECT_EQ(dialog->selectedMemory(), nullptr);
    EXPECT_TRUE(db->column(QString("select ID from FREQS where ID=%1").arg(id)).isEmpty());
}
