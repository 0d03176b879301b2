// The receive engine as a whole: the synthetic receiver loaded through the driver
// back-end at 2.048 MS/s, both channels on (RX A in NBFM on the NBFM carrier, RX B in
// USB on the USB tone), the mixing thread with demodulation, squelch and AGC, and an
// audio output without a device, which discards. Every second of signal the channels
// process becomes one second of 48000 Hz audio, so the audio blocks that reach the
// output count the signal processed.
//
// pace      The highest sustained pace: the receiver is paced at rising multiples of
//           real time, each in a fresh engine. A run counts as sustained when it
//           reaches 0.98 of its pace with no block refused or flushed anywhere in the
//           chain and the channels' input queues drained at its end (the engine is not
//           falling behind). A failed pace is tried once more; the search ends at the
//           first pace that fails twice.
// realtime  Paced at real time: CPU seconds per signal second of every thread and of
//           the whole process, and the resident memory over the run (flat or growing).
// overload  Unpaced for a while, so that the source outruns the channels and their
//           full queues are flushed, then real time again: the peak and the remaining
//           resident memory, and whether reception is clean again.
//
// "all" runs each in a fresh process. Run from a release build on an otherwise quiet
// machine, or say how busy it was:
//   build/release/bench/bench_engine [pace|realtime|overload|all] [real-time seconds] [sound device]
// With a sound device (for example the test sink "tarnx_null" of scripts/pulse-null-sink.sh)
// the real-time run plays its audio there instead of discarding it.

#include "ProcessStats.h"

#include "core/AppPaths.h"
#include "engine/Channelizer.h"
#include "engine/Controller.h"
#include "engine/MultiSDR.h"
#include "engine/audio/AudioOutput.h"
#include "engine/demod/NBFMDemodulator.h"
#include "engine/demod/USBdemodulator.h"
#include "hardware/HardwareLoader.h"
#include "tests/fixtures/synthetic_driver/SyntheticScene.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 2048000;
constexpr int kWarmUpMs = 1500;
constexpr int kPaceRunMs = 6000;
constexpr int kDrainWindowMs = 1000; // the queues must have drained within the run's last second
constexpr int kDrainedBlocks = 2;    // both channels' input queues together
constexpr double kSustainedShare = 0.98;
constexpr double kTargetPace = 100.0;
constexpr double kTargetCpuPerSignalSecond = 0.012;
constexpr double kOverloadCeilingMb = 200.0;

// Every refused or flushed block leaves a debug line: a queue that refuses warns once per
// run of refusals, a channel that refuses flushes its input, a demodulator or the mixer
// reports the audio it could not hand on.
std::atomic<int> refusalLines{0};

void countRefusals(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (text.contains(QLatin1String("queue too long")) || text.contains(QLatin1String("qs < 0")) ||
        text.contains(QLatin1String("overflow")) || text.contains(QLatin1String("queue size")))
        ++refusalLines;
    if (type >= QtCriticalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

// Serves the engine's signals like the program's GUI thread for at most ms, calling done
// with the time elapsed every probeMs (the benchmark's own work stays small) until it
// returns true. Returns whether it did.
template <typename Done> bool serveEventsUntil(int ms, int probeMs, Done&& done)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer tick;
    bool finished = false;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        finished = done(clock.elapsed());
        if (finished || clock.elapsed() >= ms)
            loop.quit();
    });
    tick.start(probeMs);
    loop.exec();
    return finished;
}

// The same for ms, calling the probe every probeMs.
template <typename Probe> void serveEventsFor(int ms, int probeMs, Probe&& probe)
{
    serveEventsUntil(ms, probeMs, [&](qint64 elapsed) {
        probe(elapsed);
        return false;
    });
}

void serveEventsFor(int ms)
{
    serveEventsFor(ms, 100, [](qint64) {});
}

// One engine on the synthetic receiver at a pace, both channels on.
class EngineRun
{
public:
    // soundDevice: empty for an audio output without a device, which discards.
    EngineRun(HardwareLoader& receiver, double pace, const QString& soundDevice = QString())
    {
        receiver.setParam(SyntheticScene::RealtimeParam, QString::number(pace));
        engine = std::make_unique<Controller>(
            soundDevice.isEmpty() ? QStringLiteral("discard: no such sound device") : soundDevice);
        engine->setReceiverHardware(&receiver);
        engine->startEngine();
        turnOn(0, &nbfm, int(SyntheticScene::NbfmOffsetHz));
        turnOn(1, &usb, int(SyntheticScene::UsbDialOffsetHz));
    }
    ~EngineRun()
    {
        engine->shutdown();
        engine.reset();
    }

