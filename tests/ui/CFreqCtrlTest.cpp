// Frequency entry: what the digits show, and changes by mouse, wheel and keys.
#include "ui/widgets/CFreqCtrl.h"
#include "WaitFor.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

struct ShowCase
{
    const char* name;
    int digits;
    qint64 min, max;
    int resolution, unit;
    qint64 value;
    const char* text;
    qint64 shown;
};

class CFreqCtrlShows : public ::testing::TestWithParam<ShowCase>
{
};

TEST_P(CFreqCtrlShows, DigitsAndSeparators)
{
    const ShowCase& c = GetParam();
    CFreqCtrl ctrl;
    ctrl.setup(c.digits, c.min, c.max, c.resolution, c.unit);
    ctrl.showFrequency(c.value);
    EXPECT_EQ(ctrl.displayText(), QString(c.text));
    EXPECT_EQ(ctrl.getFrequency(), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CFreqCtrlShows,
    ::testing::Values(
        ShowCase{"TwoMetres", 11, 1, 11000000000LL, 10, 2, 145500000, "145.500 00", 145500000},
        ShowCase{"Gigahertz", 11, 1, 11000000000LL, 10, 2, 1296000000, "1,296.000 00", 1296000000},
        ShowCase{"CutToResolution", 11, 1, 11000000000LL, 10, 2, 145500007, "145.500 00", 145500000},
        ShowCase{"ClampedToMax", 11, 1, 200000000, 10, 2, 300000000, "200.000 00", 200000000},
        ShowCase{"KilohertzUnit", 7, 0, 9999999, 1, 1, 12345, "12.345", 12345},
        ShowCase{"NegativeBelowCentre", 11, -500000000, 500000000, 10, 2, -1234560, "-1.234 56", -1234560},
        ShowCase{"ThreeDigitsMeanFour", 3, 0, 1000000, 1, 0, 99999, "9,999", 9999},
        ShowCase{"ThirteenDigitsMeanTwelve", 13, 0, 9000000000000LL, 1, 0, 9000000000000LL, "999,999,999,999",
                 999999999999LL},
        ShowCase{"ResolutionZeroIsOne", 11, 0, 11000000000LL, 0, 0, 12345, "12,345", 12345}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CFreqCtrl, UnitTextAndCells)
{
    CFreqCtrl ctrl;
    ctrl.resize(330, 40);
    ctrl.setup(11, 1, 11000000000LL, 10, 2);
    EXPECT_EQ(ctrl.getUnitText(), "MHz");
    EXPECT_TRUE(ctrl.digitRect(0).isNull()); // the 1 Hz digit has no cell
    EXPECT_FALSE(ctrl.digitRect(1).isNull());
    EXPECT_LT(ctrl.digitRect(2).right(), ctrl.digitRect(1).left());
    EXPECT_FALSE(ctrl.grab().isNull());
}

TEST(CFreqCtrl, SetFrequencyEmitsOnlyChanges)
{
    CFreqCtrl ctrl;
    ctrl.setup(11, 1, 11000000000LL, 10, 2);
    QSignalSpy spy(&ctrl, &CFreqCtrl::newFrequency);
    ctrl.setFrequency(145500003);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toLongLong(), 145500000);
    ctrl.setFrequency(145500000); // the value last accepted
    EXPECT_EQ(spy.count(), 1);
    ctrl.showFrequency(433000000);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(ctrl.displayText(), "433.000 00");
}

// A shown and active entry with the main window's set-up, at 145.950 MHz.
class CFreqCtrlInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ctrl.resize(330, 40);
        ctrl.setup(11, 1, 200000000, 10, 2);
        ctrl.show();
        ctrl.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&ctrl, kWaitBoundMs));
        ctrl.showFrequency(145950000);
    }

    // The pointer is moved off first: a move to where the pointer already is
    // (left there by an earlier test) makes no event.
    void hover(int digit)
    {
        QTest::mouseMove(&ctrl, QPoint(1, 1));
        QTest::mouseMove(&ctrl, ctrl.digitRect(digit).center());
    }
    void click(int digit, bool upper)
    {
        const QRect r = ctrl.digitRect(digit);
        hover(digit);
        QTest::mouseClick(&ctrl, Qt::LeftButton, {}, QPoint(r.center().x(), upper ? 2 : r.bottom() - 2));
    }
    void wheel(int digit, int delta)
    {
        const QPoint pos = ctrl.digitRect(digit).center();
        QWheelEvent event(QPointF(pos), QPointF(ctrl.mapToGlobal(pos)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&ctrl, &event);
    }

    CFreqCtrl ctrl;
};

TEST_F(CFreqCtrlInput, ClickStepsTheDigitWithCarry)
{
    QSignalSpy spy(&ctrl, &CFreqCtrl::newFrequency);
    click(5, true); // 100 kHz up: 145.950 -> 146.050
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toLongLong(), 146050000);
    click(5, false);
    EXPECT_EQ(ctrl.getFrequency(), 145950000);
}

