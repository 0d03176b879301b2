// What the plotter draws, checked at known pixels of a grabbed image (never where
// text lands: fonts are substituted on this platform).
#include "PlotterFixture.h"
#include "ui/plotter/WaterfallPalette.h"

#include <cmath>
#include <memory>
#include <random>

namespace {
// Waterfall colour of a level on the default -120..0 dB scale.
QRgb waterfallOf(double db)
{
    const int row = std::clamp(static_cast<int>(-db * 255 / 120), 0, 255);
    return waterfallColor(255 - row);
}

std::unique_ptr<CPlotter> shownPlotter(int width, int height)
{
    auto plotter = std::make_unique<CPlotter>();
    plotter->resize(width, height);
    plotter->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(plotter.get()));
    return plotter;
}
} // namespace

TEST(WaterfallPalette, RunsFromBlackThroughBlueYellowAndRedToWhite)
{
    struct Case
    {
        int index;
        QRgb colour;
    };
    const Case cases[] = {{0, qRgb(0, 0, 0)},       {19, qRgb(0, 0, 0)},       {69, qRgb(0, 0, 137)},
                          {99, qRgb(58, 120, 251)}, {100, qRgb(60, 125, 255)}, {150, qRgb(255, 255, 0)},
                          {250, qRgb(255, 0, 0)},   {255, qRgb(255, 255, 255)}};
    for (const Case& c : cases)
        EXPECT_EQ(waterfallColor(c.index), c.colour) << c.index;
}

TEST(PlotterGrid, DivisionsFollowTheWidgetSize)
{
    struct Case
    {
        int width;
        int height;
        int horizontal;
        int vertical;
        int dbStep;
    };
    // 534 rows give an overlay of 240 rows.
    const Case cases[] = {{600, 400, 10, 5, 24}, {700, 534, 12, 7, 17}, {2940, 400, 50, 5, 24}};
    for (const Case& c : cases) {
        auto plotter = shownPlotter(c.width, c.height);
        EXPECT_EQ(plotter->getHorizontalDivisions(), c.horizontal) << c.width;
        EXPECT_EQ(plotter->getVerticalDivisions(), c.vertical) << c.height;
        EXPECT_EQ(plotter->getDbStep(), c.dbStep) << c.height;
    }
}

TEST(PlotterGrid, NarrowWidgetAndZeroDbRangeDrawWithoutDividingByZero)
{
    auto plotter = shownPlotter(40, 100);
    EXPECT_EQ(plotter->getHorizontalDivisions(), 0);
    plotter->setDbRange(-50, -50);
    std::vector<double> bins(64, -100.0);
    bins[32] = -20.0;
    bins[34] = std::nan("");
    plotter->setNewSpectrum(bins.data(), static_cast<int>(bins.size()));
    const QImage image = plotter->grab().toImage();
    const int waterfallTop = 45 * 100 / 100;
    // 40 columns over 64 bins: bin 32 lands in column 20, the unreadable bin 34 in
    // column 21. Above the single level is white, below it (and no level) black.
    EXPECT_EQ(image.pixel(20, waterfallTop), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(21, waterfallTop), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(2, waterfallTop), qRgb(0, 0, 0));
}

using PlotterDrawing = PlotterFixture;

TEST_F(PlotterDrawing, FrequencyLabelsShowOnlyTheDecimalsThatMatter)
{
    struct Case
    {
        qint64 centre;
        int span;
        QString label; // the middle one of eleven
        QString next;
    };
    const Case cases[] = {
        {144550000, 100000, "144.55", "144.56"},
        {145000000, 10000000, "145", "146"},
        {1296125000, 100000, "296.125", "296.135"},
    };
    plotter.setSampleRate(20000000);
    for (const Case& c : cases) {
        plotter.setCenterFreq(c.centre);
        plotter.setSpan(c.span);
        const QStringList labels = plotter.getFrequencyLabels();
        ASSERT_EQ(labels.size(), 11);
        EXPECT_EQ(labels.at(5), c.label);
        EXPECT_EQ(labels.at(6), c.next);
    }
}