    qint64 audioBlocks() const
    {
        return engine->audioOutput->blocksDiscarded() + engine->audioOutput->blocksPlayed();
    }
    int queuedInputBlocks() const
    {
        return engine->channelizer(0)->inputQueueSize() + engine->channelizer(1)->inputQueueSize();
    }
    int fetchSize() const { return engine->blocksPerFetch(); }
    static double signalSeconds(qint64 blocks)
    {
        return double(blocks) * MultiSDR::AudioBlock / AudioOutput::kSampleRate;
    }

private:
    void turnOn(int channel, Demodulator* demod, int offset)
    {
        engine->installDemodulator(demod, channel);
        engine->setRxOffset(offset, channel);
        engine->turnChannelOn(channel);
    }

    NBFMDemodulator nbfm;
    USBdemodulator usb;
    std::unique_ptr<Controller> engine;
};

struct PaceResult
{
    double achieved = 0; // signal seconds per wall second
    int refusals = 0;
    int fetchAtStart = 0;
    int fetchAtEnd = 0;
    int fewestQueuedAtEnd = 0;
    bool sustained = false;
    double signalSeconds = 0;
    std::map<std::string, double> threadCpu;    // over the measured part
    std::map<std::string, double> threadSleeps; // over the measured part
    double wallSeconds = 0;
    double residentMb = 0; // at its end
};

PaceResult runAtPace(HardwareLoader& receiver, double pace)
{
    EngineRun run(receiver, pace);
    serveEventsFor(kWarmUpMs);
    PaceResult r;
    r.fetchAtStart = run.fetchSize();
    const int refusalsBefore = refusalLines.load();
    const qint64 blocksBefore = run.audioBlocks();
    r.fewestQueuedAtEnd = 1 << 20;
    const auto threadsBefore = ProcessStats::threadCpuSeconds();
    const auto sleepsBefore = ProcessStats::threadSleeps();
    QElapsedTimer wall;
    wall.start();
    serveEventsFor(kPaceRunMs, 20, [&](qint64 elapsed) {
        if (elapsed >= kPaceRunMs - kDrainWindowMs)
            r.fewestQueuedAtEnd = std::min(r.fewestQueuedAtEnd, run.queuedInputBlocks());
    });
    const double seconds = wall.elapsed() / 1000.0;
    r.threadCpu = ProcessStats::gainedSince(threadsBefore, ProcessStats::threadCpuSeconds());
    r.threadSleeps = ProcessStats::gainedSince(sleepsBefore, ProcessStats::threadSleeps());
    r.wallSeconds = seconds;
    r.residentMb = ProcessStats::residentMb();
    r.signalSeconds = EngineRun::signalSeconds(run.audioBlocks() - blocksBefore);
    r.achieved = r.signalSeconds / seconds;
    r.refusals = refusalLines.load() - refusalsBefore;
    r.fetchAtEnd = run.fetchSize();
    r.sustained = r.achieved >= kSustainedShare * pace && r.refusals == 0 && r.fetchAtEnd == r.fetchAtStart &&
                  r.fewestQueuedAtEnd <= kDrainedBlocks;
    return r;
}

// CPU seconds per signal second of each thread, and how often it went to sleep.
void printThreads(const std::map<std::string, double>& cpu, const std::map<std::string, double>& sleeps,
                  double signalSeconds, double wallSeconds)
{
    std::vector<std::pair<double, std::string>> rows;
    for (const auto& [name, seconds] : cpu)
        if (seconds > 0)
            rows.emplace_back(seconds, name);
    std::sort(rows.rbegin(), rows.rend());
    for (const auto& [seconds, name] : rows) {
        const auto slept = sleeps.find(name);
        std::printf("    %-16s %8.5f CPU s per signal second, %6.0f sleeps per second\n", name.c_str(),
                    seconds / signalSeconds, slept == sleeps.end() ? 0.0 : slept->second / wallSeconds);
    }
}

