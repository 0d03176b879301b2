// Pointer and wheel gestures on the plotter, delivered as hand-made events.
#include "PlotterFixture.h"
#include "WaitFor.h"

#include <QSignalSpy>
#include <functional>

namespace {
// Far from the passband (columns 268 to 331), the scales and the tag band.
const QPoint EmptyPlace(100, 90);
} // namespace

// Receiving spectra: the demodulator line at column 300, the passband edges
// (-5000, +5000) at columns 268 and 331.
class PlotterPointer : public PlotterFixture
{
protected:
    void SetUp() override
    {
        PlotterFixture::SetUp();
        feed();
        ASSERT_EQ(plotter.getDemodX(), 300);
        ASSERT_EQ(plotter.getLowCutX(), 268);
        ASSERT_EQ(plotter.getHighCutX(), 331);
    }

    void click(QPoint pt, Qt::MouseButton button = Qt::LeftButton)
    {
        move(pt);
        press(pt, button);
        release(pt, button);
    }

    // Hovers over the low edge, then drags it by dx in two moves (the first grabs).
    void dragLowEdge(int dx, Qt::MouseButton button)
    {
        const QPoint edge(plotter.getLowCutX(), 90);
        move(edge);
        press(edge, button);
        move(edge + QPoint(dx / 2, 0), button);
        move(edge + QPoint(dx, 0), button);
        release(edge + QPoint(dx, 0), button);
    }

    // Back to the line at the centre and the default passband, drawn.
    void resetTuning()
    {
        plotter.setDemodFreq(Centre);
        plotter.setFilterCuts(-5000, 5000);
        feed();
        move(EmptyPlace);
    }
};

using PlotterIdle = PlotterFixture;

TEST_F(PlotterIdle, BeforeTheFirstSpectrumOnlyTheWheelActs)
{
    QSignalSpy tunes(&plotter, &CPlotter::newDemodFreq);
    move(EmptyPlace);
    press(EmptyPlace, Qt::LeftButton);
    release(EmptyPlace, Qt::LeftButton);
    EXPECT_EQ(tunes.count(), 0);

    wheel(EmptyPlace, 120);
    ASSERT_EQ(tunes.count(), 1);
    EXPECT_EQ(tunes.at(0).at(0).toLongLong(), Centre);
    EXPECT_EQ(tunes.at(0).at(1).toLongLong(), 10);
}

TEST_F(PlotterPointer, LeftClickTunesToTheSnappedFrequencyLessTheClickOffset)
{
    struct Case
    {
        qint64 clickOffset;
        int x;
    };
    for (const Case& c : {Case{0, 100}, Case{400, 500}, Case{-700, 60}}) {
        plotter.setClickOffset(c.clickOffset);
        QSignalSpy tunes(&plotter, &CPlotter::newDemodFreq);
        click(QPoint(c.x, 90));
        const qint64 expected = roundToResolution(plotter.freqFromX(c.x), 10) - c.clickOffset;
        ASSERT_EQ(tunes.count(), 1) << c.x;
        EXPECT_EQ(tunes.at(0).at(0).toLongLong(), Centre);
        EXPECT_EQ(tunes.at(0).at(1).toLongLong(), expected - Centre);
        EXPECT_EQ(plotter.getDemodFreq(), expected);
        EXPECT_EQ(plotter.getDemodX(), plotter.xFromFreq(expected)); // the line is redrawn at once
    }
}

TEST_F(PlotterPointer, MiddleClickRecentresOnTheClickedFrequency)
{
    QSignalSpy centres(&plotter, &CPlotter::newCenterFreq);
    QSignalSpy tunes(&plotter, &CPlotter::newDemodFreq);
    const qint64 f = roundToResolution(plotter.freqFromX(EmptyPlace.x()), 10);
    click(EmptyPlace, Qt::MiddleButton);
    ASSERT_EQ(centres.count(), 1);
    EXPECT_EQ(centres.at(0).at(0).toLongLong(), f);
    ASSERT_EQ(tunes.count(), 1);
    EXPECT_EQ(tunes.at(0).at(0).toLongLong(), f);
    EXPECT_EQ(tunes.at(0).at(1).toLongLong(), 0);
}

