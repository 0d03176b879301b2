// The spot list's rows: matching by identifier or frequency, columns and headers,
// and views reading back while they are told of changes.
#include "ui/scanner/SpottedTableModel.h"
#include "ui/scanner/SpotWrapper.h"
#include "ui/scanner/SpottedTableWidget.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {
constexpr qint64 F = 145000000;

QString cell(const SpottedTableModel& model, int row, int column)
{
    return model.data(model.index(row, column)).toString();
}
} // namespace

TEST(SpottedTableModel, ColumnsShowIdentifierFrequencyLevelAngleAndTime)
{
    SpottedTableModel model;
    model.addSpot(7, 145512345, -61.26f, 123.44f);
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.columnCount(), 5);
    EXPECT_EQ(cell(model, 0, 0), "7");
    EXPECT_EQ(cell(model, 0, 1), "145.512");
    EXPECT_EQ(cell(model, 0, 2), "-61.3");
    EXPECT_EQ(cell(model, 0, 3), "123.4");
    const QDateTime created = QDateTime::fromString(cell(model, 0, 4), Qt::TextDate);
    EXPECT_TRUE(created.isValid());
    EXPECT_LE(std::abs(created.secsTo(QDateTime::currentDateTime())), 2);

    const char* headers[] = {"ID", "Frequence", "Niveau", "Angle Opt", "Heure"};
    for (int section = 0; section < 5; ++section)
        EXPECT_EQ(model.headerData(section, Qt::Horizontal).toString(), headers[section]);
}

TEST(SpottedTableModel, OnlyDisplayRoleAndHorizontalHeadersGiveValues)
{
    SpottedTableModel model;
    model.addSpot(1, F, -50, 0);
    EXPECT_FALSE(model.headerData(0, Qt::Vertical).isValid());
    EXPECT_FALSE(model.headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());
    EXPECT_FALSE(model.headerData(5, Qt::Horizontal).isValid());
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::EditRole).isValid());
    EXPECT_FALSE(model.data(model.index(1, 0)).isValid());
    EXPECT_EQ(model.spotAt(1), nullptr);
    EXPECT_EQ(model.spotAt(-1), nullptr);
}

TEST(SpottedTableModel, NewSpotsUpdateTheFirstMatchingRowOrAddOne)
{
    struct Case
    {
        const char* what;
        int id;
        qint64 frequency;
        int rowsAfter;
        int updatedRow; // -1: a row was added
    };
    const Case cases[] = {
        {"4 kHz from row 0", 9, F + 4000, 2, 0},
        {"6 kHz from row 0, far from row 1", 9, F + 6000 + 0, 3, -1},
        {"same identifier as row 1, far away", 2, F + 900000, 2, 1},
        {"within 5 kHz of row 1", 9, F + 100000 - 4999, 2, 1},
    };
    for (const Case& c : cases) {
        SpottedTableModel model;
        model.addSpot(1, F, -50, 10);
        model.addSpot(2, F + 100000, -55, 20);
        const QDateTime firstCreated = model.spotAt(0)->created;
        model.addSpot(c.id, c.frequency, -40, 30);
        ASSERT_EQ(model.rowCount(), c.rowsAfter) << c.what;
        if (c.updatedRow >= 0) {
            const SpotWrapper* spot = model.spotAt(c.updatedRow);
            EXPECT_EQ(spot->frequency, c.frequency) << c.what;
            EXPECT_EQ(spot->level, -40.0f) << c.what;
            EXPECT_EQ(spot->angle, 30.0f) << c.what;
            EXPECT_EQ(spot->id, c.updatedRow + 1) << c.what << ": the identifier stays";
        } else {
            EXPECT_EQ(model.spotAt(2)->id, c.id) << c.what;
        }
        EXPECT_EQ(model.spotAt(0)->created, firstCreated) << c.what;
    }
}

TEST(SpottedTableModel, DeadSpotsRemoveTheFirstMatchingRowOnly)
{
    struct Case
    {
        const char* what;
        int id;
        qint64 frequency;
        std::vector<int> idsLeft;
    };
    const Case cases[] = {
        {"by identifier", 3, 1, {1, 2}},
        {"by frequency, first in row order", 99, F + 4000, {2, 3}},
        {"unknown", 99, F + 500000, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SpottedTableModel model;
        model.addSpot(1, F, -50, 0);
        model.addSpot(2, F + 8000, -50, 0); // also within 5 kHz of F + 4000, but later
        model.addSpot(3, F + 200000, -50, 0);
        model.removeSpot(c.id, c.frequency);
        std::vector<int> left;
        for (int row = 0; row < model.rowCount(); ++row)
            left.push_back(model.spotAt(row)->id);
        EXPECT_EQ(left, c.idsLeft) << c.what;
    }
}

TEST(SpottedTableModel, ViewsReadBackWhileTold)
{
    // A view reads rowCount and data synchronously while it is told of a change: the
    // lock must not be held then. The tester checks the model's consistency on every
    // signal.
    SpottedTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    SpottedTableWidget view; // its own model, driven through its slots
    view.show();
    QSignalSpy changed(&model, &SpottedTableModel::dataChanged);
    for (int i = 0; i < 5; ++i)
        model.addSpot(i + 1, F + i * 10000, -50, 0);
    model.addSpot(1, F + 1000, -45, 0);
    EXPECT_EQ(changed.count(), 1);
    model.removeSpot(3, 0);
    model.removeSpot(99, F);
    EXPECT_EQ(model.rowCount(), 3);

    for (int i = 0; i < 3; ++i)
        view.SLOT_newSpot(i + 1, F + i * 10000, -50, 0);
    view.selectRow(1);
    view.SLOT_deadSpot(2, F + 10000);
    EXPECT_EQ(view.spotModel()->rowCount(), 2);
    EXPECT_FALSE(view.selectionModel()->hasSelection());
}

TEST(SpottedTableWidget, SelectingARowAnnouncesItsFrequency)
{
    SpottedTableWidget view;
    view.SLOT_newSpot(1, F, -50, 0);
    view.SLOT_newSpot(2, F + 250000, -50, 0);
    QSignalSpy selected(&view, &SpottedTableWidget::spotSelected);
    view.selectionModel()->setCurrentIndex(view.model()->index(1, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).toLongLong(), F + 250000);
}