void findSustainedPace(HardwareLoader& receiver)
{
    std::printf("Highest sustained pace, %d S/s, RX A NBFM + RX B USB, audio discarded\n", kRate);
    std::printf("  (a run: %.1f s warm-up, %.1f s measured; sustained = at least %.2f of the pace, no "
                "refused or flushed block, input queues at most %d blocks in the last %.1f s)\n",
                kWarmUpMs / 1000.0, kPaceRunMs / 1000.0, kSustainedShare, kDrainedBlocks,
                kDrainWindowMs / 1000.0);
    double best = 0;
    PaceResult bestRun;
    for (double pace = 10; pace <= 400; pace += 10) {
        bool passed = false;
        for (int attempt = 0; attempt < 2 && !passed; ++attempt) {
            const PaceResult r = runAtPace(receiver, pace);
            passed = r.sustained;
            if (passed)
                bestRun = r;
            std::printf("  pace %5.0f x: reached %6.2f x, refusals %3d, fetch %d -> %d blocks, fewest queued "
                        "%d  %s\n",
                        pace, r.achieved, r.refusals, r.fetchAtStart, r.fetchAtEnd, r.fewestQueuedAtEnd,
                        passed ? "sustained" : "not sustained");
            std::fflush(stdout);
        }
        if (!passed)
            break;
        best = pace;
    }
    std::printf("  highest sustained pace: %.0f x real time (target at least %.0f x)  %s\n", best,
                kTargetPace, best >= kTargetPace ? "met" : "NOT MET");
    if (best > 0) {
        std::printf("  at %.0f x: resident memory %.1f MB; CPU by thread:\n", best, bestRun.residentMb);
        printThreads(bestRun.threadCpu, bestRun.threadSleeps, bestRun.signalSeconds, bestRun.wallSeconds);
    }
    std::printf("\n");
}

// CPU seconds one thread spends to wait on a semaphore until a 1 ms timeout and wake up:
// the cost of every sleep of the engine's threads, which wait at most 10 ms at a time.
double cpuPerTimedWait()
{
    constexpr int kWaits = 200;
    QSemaphore never(0);
    timespec before, after;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
    for (int i = 0; i < kWaits; ++i)
        never.tryAcquire(1, 1);
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
    return (double(after.tv_sec - before.tv_sec) + double(after.tv_nsec - before.tv_nsec) * 1e-9) / kWaits;
}

void measureRealTime(HardwareLoader& receiver, int seconds, const QString& soundDevice)
{
    std::printf("Real time, %d S/s, RX A NBFM + RX B USB, %s, %d s\n", kRate,
                soundDevice.isEmpty() ? "audio discarded" : qPrintable("played into " + soundDevice),
                seconds);
    EngineRun run(receiver, 1.0, soundDevice);
    serveEventsFor(kWarmUpMs);
    const int refusalsBefore = refusalLines.load();
    const qint64 blocksBefore = run.audioBlocks();
    const auto threadsBefore = ProcessStats::threadCpuSeconds();
    const auto sleepsBefore = ProcessStats::threadSleeps();
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = ProcessStats::processCpuSeconds();
    const double rssStart = ProcessStats::residentMb();
    double rssMax = rssStart;
    std::vector<double> rssEachTenth; // resident memory at every tenth of the run
    const int tenth = seconds * 100;
    serveEventsFor(seconds * 1000, 100, [&](qint64 elapsed) {
        rssMax = std::max(rssMax, ProcessStats::residentMb());
        if (elapsed >= qint64(rssEachTenth.size() + 1) * tenth)
            rssEachTenth.push_back(ProcessStats::residentMb());
    });
    const double cpu = ProcessStats::processCpuSeconds() - cpuBefore;
    const auto threads = ProcessStats::gainedSince(threadsBefore, ProcessStats::threadCpuSeconds());
    const auto sleeps = ProcessStats::gainedSince(sleepsBefore, ProcessStats::threadSleeps());
    const double wallSeconds = wall.elapsed() / 1000.0;
    const double signal = EngineRun::signalSeconds(run.audioBlocks() - blocksBefore);
    const double rssEnd = ProcessStats::residentMb();

    std::printf("  signal processed %.2f s, refusals %d\n", signal, refusalLines.load() - refusalsBefore);
    std::printf("  whole process    %8.5f CPU s per signal second (target under %.3f)  %s\n", cpu / signal,
                kTargetCpuPerSignalSecond, cpu / signal < kTargetCpuPerSignalSecond ? "met" : "NOT MET");
    printThreads(threads, sleeps, signal, wallSeconds);
    double allSleeps = 0;
    for (const auto& [name, count] : sleeps)
        allSleeps += count;
    const double sleepCost = cpuPerTimedWait();
    std::printf("  sleeping and waking up costs %.0f us of CPU here: %.5f CPU s per signal second of the "
                "whole\n",
                sleepCost * 1e6, allSleeps * sleepCost / signal);
    std::printf("  resident memory  %.1f MB at the start, %.1f MB at the end, %.1f MB at most; by tenths:",
                rssStart, rssEnd, rssMax);
    for (double mb : rssEachTenth)
        std::printf(" %.1f", mb);
    std::printf("\n\n");
}

