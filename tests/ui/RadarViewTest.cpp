// The polar azimuth display: where the antenna marker is drawn, the sector it
// selects, the level raster and its refresh from the latest spectrum.
#include "ui/polar/RadarView.h"
#include "core/GlobalRFData.h"
#include "ui/polar/AzimuthScaleDraw.h"
#include "ui/polar/SpectrogramData.h"
#include "ui/polar/qwtpolar/qwt_polar_canvas.h"
#include "ui/polar/qwtpolar/qwt_polar_marker.h"
#include "ui/polar/qwtpolar/qwt_polar_spectrogram.h"

#include <QImage>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <qwt_text.h>
#include <vector>

namespace {
// The centroid of the marker's pure green outline, relative to the plot's pole.
QPointF markerOffset(RadarView& view)
{
    const QImage image = view.canvas()->grab().toImage();
    double sx = 0, sy = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.green() > 200 && c.red() < 60 && c.blue() < 60) {
                sx += x;
                sy += y;
                ++count;
            }
        }
    if (count == 0)
        return QPointF(qQNaN(), qQNaN());
    return QPointF(sx / count, sy / count) - view.plotRect().center();
}

const SpectrogramData& raster(const RadarView& view)
{
    return *static_cast<const SpectrogramData*>(view.spectrogram()->data());
}
} // namespace

class RadarViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.resize(400, 400);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    RadarView view;
};

TEST_F(RadarViewTest, AzimuthIsDrawnClockwiseFromNorthAtTheTop)
{
    struct Case
    {
        float azimuth;
        double dx; // expected direction of the marker from the pole
        double dy;
    };
    for (const Case c :
         {Case{90, 1, 0}, Case{0, 0, -1}, Case{180, 0, 1}, Case{270, -1, 0}, Case{45, 1, -1}}) {
        view.SLOT_AntennaOrientationChanged(c.azimuth, 0);
        const QPointF offset = markerOffset(view);
        ASSERT_FALSE(std::isnan(offset.x())) << c.azimuth;
        const double length = std::hypot(offset.x(), offset.y());
        ASSERT_GT(length, view.plotRect().width() / 4) << c.azimuth;
        const double norm = std::hypot(c.dx, c.dy);
        EXPECT_NEAR(offset.x() / length, c.dx / norm, 0.1) << c.azimuth;
        EXPECT_NEAR(offset.y() / length, c.dy / norm, 0.1) << c.azimuth;
    }
}

TEST_F(RadarViewTest, AzimuthSelectsItsSectorAndMovesTheMarker)
{
    struct Case
    {
        float azimuth;
        double markerAzimuth;
        int sector;
    };
    const Case cases[] = {{45.7f, 45.7, 45}, {0, 0, 0},     {359.9f, 359.9, 359},
                          {-10, 350, 350},   {370, 10, 10}, {std::nanf(""), 0, 0}};
    for (const Case& c : cases) {
        view.SLOT_AntennaOrientationChanged(c.azimuth, 0);
        EXPECT_EQ(view.getSector(), c.sector) << c.azimuth;
        EXPECT_NEAR(view.marker()->position().azimuth(), c.markerAzimuth, 1e-4) << c.azimuth;
        EXPECT_EQ(view.marker()->position().radius(), RadarView::MarkerRadius);
    }
    EXPECT_EQ(view.marker()->label().text(), "Antenne");
}

TEST(SpectrogramData, CellsAreFoundBySectorAndRadiusAndTheRimKeepsItsSector)
{
    std::vector<double> cells(360 * 100);
    for (size_t i = 0; i < cells.size(); ++i)
        cells[i] = double(i);
    const SpectrogramData data(360, 100, cells);
    struct Case
    {
        double azimuth;
        double radius;
        double expected;
    };
    const Case cases[] = {
        {0, 0, 0},
        {45.5, 10.2, 45 * 100 + 10},
        {359.5, 99.9, 35999},
        {10, 100, 10 * 100 + 99}, // the rim reads its own sector's outer cell
        {10, 250, 10 * 100 + 99}, // beyond the rim as well
        {360, 50, 50},            // north again
        {-1, 50, 0},              // undefined coordinates
        {qQNaN(), 50, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(data.value(c.azimuth, c.radius), c.expected) << c.azimuth << ", " << c.radius;
    EXPECT_EQ(data.interval(Qt::ZAxis).minValue(), 0.0);
    EXPECT_EQ(data.interval(Qt::ZAxis).maxValue(), 10.0);
}

TEST(RadarLevels, DecibelsMapOntoZeroToTen)
{
    EXPECT_DOUBLE_EQ(RadarView::levelOf(-105), 0);
    EXPECT_DOUBLE_EQ(RadarView::levelOf(-35), 10);
    EXPECT_DOUBLE_EQ(RadarView::levelOf(-70), 5);
    EXPECT_DOUBLE_EQ(RadarView::levelOf(-300), 0);
    EXPECT_DOUBLE_EQ(RadarView::levelOf(20), 10);
    EXPECT_DOUBLE_EQ(RadarView::levelOf(qQNaN()), 0);
}

TEST_F(RadarViewTest, RefreshWritesTheLatestSpectrumIntoTheAntennaSector)
{
    // 32768 values: 327 per radial cell, the last 68 unused. Cell r holds the
    // maximum of its values.
    std::vector<double> spectrum(32768, -105);
    for (int r = 0; r < 100; ++r)
        spectrum[r * 327 + 300] = -105 + 0.7 * r; // level r / 10
    spectrum[32767] = -35;                        // not shown
    GlobalRFData::instance()->setSpectrum(int(spectrum.size()), spectrum.data(), 2400000);

    view.SLOT_AntennaOrientationChanged(45.7f, 0);
    view.SLOT_update();
    view.SLOT_AntennaOrientationChanged(200, 0);
    view.SLOT_update();

    const std::vector<double>& cells = raster(view).cells();
    for (int sector : {45, 200})
        for (int r : {0, 1, 50, 99})
            EXPECT_NEAR(cells[sector * 100 + r], r / 10.0, 1e-9) << sector << ", " << r;
    EXPECT_EQ(cells[46 * 100 + 50], 0.0);
}

TEST_F(RadarViewTest, ShortOrMissingSpectraChangeNothing)
{
    std::vector<double> spectrum(99, -35);
    GlobalRFData::instance()->setSpectrum(99, spectrum.data(), 48000);
    view.SLOT_AntennaOrientationChanged(10, 0);
    const SpectrogramData* before = &raster(view);
    view.SLOT_update();
    EXPECT_EQ(&raster(view), before);
    for (double level : raster(view).cells())
        ASSERT_EQ(level, 0.0);
}

TEST(AzimuthScaleDraw, NorthReadsZeroAndMultiplesOfFortyFiveTheirValue)
{
    AzimuthScaleDraw draw;
    EXPECT_EQ(draw.label(0).text(), "0");
    EXPECT_EQ(draw.label(360).text(), "0");
    EXPECT_EQ(draw.label(90).text(), "90");
    EXPECT_EQ(draw.label(315).text(), "315");
}