TEST_F(PlotterPointer, TuningGesturesChangeNothingWhileLocked)
{
    struct Gesture
    {
        const char* name;
        std::function<void()> run;
    };
    const Gesture gestures[] = {
        {"click", [&] { click(EmptyPlace); }},
        {"wheel", [&] { wheel(EmptyPlace, 120); }},
        {"ctrl wheel", [&] { wheel(EmptyPlace, 120, Qt::ControlModifier); }},
        {"shift wheel", [&] { wheel(EmptyPlace, 120, Qt::ShiftModifier); }},
        {"edge drag", [&] { dragLowEdge(-30, Qt::LeftButton); }},
        {"line drag",
         [&] {
             const QPoint line(plotter.getDemodX(), 90);
             move(line);
             press(line, Qt::LeftButton);
             move(line + QPoint(10, 0), Qt::LeftButton);
             move(line + QPoint(40, 0), Qt::LeftButton);
         }},
    };
    for (bool locked : {true, false}) {
        for (const Gesture& gesture : gestures) {
            resetTuning();
            plotter.setTuningLocked(locked);
            QSignalSpy tunes(&plotter, &CPlotter::newDemodFreq);
            QSignalSpy edges(&plotter, &CPlotter::delayedNewFilterFreq);
            gesture.run();
            const bool changed = plotter.getDemodFreq() != Centre || plotter.getLowCut() != -5000 ||
                                 plotter.getHighCut() != 5000;
            EXPECT_EQ(changed, !locked) << gesture.name << (locked ? " locked" : " unlocked");
            EXPECT_EQ(tunes.count() + edges.count() > 0, !locked) << gesture.name;
        }
    }
}

TEST_F(PlotterPointer, DraggingTheLowEdgeMirrorsTheHighEdgeOnlyWithTheLeftButton)
{
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        resetTuning();
        QSignalSpy filters(&plotter, &CPlotter::newFilterFreq);
        const int grabbed = plotter.getLowCutX();
        dragLowEdge(-30, button);
        // The first move grabbed 15 columns left of the edge; the second is 15 further.
        const int expectedLow =
            static_cast<int>(roundToResolution(plotter.freqFromX(grabbed - 15) - Centre, 10));
        const int expectedHigh = button == Qt::LeftButton ? -expectedLow : 5000;
        EXPECT_EQ(plotter.getLowCut(), expectedLow) << button;
        EXPECT_EQ(plotter.getHighCut(), expectedHigh) << button;
        ASSERT_TRUE(filters.wait(kWaitBoundMs));
        ASSERT_EQ(filters.count(), 1);
        EXPECT_EQ(filters.at(0).at(0).toInt(), expectedLow);
        EXPECT_EQ(filters.at(0).at(1).toInt(), expectedHigh);
    }
}

TEST_F(PlotterPointer, WheelWidensShiftsOrTunesByWholeNotches)
{
    struct Case
    {
        const char* name;
        Qt::KeyboardModifiers modifiers;
        std::vector<int> deltas;
        int low;
        int high;
        qint64 tune; // expected demodulator offset from the centre
    };
    const Case cases[] = {
        {"ctrl away", Qt::ControlModifier, {120}, -5010, 5010, 0},
        {"ctrl towards", Qt::ControlModifier, {-120}, -4990, 4990, 0},
        {"shift", Qt::ShiftModifier, {120}, -4990, 5010, 0},
        {"plain", Qt::NoModifier, {240}, -5000, 5000, 20},
        {"fine wheel", Qt::NoModifier, {40, 40, 40}, -5000, 5000, 10},
        {"ctrl half notches", Qt::ControlModifier, {60, 60}, -5010, 5010, 0},
        {"half notch", Qt::NoModifier, {60}, -5000, 5000, 0},
    };
    for (const Case& c : cases) {
        resetTuning();
        QSignalSpy filters(&plotter, &CPlotter::newFilterFreq);
        for (int delta : c.deltas)
            wheel(EmptyPlace, delta, c.modifiers);
        EXPECT_EQ(plotter.getLowCut(), c.low) << c.name;
        EXPECT_EQ(plotter.getHighCut(), c.high) << c.name;
        EXPECT_EQ(plotter.getDemodFreq() - Centre, c.tune) << c.name;
        if (c.low != -5000 || c.high != 5000) {
            ASSERT_TRUE(filters.wait(kWaitBoundMs)) << c.name;
            EXPECT_EQ(filters.count(), 1) << c.name;
        }
    }
}

