// The scanner strip on an engine: every third spectrum taken, scans only while a
// channel is on, spots announced and aged by a retune, clicks tuning RX A.
#include "ui/scanner/SpectumScanner.h"
#include "ui/scanner/SpectrumPlot.h"
#include "ui/scanner/SpectrumSegment.h"

#include "AttachedEngine.h"

#include <QSignalSpy>
#include <qwt_plot_marker.h>
#include <qwt_scale_div.h>
#include <qwt_scale_draw.h>
#include <vector>

namespace {
constexpr int Bins = 8192;

// Flat noise with a strong group at each offset (Hz from the centre).
std::vector<double> spectrum(const std::vector<int>& offsets, double rate)
{
    std::vector<double> bins(Bins, -120);
    for (int offset : offsets) {
        const int bin = int((offset + rate / 2) * Bins / rate) / 4 * 4;
        for (int i = 0; i < 4; ++i)
            bins[bin + i] = -50;
    }
    return bins;
}
} // namespace

class SpectumScannerTest : public AttachedEngine
{
protected:
    void SetUp() override
    {
        attach();
        scanner.setController(&engine, 0);
        scanner.setClock([this] { return now; });
        scanner.setPowerThreshold(-80);
    }

    void feedThrice(const std::vector<int>& offsets)
    {
        const std::vector<double> bins = spectrum(offsets, Rate);
        for (int i = 0; i < 3; ++i)
            scanner.newSpectrum(bins.data(), Bins, Rate);
    }

    QDateTime now = QDateTime(QDate(2024, 5, 1), QTime(12, 0, 0));
    SpectumScanner scanner;
};

TEST_F(SpectumScannerTest, OnlyEveryThirdSpectrumIsTaken)
{
    const std::vector<double> bins = spectrum({100000}, Rate);
    scanner.newSpectrum(bins.data(), Bins, Rate);
    scanner.newSpectrum(bins.data(), Bins, Rate);
    EXPECT_EQ(scanner.getTracker().getGroupCount(), 0);
    scanner.newSpectrum(bins.data(), Bins, Rate);
    EXPECT_EQ(scanner.getTracker().getGroupCount(), Bins / 4);
    EXPECT_EQ(scanner.getPlot()->getCount(), Bins / 4);
    EXPECT_EQ(scanner.getTracker().getCentre(), Centre);
}

TEST_F(SpectumScannerTest, NothingIsScannedWhileBothChannelsAreOff)
{
    QSignalSpy born(&scanner, &SpectumScanner::SIG_newSpot);
    feedThrice({100000});
    scanner.SLOT_scanFrequencies();
    EXPECT_EQ(born.count(), 0);
    EXPECT_TRUE(scanner.getTracker().getSpots().empty());
}

TEST_F(SpectumScannerTest, SpotsAreAnnouncedAndRetuneAgesThem)
{
    engine.channelOn[1] = true;
    QSignalSpy born(&scanner, &SpectumScanner::SIG_newSpot);
    QSignalSpy dead(&scanner, &SpectumScanner::SIG_deadSpot);
    feedThrice({100000, -300000});
    scanner.SLOT_scanFrequencies();
    ASSERT_EQ(born.count(), 2);
    for (const QList<QVariant>& args : born) {
        const qint64 f = args.at(1).toLongLong();
        const bool near =
            std::llabs(f - (Centre + 100000)) < 1100 || std::llabs(f - (Centre - 300000)) < 1100;
        EXPECT_TRUE(near) << f;
        EXPECT_FLOAT_EQ(args.at(2).toFloat(), -50.0f);
    }

    // A retune of RX A ages every spot: those not seen again die at the next scan.
    scanner.SLOT_ChannelizerIsRetuned(Centre, 1000, 0);
    feedThrice({100000});
    now = now.addSecs(1);
    scanner.SLOT_scanFrequencies();
    ASSERT_EQ(dead.count(), 1);
    EXPECT_NEAR(double(dead.at(0).at(1).toLongLong()), double(Centre - 300000), 1100);
    EXPECT_EQ(born.count(), 2);
    EXPECT_DOUBLE_EQ(scanner.getPlot()->getMarker(0)->xValue(), 145.001);

    // A retune of another channel changes nothing.
    scanner.SLOT_ChannelizerIsRetuned(Centre, 5000, 1);
    feedThrice({});
    now = now.addSecs(5);
    scanner.SLOT_scanFrequencies();
    EXPECT_EQ(dead.count(), 1);
}