TEST_F(CFreqCtrlInput, ClickAtTheMaximumEmitsTheMaximumAgain)
{
    ctrl.setFrequency(200000000);
    QSignalSpy spy(&ctrl, &CFreqCtrl::newFrequency);
    click(3, true);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toLongLong(), 200000000);
}

TEST_F(CFreqCtrlInput, WheelStepsPerNotchAndAddsUpFractions)
{
    hover(3);
    wheel(3, 120);
    EXPECT_EQ(ctrl.getFrequency(), 145951000);
    wheel(3, -240); // one step per event
    EXPECT_EQ(ctrl.getFrequency(), 145950000);
    wheel(3, 60);
    EXPECT_EQ(ctrl.getFrequency(), 145950000);
    wheel(3, 60);
    EXPECT_EQ(ctrl.getFrequency(), 145951000);
}

TEST_F(CFreqCtrlInput, TypedDigitReplacesItAndMovesRight)
{
    ctrl.showFrequency(145500000);
    hover(7); // 10 MHz
    QTest::keyClick(&ctrl, Qt::Key_7);
    EXPECT_EQ(ctrl.getFrequency(), 175500000);
    EXPECT_EQ(ctrl.getActiveDigit(), 6);
    QTest::keyClick(&ctrl, Qt::Key_Up); // the 1 MHz digit now steps
    EXPECT_EQ(ctrl.getFrequency(), 176500000);
    QTest::keyClick(&ctrl, Qt::Key_Left);
    EXPECT_EQ(ctrl.getActiveDigit(), 7);
    QTest::keyClick(&ctrl, Qt::Key_End);
    EXPECT_EQ(ctrl.getActiveDigit(), 1);
    QTest::keyClick(&ctrl, Qt::Key_Right); // already on the lowest step digit
    EXPECT_EQ(ctrl.getActiveDigit(), 1);
    QTest::keyClick(&ctrl, Qt::Key_Home);
    EXPECT_EQ(ctrl.getActiveDigit(), 10);
}

TEST_F(CFreqCtrlInput, NoCarryStepsWrapTheDigitAndLeaveTheOthers)
{
    struct Case
    {
        qint64 from;
        int digit;
        bool up;
        qint64 to;
    } cases[] = {
        {145950000, 5, true, 145050000},  // 100 kHz 9 -> 0, the MHz digit stays
        {145050000, 5, false, 145950000}, // 0 -> 9 without borrowing
        {145950000, 4, true, 145960000},  // no wrap: an ordinary step
        {145999990, 1, true, 145999900},  // the 10 Hz digit wraps alone
        {199999990, 7, true, 109999990},  // the 100 MHz digit stays on a 10 MHz wrap
        {105000000, 7, false, 195000000}, // 10 MHz 0 -> 9
        {200000000, 5, false, 200000000}, // a wrap past the maximum stops at it
    };
    for (const Case& c : cases) {
        ctrl.showFrequency(c.from);
        hover(c.digit);
        QSignalSpy spy(&ctrl, &CFreqCtrl::newFrequency);
        if (c.up)
            ctrl.incDigitNoCarry();
        else
            ctrl.decDigitNoCarry();
        EXPECT_EQ(ctrl.getFrequency(), c.to) << c.from << " digit " << c.digit << (c.up ? " up" : " down");
        EXPECT_EQ(spy.count(), 1);
    }
}

TEST_F(CFreqCtrlInput, NoCarryStepOfAResolutionThatIsNotTheWeight)
{
    ctrl.setup(11, 0, 1000000, 25, 0); // the 10 Hz digit steps by 25
    ctrl.showFrequency(975);
    ctrl.repaint();
    hover(1);
    ctrl.incDigitNoCarry(); // 975 + 25 = 1000: the change of the 100 Hz digit is undone
    EXPECT_EQ(ctrl.getFrequency(), 900);
    ctrl.decDigitNoCarry(); // 900 - 25 = 875: the borrow is undone
    EXPECT_EQ(ctrl.getFrequency(), 975);
}

TEST_F(CFreqCtrlInput, LockedIgnoresTheUserButNotTheOwner)
{
    ctrl.setLocked(true);
    QSignalSpy spy(&ctrl, &CFreqCtrl::newFrequency);
    click(5, true);
    wheel(5, 120);
    QTest::keyClick(&ctrl, Qt::Key_Up);
    QTest::keyClick(&ctrl, Qt::Key_3);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(ctrl.getFrequency(), 145950000);
    ctrl.showFrequency(144000000);
    EXPECT_EQ(ctrl.displayText(), "144.000 00");
}

TEST_F(CFreqCtrlInput, LeavingEndsEditing)
{
    hover(4);
    EXPECT_EQ(ctrl.getActiveDigit(), 4);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&ctrl, &leave);
    EXPECT_EQ(ctrl.getActiveDigit(), -1);
    QSignalSpy spy(&ctrl, &CFreqCtrl::newFrequency);
    QTest::keyClick(&ctrl, Qt::Key_Up);
    EXPECT_EQ(spy.count(), 0);
}

} // namespace