void measureOverload(HardwareLoader& receiver)
{
    constexpr int kOverloadMs = 10000;
    constexpr int kDrainLimitMs = 120000;
    constexpr int kSettleMs = 3000;
    constexpr int kCheckMs = 5000;
    std::printf(
        "Overload, %d S/s, RX A NBFM + RX B USB: %d s unpaced, then real time until the channels' queues "
        "have drained, %d s more, and %d s measured\n",
        kRate, kOverloadMs / 1000, kSettleMs / 1000, kCheckMs / 1000);
    EngineRun run(receiver, 0.0);
    double peak = 0;
    serveEventsFor(kOverloadMs, 100, [&](qint64) { peak = std::max(peak, ProcessStats::residentMb()); });
    const int refusalsInOverload = refusalLines.load();
    receiver.setParam(SyntheticScene::RealtimeParam, QStringLiteral("1"));
    QElapsedTimer drain;
    drain.start();
    const bool drained = serveEventsUntil(kDrainLimitMs, 100, [&](qint64) {
        peak = std::max(peak, ProcessStats::residentMb());
        return run.queuedInputBlocks() <= kDrainedBlocks;
    });
    const double drainSeconds = drain.elapsed() / 1000.0;
    serveEventsFor(kSettleMs);
    const int refusalsBefore = refusalLines.load();
    const qint64 blocksBefore = run.audioBlocks();
    QElapsedTimer wall;
    wall.start();
    serveEventsFor(kCheckMs);
    const double achieved =
        EngineRun::signalSeconds(run.audioBlocks() - blocksBefore) / (wall.elapsed() / 1000.0);
    const int refusalsAfter = refusalLines.load() - refusalsBefore;
    const double after = ProcessStats::residentMb();
    std::printf("  refusal lines while overloaded %d; resident memory at most %.1f MB\n", refusalsInOverload,
                peak);
    std::printf("  queues drained %s after %.1f s at real time (fetch size now %d blocks)\n",
                drained ? "" : "NOT", drainSeconds, run.fetchSize());
    std::printf("  back at real time: reached %.2f x with %d refusals; resident memory %.1f MB (ceiling %.0f "
                "MB)  %s\n\n",
                achieved, refusalsAfter, after, kOverloadCeilingMb,
                refusalsInOverload == 0 ? "NOT MEASURED: the channels kept up, no queue was flushed"
                : drained && after < kOverloadCeilingMb && refusalsAfter == 0 && achieved >= kSustainedShare
                    ? "met"
                    : "NOT MET");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler(countRefusals);
    const std::string what = argc > 1 ? argv[1] : "all";
    const int realTimeSeconds = argc > 2 ? std::max(5, std::atoi(argv[2])) : 30;
    const QString soundDevice = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    if (what == "all") {
        // Each part in a process of its own: the memory an earlier part left in the
        // heap must not count in the next one's resident memory.
        int failed = 0;
        for (const char* part : {"pace", "realtime", "overload"}) {
            std::fflush(stdout);
            QStringList args{QLatin1String(part), QString::number(realTimeSeconds)};
            if (!soundDevice.isEmpty())
                args << soundDevice;
            failed += QProcess::execute(QCoreApplication::applicationFilePath(), args) != 0;
        }
        return failed == 0 ? 0 : 1;
    }
    const QString driver = QCoreApplication::applicationDirPath() + "/../fixtures/EXTSDR_Synthetic.dll";

    // Board files go to a folder of our own.
    QTemporaryDir work;
    AppPaths::setApplicationDir(work.path());
    HardwareLoader receiver(0);
    if (!receiver.loadDLL(driver)) {
        std::fprintf(stderr, "cannot load the synthetic receiver %s\n", qPrintable(driver));
        return 1;
    }
    receiver.setRxSampleRate(kRate);

    if (what == "pace")
        findSustainedPace(receiver);
    else if (what == "realtime")
        measureRealTime(receiver, realTimeSeconds, soundDevice);
    else if (what == "overload")
        measureOverload(receiver);
    return 0;
}
