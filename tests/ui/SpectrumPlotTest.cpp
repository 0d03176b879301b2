// The scanner plot: max-hold, peak label, axes and the click that asks to tune.
#include "ui/scanner/SpectrumPlot.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_marker.h>
#include <qwt_scale_div.h>
#include <vector>

namespace {
constexpr qint64 Centre = 100000000;
constexpr double Span = 2000000;
} // namespace

TEST(SpectrumPlot, MaxHoldRisesTowardsNewMaximaAndFallsOneDecibelPerFrame)
{
    SpectrumPlot plot(nullptr, false);
    std::vector<double> levels(8, -100);
    plot.setSpectrum(Centre, levels.data(), 8, Span);
    // From the floor: (6 x -200 + 4 x -100) / 10.
    EXPECT_DOUBLE_EQ(plot.maxHoldAt(3), -160);
    for (int i = 0; i < 20; ++i)
        plot.setSpectrum(Centre, levels.data(), 8, Span);
    EXPECT_NEAR(plot.maxHoldAt(3), -100, 1.0);

    // A hold settled at -100 receiving -50: (6 x -100 + 4 x -50) / 10 = -80.
    for (int i = 0; i < 60; ++i)
        plot.setSpectrum(Centre, levels.data(), 8, Span);
    std::vector<double> strong(8, -100);
    strong[3] = -50;
    plot.setSpectrum(Centre, strong.data(), 8, Span);
    EXPECT_NEAR(plot.maxHoldAt(3), -80, 1e-6);

    const double raised = plot.maxHoldAt(3);
    std::vector<double> quiet(8, -110);
    plot.setSpectrum(Centre, quiet.data(), 8, Span);
    EXPECT_DOUBLE_EQ(plot.maxHoldAt(3), raised - 1);
    plot.setSpectrum(Centre, quiet.data(), 8, Span);
    EXPECT_DOUBLE_EQ(plot.maxHoldAt(3), raised - 2);
}

TEST(SpectrumPlot, PeakMarkerAndLabelShowTheFirstStrongestLevel)
{
    SpectrumPlot plot(nullptr, false);
    std::vector<double> levels(10, -110);
    levels[7] = -42.26;
    levels[8] = -42.26;
    plot.setSpectrum(Centre, levels.data(), 10, Span);
    const QwtPlotMarker* peak = plot.getPeakMarker();
    // Bin 7 of 10 over 2 MHz from 99 MHz.
    EXPECT_NEAR(peak->xValue(), 100.4, 1e-9);
    EXPECT_DOUBLE_EQ(peak->yValue(), -42.26);
    EXPECT_EQ(peak->label().text(), QStringLiteral("-42.3dB  100.400MHz"));
    EXPECT_EQ(plot.getLevelCurve()->dataSize(), 10u);
}

TEST(SpectrumPlot, AxesFollowTheDataTopOnlyRisesBottomNeverBelowMinusHundredTwenty)
{
    SpectrumPlot plot(nullptr, false);
    plot.setYRange(-135, -40);
    std::vector<double> levels(16, -100);
    levels[3] = -30;
    plot.setSpectrum(Centre, levels.data(), 16, Span);
    EXPECT_DOUBLE_EQ(plot.axisScaleDiv(QwtPlot::xBottom).lowerBound(), 99.0);
    EXPECT_DOUBLE_EQ(plot.axisScaleDiv(QwtPlot::xBottom).upperBound(), 101.0);
    EXPECT_DOUBLE_EQ(plot.getYMax(), -30);
    EXPECT_DOUBLE_EQ(plot.getYMin(), -100);

    levels.assign(16, -150);
    plot.setSpectrum(Centre, levels.data(), 16, Span);
    EXPECT_DOUBLE_EQ(plot.getYMin(), -120);
    EXPECT_DOUBLE_EQ(plot.getYMax(), -30);
    EXPECT_DOUBLE_EQ(plot.axisScaleDiv(QwtPlot::yLeft).lowerBound(), -120);
}

TEST(SpectrumPlot, ClickAsksForTheOffsetFromTheDataCentre)
{
    SpectrumPlot plot(nullptr, false);
    std::vector<double> levels(16, -100);
    plot.setSpectrum(Centre, levels.data(), 16, Span);
    QSignalSpy spy(&plot, &SpectrumPlot::NewDemodFreq);
    plot.SLOT_selected(QPointF(100.2, -80));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toLongLong(), Centre);
    EXPECT_NEAR(double(spy.at(0).at(1).toLongLong()), 200000, 1);
}

TEST(SpectrumPlot, ChannelLinesMoveToTheirFrequencies)
{
    SpectrumPlot plot(nullptr, false);
    plot.SLOT_setCurrentRXFreq(145.5, 0);
    plot.SLOT_setCurrentRXFreq(144.8, 1);
    EXPECT_DOUBLE_EQ(plot.getMarker(0)->xValue(), 145.5);
    EXPECT_DOUBLE_EQ(plot.getMarker(1)->xValue(), 144.8);
}