TEST_F(PlotterDrawing, TraceRowOfABinFollowsItsLevel)
{
    std::vector<double> bins = flat(-100);
    bins[FirstVisibleBin + 200] = -30; // 30 dB under the top of 180 rows for 120 dB
    feed(bins);
    const QImage image = plotter.grab().toImage();
    // Topmost row of the trace colour in a column (the pen sits half a pixel in).
    auto traceTop = [&](int x) {
        for (int y = 0; y < OverlayRows; ++y) {
            if (image.pixel(x, y) == qRgb(255, 240, 240))
                return y;
        }
        return -1;
    };
    EXPECT_NEAR(traceTop(200), 45, 1);
    EXPECT_NEAR(traceTop(100), 150, 1);
    EXPECT_NEAR(traceTop(500), 150, 1);
}

TEST_F(PlotterDrawing, WaterfallRowTakesTheColourOfEachLevelAndScrollsDown)
{
    std::vector<double> first = flat(-100);
    first[FirstVisibleBin + 100] = -10;
    first[FirstVisibleBin + 200] = 10;   // above the scale
    first[FirstVisibleBin + 300] = -200; // below it
    feed(first);
    feed(flat(-60));
    const QImage image = plotter.grab().toImage();
    EXPECT_EQ(image.pixel(400, OverlayRows), waterfallOf(-60));
    EXPECT_EQ(image.pixel(100, OverlayRows + 1), waterfallOf(-10));
    EXPECT_EQ(image.pixel(200, OverlayRows + 1), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(300, OverlayRows + 1), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(400, OverlayRows + 1), waterfallOf(-100));
}

// More frames than the waterfall has rows: every row shows, from the top, the
// frames from the newest back, also after a resize of the width (rows of one level
// stay that level when scaled across).
TEST_F(PlotterDrawing, WaterfallKeepsItsRowsInOrderPastItsHeightAndThroughAResize)
{
    constexpr int WaterfallRows = Height - OverlayRows;
    constexpr int Frames = WaterfallRows + 37;
    auto levelOf = [](int frame) { return -double(frame * 7 % 120); };
    for (int frame = 0; frame < Frames; ++frame)
        feed(flat(levelOf(frame)));
    auto expectNewestFirst = [&](int width) {
        const QImage image = plotter.grab().toImage();
        for (int y = 0; y < WaterfallRows; ++y)
            ASSERT_EQ(image.pixel(width / 2, OverlayRows + y), waterfallOf(levelOf(Frames - 1 - y)))
                << "row " << y << " width " << width;
    };
    expectNewestFirst(Width);
    plotter.resize(Width - 100, Height);
    expectNewestFirst(Width - 100);
}

TEST_F(PlotterDrawing, WithMoreBinsThanColumnsEachColumnShowsItsStrongestBin)
{
    // Four times the bins: four bins per column.
    std::vector<double> bins(4 * Bins, -100.0);
    bins[4 * FirstVisibleBin + 4 * 150 + 2] = -10;
    plotter.setNewSpectrum(bins.data(), static_cast<int>(bins.size()));
    const QImage image = plotter.grab().toImage();
    EXPECT_EQ(image.pixel(150, OverlayRows), waterfallOf(-10));
    EXPECT_EQ(image.pixel(152, OverlayRows), waterfallOf(-100));
}

