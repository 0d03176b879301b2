// Throughput of the whole receive engine: the synthetic receiver loaded through
// the driver back-end at 2.048 MS/s, once unpaced and once paced at the target
// speed; the engine thread, both channels
// on (RX A in NBFM on the NBFM carrier, RX B in USB on the USB tone), the mixing
// thread with demodulation, squelch and AGC, and an audio output without a
// device, which discards. Every second of signal the channels process becomes
// one second of 48000 Hz audio, so the audio blocks that reach the output count
// the signal processed.
//
// Unpaced, the source outruns the channels and their full input queues are
// flushed, so that figure shows the engine under overload; the paced run shows
// whether the engine sustains the target speed without dropping blocks.
//
// Run from a release build: build/release/bench/bench_engine [driver library]

#include "app/core/AppPaths.h"
#include "engine/Controller.h"
#include "engine/MultiSDR.h"
#include "engine/audio/AudioOutput.h"
#include "engine/demod/NBFMDemodulator.h"
#include "engine/demod/USBdemodulator.h"
#include "hardware/HardwareLoader.h"
#include "tests/fixtures/synthetic_driver/SyntheticScene.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <ctime>
#include <memory>

namespace {

constexpr int kRate = 2048000;
constexpr int kWarmUpMs = 1500;
constexpr int kMeasureMs = 10000;
constexpr double kTargetRealTime = 20.0;

double processCpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void serveEventsFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
}

void turnOn(Controller& engine, int channel, Demodulator* demod, int offset)
{
    engine.installDemodulator(demod, channel);
    engine.setRxOffset(offset, channel);
    engine.turnChannelOn(channel);
}

struct Figures
{
    double wallSeconds = 0;
    double signalSeconds = 0;
    double cpuSeconds = 0;
    qint64 blocks = 0;
    int fetch = 0;
};

// speed: the receiver's pace as a multiple of real time, 0 for as fast as asked.
Figures measure(HardwareLoader& receiver, double speed)
{
    receiver.setParam(SyntheticScene::RealtimeParam, QString::number(speed));

    NBFMDemodulator nbfm;
    USBdemodulator usb;
    auto engine = std::make_unique<Controller>(QStringLiteral("discard: no such sound device"));
    engine->setReceiverHardware(&receiver);
    engine->startEngine();
    turnOn(*engine, 0, &nbfm, int(SyntheticScene::NbfmOffsetHz));
    turnOn(*engine, 1, &usb, int(SyntheticScene::UsbDialOffsetHz));
    serveEventsFor(kWarmUpMs);

    Figures f;
    const qint64 blocksBefore = engine->audioOutput->blocksDiscarded();
    const double cpuBefore = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    serveEventsFor(kMeasureMs);
    f.wallSeconds = wall.elapsed() / 1000.0;
    f.cpuSeconds = processCpuSeconds() - cpuBefore;
    f.blocks = engine->audioOutput->blocksDiscarded() - blocksBefore;
    f.fetch = engine->blocksPerFetch();
    engine->shutdown();
    engine.reset();
    f.signalSeconds = double(f.blocks) * MultiSDR::AudioBlock / AudioOutput::kSampleRate;
    return f;
}

void print(const char* title, const Figures& f)
{
    const double realTime = f.signalSeconds / f.wallSeconds;
    std::printf("engine at %d S/s, RX A NBFM + RX B USB, %s, audio discarded\n", kRate, title);
    std::printf("  wall time            %8.2f s\n", f.wallSeconds);
    std::printf("  signal processed     %8.2f s (%lld stereo audio blocks)\n", f.signalSeconds,
                (long long)f.blocks);
    std::printf("  real-time factor     %8.2f x   (target >= %.0f x)  %s\n", realTime, kTargetRealTime,
                realTime >= kTargetRealTime ? "met" : "NOT MET");
    std::printf("  CPU per signal second %7.3f s  (all threads, process CPU time)\n",
                f.signalSeconds > 0 ? f.cpuSeconds / f.signalSeconds : 0.0);
    std::printf("  fetch size at the end %5d blocks of %d samples\n", f.fetch,
                SyntheticScene::SamplesPerBlock);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // An overloaded chain reports every refused block: keep the figures readable.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type >= QtCriticalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    const QString driver = argc > 1
                               ? QString::fromLocal8Bit(argv[1])
                               : QCoreApplication::applicationDirPath() + "/../fixtures/EXTSDR_Synthetic.dll";

    // Board files go to a folder of our own.
    QTemporaryDir work;
    AppPaths::setApplicationDir(work.path());

    HardwareLoader receiver(0);
    if (!receiver.loadDLL(driver)) {
        std::fprintf(stderr, "cannot load the synthetic receiver %s\n", qPrintable(driver));
        return 1;
    }
    receiver.setRxSampleRate(kRate);

    print("unpaced", measure(receiver, 0));
    char paced[64];
    std::snprintf(paced, sizeof paced, "paced at %.0f x real time", kTargetRealTime);
    print(paced, measure(receiver, kTargetRealTime));
    return 0;
}