TEST_F(SpectumScannerTest, AutomaticThresholdIsAnnouncedUntilFixed)
{
    engine.channelOn[0] = true;
    scanner.setAutoThreshold();
    QSignalSpy levels(&scanner, &SpectumScanner::SIG_newAutoSpotLevel);
    feedThrice({});
    scanner.SLOT_scanFrequencies();
    ASSERT_EQ(levels.count(), 1);
    // Mean and peak -120: 0.4 x (-120 + 7) + 0.6 x (-200).
    EXPECT_NEAR(levels.at(0).at(0).toDouble(), -165.2, 1e-9);
    scanner.setPowerThreshold(-90);
    scanner.SLOT_scanFrequencies();
    EXPECT_EQ(levels.count(), 1);
}

TEST_F(SpectumScannerTest, ClickOnThePlotSetsTheOffsetOfRxA)
{
    QSignalSpy retunes(&engine, &Controller::MSG_ChannelizerIsRetuned);
    feedThrice({});
    scanner.getPlot()->SLOT_selected(QPointF(145.2, -80));
    QCoreApplication::processEvents(); // the click reaches the scanner queued
    EXPECT_NEAR(engine.getRxOffset(0), 200000, 1);
    ASSERT_GE(retunes.count(), 1);
    EXPECT_EQ(retunes.last().at(2).toInt(), 0);
}

TEST_F(SpectumScannerTest, VisibleSegmentsAreShownInMegahertz)
{
    scanner.SLOT_updateVisibleSegments(1, 144990000, 145010000);
    scanner.SLOT_updateVisibleSegments(0, 144000000, 146000000);
    EXPECT_DOUBLE_EQ(scanner.getSegment(1)->interval().minValue(), 144.99);
    EXPECT_DOUBLE_EQ(scanner.getSegment(1)->interval().maxValue(), 145.01);
    EXPECT_DOUBLE_EQ(scanner.getSegment(0)->interval().minValue(), 144.0);
    EXPECT_DOUBLE_EQ(scanner.getSegment(0)->interval().maxValue(), 146.0);
}

TEST_F(SpectumScannerTest, TheAxisReadsTheReceiversMegahertzBeforeTheFirstSpectrum)
{
    const struct
    {
        const char* when;
        qint64 retunedTo; // 0: no retune
        double low, high; // MHz
    } cases[] = {
        {"once attached", 0, 143.976, 146.024},
        {"after a retune", Centre + 10000000, 153.976, 156.024},
    };
    SpectrumPlot* plot = scanner.getPlot();
    for (const auto& c : cases) {
        if (c.retunedTo != 0)
            scanner.SLOT_ChannelizerIsRetuned(c.retunedTo, 0, 0);
        plot->updateAxes(); // what the next paint draws
        const QwtScaleDiv axis = plot->axisScaleDiv(QwtPlot::xBottom);
        EXPECT_NEAR(axis.lowerBound(), c.low, 1e-9) << c.when;
        EXPECT_NEAR(axis.upperBound(), c.high, 1e-9) << c.when;
        // Every label is a frequency of the band, written in MHz.
        const QList<double> ticks = axis.ticks(QwtScaleDiv::MajorTick);
        ASSERT_GE(ticks.size(), 2) << c.when;
        for (double tick : ticks) {
            const double shown = plot->axisScaleDraw(QwtPlot::xBottom)->label(tick).text().toDouble();
            EXPECT_GE(shown, c.low) << c.when;
            EXPECT_LE(shown, c.high) << c.when;
        }
    }
    EXPECT_EQ(plot->getCount(), 2048) << "no spectrum came";
}