// The newest waterfall row against its definition, bin by bin: every bin of the
// window maps to column (j - first bin) x columns / bins in the window, takes the
// row of its level on the 255 colour levels, and a column shows its highest row
// (its strongest bin; NaN counts as the bottom). Bin counts that do not divide the
// columns, fewer bins than columns, windows reaching past either end of the band,
// levels on row boundaries and non-finite levels.
TEST_F(PlotterDrawing, WaterfallRowShowsTheStrongestBinOfEachColumnForAnyBinCountAndWindow)
{
    const double rate = 192000;
    const int span = 96000;
    std::mt19937 random{7};
    std::uniform_real_distribution<double> level(-135, 15);
    for (const int n : {300, 599, 1201, 4096, 4801, 65536}) {
        for (const qint64 offset : {qint64(0), qint64(40000), qint64(-40000)}) {
            plotter.setFftCenterOffset(offset);
            ASSERT_EQ(plotter.getFftCenterOffset(), offset);
            std::vector<double> bins(n);
            for (int j = 0; j < n; ++j) {
                switch (j % 11) {
                case 3: bins[j] = -(j % 256) * 120.0 / 255; break; // on a row boundary
                case 7: bins[j] = j % 3 == 0 ? std::nan("") : j % 3 == 1 ? INFINITY : -INFINITY; break;
                default: bins[j] = level(random);
                }
            }
            plotter.setNewSpectrum(bins.data(), n);

            auto binOf = [&](qint64 f) { return n / 2 + static_cast<qint64>(double(f) * n / rate); };
            const qint64 s = binOf(offset - span / 2);
            const qint64 g = std::min<qint64>(s, n - 1);
            const qint64 m = std::max(binOf(offset + span / 2), g + 1) - g;
            auto rowOf = [](double v) {
                const double r = (0 - v) * 255 / 120;
                return std::isnan(r) || r >= 255 ? 255 : r > 0 ? static_cast<int>(r) : 0;
            };
            std::vector<int> rows(Width, -1);
            int first = 0;
            int last = Width;
            if (Width < m) {
                first = -1;
                for (qint64 j = std::max<qint64>(s, 0); j < std::min<qint64>(n, s + m); ++j) {
                    const int column = static_cast<int>((j - g) * Width / m);
                    rows[column] = rows[column] < 0 ? rowOf(bins[j]) : std::min(rows[column], rowOf(bins[j]));
                    first = first < 0 ? column : first;
                    last = column;
                }
            } else {
                for (int c = 0; c < Width; ++c)
                    rows[c] = rowOf(bins[std::clamp<qint64>(g + c * m / Width, 0, n - 1)]);
            }
            const QImage image = plotter.grab().toImage();
            for (int c = 0; c < Width; ++c) {
                const QRgb expected = c >= first && c < last ? waterfallColor(255 - rows[c]) : waterfallColor(0);
                ASSERT_EQ(image.pixel(c, OverlayRows), expected) << "bins " << n << " offset " << offset
                                                                 << " column " << c;
            }
        }
    }
}

TEST_F(PlotterDrawing, WindowWiderThanTheBinsHoldsTheEdgeBins)
{
    // 100 bins over 48 kHz seen through a 96 kHz window: columns past the band
    // repeat the outermost bins instead of reading beyond the array.
    plotter.setSampleRate(48000);
    std::vector<double> bins(100, -100.0);
    bins.front() = -10;
    bins.back() = -10;
    plotter.setNewSpectrum(bins.data(), static_cast<int>(bins.size()));
    const QImage image = plotter.grab().toImage();
    EXPECT_EQ(image.pixel(0, OverlayRows), waterfallOf(-10));
    EXPECT_EQ(image.pixel(Width - 1, OverlayRows), waterfallOf(-10));
    EXPECT_EQ(image.pixel(Width / 2, OverlayRows), waterfallOf(-100));
}

TEST_F(PlotterDrawing, DemodulatorAndCentreLinesHaveTheirColours)
{
    const QRgb demod = qRgb(255, 113, 113);
    const QRgb centre = qRgb(120, 130, 150);
    plotter.setDemodFreq(Centre + 16000); // 100 columns right of the centre
    QImage image = plotter.grab().toImage();
    EXPECT_EQ(plotter.getDemodX(), 400);
    EXPECT_EQ(image.pixel(400, 5), demod);
    EXPECT_EQ(image.pixel(300, 5), centre);

    // Window moved so that the centre falls on its left edge: no centre line.
    plotter.setFftCenterOffset(48000);
    plotter.updateOverlay();
    image = plotter.grab().toImage();
    for (int x = 0; x < Width; ++x)
        ASSERT_NE(image.pixel(x, 5), centre) << x;
}