TEST_F(PlotterPointer, WheelOverTheDbScaleZoomsAboutThePointerWithinLimits)
{
    const QPoint scale(5, 90);
    move(scale);
    ASSERT_EQ(plotter.getCursorState(), CursorDbScale);
    auto levelAt = [&](int y) {
        return plotter.getMaxDb() - y * (plotter.getMaxDb() - plotter.getMinDb()) / plotter.spectrumHeight();
    };
    const double level = levelAt(scale.y());
    wheel(scale, 120);
    EXPECT_NEAR(plotter.getMaxDb() - plotter.getMinDb(), 108.0, 1e-3);
    EXPECT_NEAR(levelAt(scale.y()), level, 1e-3);

    for (int i = 0; i < 100; ++i)
        wheel(scale, 120);
    EXPECT_NEAR(plotter.getMaxDb() - plotter.getMinDb(), 1.0, 1e-3);
    for (int i = 0; i < 200; ++i)
        wheel(scale, -120);
    EXPECT_NEAR(plotter.getMaxDb() - plotter.getMinDb(), 2000.0, 1e-2);
}

TEST_F(PlotterPointer, DraggingTheDbScaleMovesTheWholeRange)
{
    const QPoint scale(5, 90);
    move(scale);
    press(scale, Qt::LeftButton);
    move(scale + QPoint(0, 18), Qt::LeftButton); // a tenth of the 180 rows: 12 dB
    release(scale + QPoint(0, 18), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(plotter.getMaxDb(), 12.0);
    EXPECT_DOUBLE_EQ(plotter.getMinDb(), -108.0);
}

TEST_F(PlotterPointer, WheelOverTheFrequencyScaleZoomsAboutThePointer)
{
    plotter.setDemodFreq(Centre + 30000); // clear the middle of the scale
    feed();
    QSignalSpy spans(&plotter, &CPlotter::newSpan);
    const QPoint middle(300, plotter.getFreqScaleY());
    move(middle);
    ASSERT_EQ(plotter.getCursorState(), CursorFreqScale);
    wheel(middle, -120);
    EXPECT_EQ(plotter.getSpan(), 105600);
    EXPECT_EQ(plotter.getFftCenterOffset(), 0);
    ASSERT_EQ(spans.count(), 1);
    EXPECT_EQ(spans.at(0).at(0).toInt(), 105600);

    const QPoint side(150, plotter.getFreqScaleY());
    const qint64 underPointer = plotter.freqFromX(side.x());
    move(side);
    wheel(side, 120);
    EXPECT_EQ(plotter.getSpan(), 95040);
    EXPECT_NEAR(plotter.freqFromX(side.x()), underPointer, 1);

    // 11000 x 0.9 is under the narrowest span: refused, still announced.
    plotter.setSpan(11000);
    feed();
    move(side);
    wheel(side, 120);
    EXPECT_EQ(plotter.getSpan(), 11000);
    EXPECT_EQ(spans.last().at(0).toInt(), 11000);
}

TEST_F(PlotterPointer, DraggingTheFrequencyScalePansWithLeftAndRetunesWithMiddle)
{
    const QPoint scale(150, plotter.getFreqScaleY());
    move(scale);
    press(scale, Qt::LeftButton);
    move(scale - QPoint(60, 0), Qt::LeftButton); // 60 columns of 160 Hz
    release(scale - QPoint(60, 0), Qt::LeftButton);
    EXPECT_EQ(plotter.getFftCenterOffset(), 9600);
    EXPECT_EQ(plotter.getCenterFreq(), Centre);

    QSignalSpy centres(&plotter, &CPlotter::newCenterFreq);
    move(scale);
    press(scale, Qt::MiddleButton);
    move(scale - QPoint(60, 0), Qt::MiddleButton);
    ASSERT_EQ(centres.count(), 1);
    EXPECT_EQ(centres.at(0).at(0).toLongLong(), Centre + 9600);
}

TEST_F(PlotterPointer, ClickOnATagTunesAndAsksForItsScheduleOnlyWithAKey)
{
    Bookmarks::instance()->addBookmark(bookmark(Centre + 20000, "plain"));
    Bookmarks::instance()->addBookmark(bookmark(Centre + 35000, "scheduled", 0, 7));
    plotter.refreshBookmarks(true, false);
    ASSERT_EQ(plotter.getTagAreas().size(), 2);

    QSignalSpy tunes(&plotter, &CPlotter::newDemodFreq);
    QSignalSpy schedules(&plotter, &CPlotter::WHATSONRequest);
    click(plotter.getTagAreas().at(0).rect.center());
    ASSERT_EQ(tunes.count(), 1);
    EXPECT_EQ(tunes.at(0).at(1).toLongLong(), 20000);
    EXPECT_EQ(schedules.count(), 0);

    click(plotter.getTagAreas().at(1).rect.center());
    ASSERT_EQ(tunes.count(), 2);
    EXPECT_EQ(tunes.at(1).at(1).toLongLong(), 35000);
    ASSERT_EQ(schedules.count(), 1);
    EXPECT_EQ(schedules.at(0).at(0).toInt(), 7);
}

TEST_F(PlotterPointer, LineDragContinuesOverTheWaterfallAndEndsOutsideTheWidget)
{
    QSignalSpy tunes(&plotter, &CPlotter::newDemodFreq);
    const QPoint line(300, 90);
    move(line);
    press(line, Qt::LeftButton);
    move(QPoint(320, 90), Qt::LeftButton); // grabs, 20 columns right of the line
    move(QPoint(340, 300), Qt::LeftButton);
    ASSERT_EQ(tunes.count(), 1);
    EXPECT_EQ(plotter.getDemodFreq(), roundToResolution(plotter.freqFromX(320), 10));

    move(QPoint(Width + 50, 300), Qt::LeftButton);
    EXPECT_EQ(plotter.getCursorState(), CursorNone);
    const int before = tunes.count();
    move(QPoint(360, 300), Qt::LeftButton);
    EXPECT_EQ(tunes.count(), before);
}

TEST_F(PlotterPointer, CursorShapeShowsTheHoverTarget)
{
    struct Case
    {
        QPoint pt;
        Qt::CursorShape shape;
    };
    const Case cases[] = {
        {QPoint(300, 90), Qt::SizeHorCursor},
        {QPoint(268, 90), Qt::SizeBDiagCursor},
        {QPoint(331, 90), Qt::SizeFDiagCursor},
        {QPoint(5, 90), Qt::OpenHandCursor},
        {EmptyPlace, Qt::ArrowCursor},
        {QPoint(100, plotter.getFreqScaleY()), Qt::OpenHandCursor},
        {QPoint(300, OverlayRows + 50), Qt::ArrowCursor},
    };
    for (const Case& c : cases) {
        move(c.pt);
        EXPECT_EQ(plotter.cursor().shape(), c.shape) << c.pt.x() << "," << c.pt.y();
    }
}
