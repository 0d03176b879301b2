// Cost of one spectrum frame of the spectrum-and-waterfall display: a 1280 x 600
// widget on the offscreen platform handed 4096-bin spectra at the full-band
// display rate (one every 50 ms). A frame is the hand-over (copy, trace and
// waterfall row drawn into the widget's layers) plus the widget's repaint.
//
// Usage: bench_plotter [frames=400] [interval_ms=50]
#include "ui/plotter/CPlotter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {
constexpr int Bins = 4096;
constexpr int Variants = 64;
constexpr double TargetMedianMs = 4.0;

// Noise floor around -100 dB with a few carriers that drift between variants.
std::vector<std::vector<double>> makeSpectra()
{
    std::mt19937 random(12345);
    std::normal_distribution<double> noise(-100.0, 3.0);
    std::vector<std::vector<double>> spectra(Variants, std::vector<double>(Bins));
    for (int v = 0; v < Variants; ++v) {
        std::vector<double>& bins = spectra[v];
        for (double& b : bins)
            b = noise(random);
        for (int carrier = 0; carrier < 8; ++carrier) {
            const int centre = (carrier * 509 + v * 3) % Bins;
            for (int k = -6; k <= 6; ++k) {
                const int j = std::clamp(centre + k, 0, Bins - 1);
                bins[j] = std::max(bins[j], -20.0 - 10.0 * carrier - 4.0 * std::abs(k));
            }
        }
    }
    return spectra;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(std::ceil(p * values.size())) - 1;
    return values[std::min(index, values.size() - 1)];
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int frames = argc > 1 ? std::max(1, atoi(argv[1])) : 400;
    const int intervalMs = argc > 2 ? std::max(0, atoi(argv[2])) : 50;

    CPlotter plotter;
    plotter.resize(1280, 600);
    plotter.show();
    plotter.setSampleRate(2048000);
    plotter.setSpan(2048000);
    plotter.setCenterFreq(145000000);
    plotter.setFilterCuts(-5000, 5000);
    app.processEvents();

    const std::vector<std::vector<double>> spectra = makeSpectra();
    std::vector<double> costsMs;
    costsMs.reserve(frames);

    QTimer clock;
    clock.setTimerType(Qt::PreciseTimer);
    QObject::connect(&clock, &QTimer::timeout, [&] {
        const std::vector<double>& bins = spectra[costsMs.size() % Variants];
        QElapsedTimer timer;
        timer.start();
        plotter.setNewSpectrum(bins.data(), Bins);
        plotter.repaint();
        costsMs.push_back(timer.nsecsElapsed() / 1e6);
        if (static_cast<int>(costsMs.size()) == frames)
            app.quit();
    });
    clock.start(intervalMs);
    app.exec();

    const double median = percentile(costsMs, 0.5);
    const double p99 = percentile(costsMs, 0.99);
    std::printf("bench_plotter: %d frames of %d bins, widget 1280 x 600, one every %d ms\n", frames, Bins,
                intervalMs);
    std::printf("  frame cost (hand-over + paint): median %.3f ms, 99th percentile %.3f ms, max %.3f ms\n",
                median, p99, *std::max_element(costsMs.begin(), costsMs.end()));
    std::printf("  target: median under %.1f ms per frame -> %s\n", TargetMedianMs,
                median < TargetMedianMs ? "met" : "NOT met");
    return 0;
}