TEST_F(PlotterDrawing, ResizeKeepsTheWaterfallScaledAndStartsItBlack)
{
    EXPECT_EQ(pixel(300, OverlayRows + 10), qRgb(0, 0, 0));
    std::vector<double> bins = flat(-100);
    for (int c = 180; c < 240; ++c)
        bins[FirstVisibleBin + c] = -10;
    for (int i = 0; i < 20; ++i)
        feed(bins);

    plotter.resize(2 * Width, Height);
    QApplication::processEvents();
    const QImage image = plotter.grab().toImage();
    EXPECT_EQ(image.pixel(420, OverlayRows + 5), waterfallOf(-10));
    EXPECT_EQ(image.pixel(200, OverlayRows + 5), waterfallOf(-100));
}

TEST_F(PlotterDrawing, OverlappingTagsStackOnThreeLevelsThenStartAgain)
{
    for (int i = 0; i < 4; ++i)
        Bookmarks::instance()->addBookmark(bookmark(Centre + 1000 + 200 * i, QString("beacon %1").arg(i)));
    plotter.refreshBookmarks(true, false);
    const QList<TagArea>& tags = plotter.getTagAreas();
    ASSERT_EQ(tags.size(), 4);
    EXPECT_EQ(tags.at(0).rect.top(), 0);
    EXPECT_GT(tags.at(1).rect.top(), tags.at(0).rect.bottom());
    EXPECT_GT(tags.at(2).rect.top(), tags.at(1).rect.bottom());
    EXPECT_EQ(tags.at(3).rect.top(), 0);
    EXPECT_EQ(tags.at(0).rect.left(), plotter.xFromFreq(Centre + 1000));
}

TEST_F(PlotterDrawing, PeakDetectionMarksOneStrongBinAndFindsItNearThePointer)
{
    std::vector<double> bins = flat(-100);
    bins[FirstVisibleBin + 200] = -30;
    plotter.setPeakDetection(true, 0);
    feed(bins);
    EXPECT_TRUE(plotter.getPeaks().isEmpty());

    plotter.setPeakDetection(true, 2);
    feed(bins);
    ASSERT_EQ(plotter.getPeaks().size(), 1);
    EXPECT_EQ(plotter.getPeaks().firstKey(), 200);
    EXPECT_EQ(plotter.findNearestPeak(208, 60), 200);
    EXPECT_EQ(plotter.findNearestPeak(211, 45), -1);
    EXPECT_EQ(plotter.findNearestPeak(200, 70), -1);
}

// A display fed while hidden (behind its tab) shows, once shown, exactly what one
// painted after every frame shows: the last trace with its fill, its peak marks,
// the peaks held over the hidden frames, and every waterfall row.
TEST_F(PlotterDrawing, DisplayFedWhileHiddenShowsWhatAPaintedOneShows)
{
    std::unique_ptr<CPlotter> painted = shownPlotter(Width, Height);
    for (CPlotter* p : {&plotter, painted.get()}) {
        p->setSampleRate(192000);
        p->setCenterFreq(Centre);
        p->setPeakDetection(true, 2);
        p->setPeakHold(true);
    }
    plotter.hide();
    for (int frame = 0; frame < 6; ++frame) {
        std::vector<double> bins = flat(-100 + frame);
        bins[FirstVisibleBin + 40 * frame + 50] = -20 - 5 * frame;
        for (CPlotter* p : {&plotter, painted.get()})
            p->setNewSpectrum(bins.data(), static_cast<int>(bins.size()));
        painted->grab();
    }
    EXPECT_EQ(plotter.getPeaks(), painted->getPeaks());
    plotter.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plotter));
    EXPECT_EQ(plotter.grab().toImage(), painted->grab().toImage());
}

TEST_F(PlotterDrawing, PeakHoldKeepsTheStrongestLevelUntilReset)
{
    std::vector<double> spike = flat(-100);
    spike[FirstVisibleBin + 200] = -30;
    feed(flat(-100));
    const QRgb background = pixel(200, 60);

    plotter.setPeakHold(true);
    feed(spike);
    feed(flat(-100));
    EXPECT_NE(pixel(200, 60), background); // the held curve still rises to the spike

    plotter.setPeakHold(true); // starts the held curve afresh
    feed(flat(-100));
    EXPECT_EQ(pixel(200, 60), background);
}
