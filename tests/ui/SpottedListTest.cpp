// The spot list panel: selection text, tuning to the selection and the threshold
// slider that follows the scanner until the operator moves it.
#include "ui/scanner/SpottedList.h"
#include "ui/scanner/SpotWrapper.h"
#include "ui/scanner/SpottedTableModel.h"
#include "ui/scanner/SpottedTableWidget.h"

#include "AttachedEngine.h"

#include <QItemSelectionModel>
#include <QSignalSpy>
#include <qwt_slider.h>

class SpottedListTest : public AttachedEngine
{
protected:
    void SetUp() override { attach(); }
};

TEST_F(SpottedListTest, SelectionShowsMegahertzUnmangledAndTunesTheChosenChannel)
{
    SpottedList list;
    list.setController(&engine, 0);
    struct Case
    {
        qint64 frequency;
        const char* text;
    };
    for (const Case c : {Case{145500000, "145.500000"}, Case{100500000, "100.500000"},
                         Case{1296000000, "1296.000000"}, Case{145012345, "145.012345"}}) {
        list.SLOT_userWantTuneOnSpot(c.frequency);
        EXPECT_EQ(list.getSelectionText(), QString(c.text));
    }

    list.SLOT_newSpot(1, Centre + 300000, -50, 0);
    list.SLOT_newSpot(2, Centre - 400000, -50, 0);
    SpottedTableWidget* table = list.getTable();
    table->selectionModel()->setCurrentIndex(table->model()->index(1, 0),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(list.getSelectedFrequency(), Centre - 400000);

    list.SLOT_tuneRXB();
    EXPECT_EQ(engine.getRxOffset(1), -400000);
    EXPECT_EQ(engine.getRxOffset(0), 0);
    list.SLOT_tuneRXA();
    EXPECT_EQ(engine.getRxOffset(0), -400000);
}

TEST_F(SpottedListTest, NothingSelectedOrNoEngineTunesNothing)
{
    SpottedList list;
    list.setController(&engine, 0);
    QSignalSpy retunes(&engine, &Controller::MSG_ChannelizerIsRetuned);
    list.SLOT_tuneRXA();
    SpottedList detached;
    detached.SLOT_userWantTuneOnSpot(Centre + 1000);
    detached.SLOT_tuneRXB();
    EXPECT_EQ(retunes.count(), 0);
}

TEST_F(SpottedListTest, ThresholdFollowsTheScannerUntilTheOperatorMovesIt)
{
    SpottedList list;
    QSignalSpy thresholds(&list, &SpottedList::newThreshold);
    QwtSlider* slider = list.getThresholdSlider();
    EXPECT_EQ(slider->value(), -50);

    list.SLOT_autoThreshold(-70);
    EXPECT_EQ(slider->value(), -70);
    EXPECT_EQ(thresholds.count(), 0);

    slider->setValue(-30);
    ASSERT_EQ(thresholds.count(), 1);
    EXPECT_EQ(thresholds.at(0).at(0).toDouble(), -30);
    EXPECT_FALSE(list.isFollowingAuto());
    list.SLOT_autoThreshold(-75);
    EXPECT_EQ(slider->value(), -30);

    list.resetThreshold();
    EXPECT_TRUE(list.isFollowingAuto());
    EXPECT_EQ(slider->value(), -100);
    ASSERT_EQ(thresholds.count(), 2);
    EXPECT_EQ(thresholds.at(1).at(0).toDouble(), -100);
    list.resetThreshold(); // already following: nothing
    EXPECT_EQ(thresholds.count(), 2);
}

TEST_F(SpottedListTest, SpotsReachTheTableAndDeadOnesLeaveIt)
{
    SpottedList list;
    list.SLOT_newSpot(4, Centre, -60, 12);
    list.SLOT_newSpot(5, Centre + 50000, -61, 13);
    list.SLOT_deadSpot(4, Centre);
    SpottedTableModel* model = list.getTable()->spotModel();
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->spotAt(0)->id, 5);
}
