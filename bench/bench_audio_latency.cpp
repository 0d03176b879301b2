// Audio latency through the whole receive chain into a sound server: the synthetic
// receiver paced at real time (2.048 MS/s), RX A alone in USB on the USB tone's dial
// (a 1 kHz tone), played into the PulseAudio null sink and recorded from its monitor.
// Needs the private sound server of the test command: source scripts/pulse-null-sink.sh.
//
// keyed   The receiver takes the tone out of its signal, then puts it back: the time
//         from when the first sample with the tone was due in the receiver to the tone's
//         arrival in the monitor.
// retune  The channel waits 40 kHz off the tone (noise only) and is retuned onto it:
//         the time from the retune to the tone's arrival in the monitor.
// steady  The tone plays on for a while: the gaps heard in the monitor (a sound server
//         that runs out of audio plays silence).
// A tone has arrived at the first 5 ms window of the monitor whose 1 kHz level reaches
// half its steady level. The monitor's samples are placed in time by the earliest read
// that could have delivered them (the lower envelope over all reads, which cancels the
// reads' own delays); what is left is the monitor's own short capture delay.
//
// Each median is printed with the bound that the chain's sizes give: one fetch of the
// receiver, one frame of the channel filter, two audio blocks and the sound device's
// buffer.
//
// Usage: bench_audio_latency [trials=8] [busy threads=0] [steady seconds=20]
// Busy threads spin on every core at normal priority for the whole run: a loaded machine.

#include "core/AppPaths.h"
#include "engine/Channelizer.h"
#include "engine/Controller.h"
#include "engine/MultiSDR.h"
#include "engine/audio/AudioOutput.h"
#include "engine/demod/USBdemodulator.h"
#include "engine/dsp/CFastFIR.h"
#include "hardware/HardwareLoader.h"
#include "tests/fixtures/synthetic_driver/SyntheticScene.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = 2048000;
constexpr int kAudioRate = 48000;
constexpr int kWindow = 240; // 5 ms
constexpr int kStep = 48;    // 1 ms
constexpr double kToneHz = 1000.0;
constexpr int kParkOffsetHz = int(SyntheticScene::UsbDialOffsetHz) + 40000; // nothing there
// Held against the median of the trials.
constexpr double kKeyedTargetMs = 260.0;
constexpr double kRetuneTargetMs = 200.0;

double nowSeconds()
{
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

// Records the monitor with parec on a thread of its own, and keeps, for every read, when
// it came and how many samples had come by then.
class MonitorRecorder
{
public:
    ~MonitorRecorder()
    {
        stopping = true;
        if (pipe != nullptr)
            pclose(pipe); // parec ends on the broken pipe; the reader sees the end
        if (reader.joinable())
            reader.join();
    }

    bool start()
    {
        pipe = popen("exec parec --raw --format=s16le --rate=48000 --channels=2 --latency-msec=5 "
                     "-d tarnx_null.monitor 2>/dev/null",
                     "r");
        if (pipe == nullptr)
            return false;
        reader = std::thread([this] { readAll(); });
        return true;
    }

    size_t size() const
    {
        std::lock_guard<std::mutex> guard(lock);
        return left.size();
    }
    // The samples so far (a copy: the reader goes on).
    std::vector<float> samples() const
    {
        std::lock_guard<std::mutex> guard(lock);
        return left;
    }
    // When sample i reached the monitor: the earliest time that the reads delivering it
    // or coming within the next 300 ms allow (samples the recording might lose later
    // do not disturb it).
    double timeOf(size_t i) const
    {
        std::lock_guard<std::mutex> guard(lock);
        double best = 1e300;
        double first = -1;
        for (const Read& r : reads) {
            if (r.total <= i)
                continue;
            if (first < 0)
                first = r.time;
            if (r.time > first + 0.3)
                break;
            best = std::min(best, r.time - double(r.total - 1 - i) / kAudioRate);
        }
        return best;
    }
    // Samples recorded per second of the reads' clock, from the first read on.
    double recordedRate() const
    {
        std::lock_guard<std::mutex> guard(lock);
        if (reads.size() < 2)
            return 0;
        return double(reads.back().total - reads.front().total) / (reads.back().time - reads.front().time);
    }
    // The first sample read after time t.
    size_t indexAfter(double t) const
    {
        std::lock_guard<std::mutex> guard(lock);
        for (const Read& r : reads)
            if (r.time > t)
                return r.total - r.count;
        return left.size();
    }

private:
    struct Read
    {
        double time;
        size_t total; // samples read up to this read
        size_t count; // samples in this read
    };

    void readAll()
    {
        const int fd = fileno(pipe);
        std::vector<int16_t> frames(2 * 4800);
        size_t pendingBytes = 0;
        while (!stopping) {
            const ssize_t n = ::read(fd, reinterpret_cast<char*>(frames.data()) + pendingBytes,
                                     frames.size() * 2 - pendingBytes);
            if (n <= 0)
                return;
            const double t = nowSeconds();
            const size_t bytes = pendingBytes + size_t(n);
            const size_t whole = bytes / 4;
            std::lock_guard<std::mutex> guard(lock);
            for (size_t k = 0; k < whole; ++k)
                left.push_back(frames[2 * k] / 32768.0f);
            reads.push_back({t, left.size(), whole});
            pendingBytes = bytes % 4;
            std::memmove(frames.data(), reinterpret_cast<char*>(frames.data()) + whole * 4, pendingBytes);
        }
    }

    FILE* pipe = nullptr;
    std::thread reader;
    std::atomic<bool> stopping{false};
    mutable std::mutex lock;
    std::vector<float> left;
    std::vector<Read> reads;
};

// Amplitude of the 1 kHz component over kWindow samples from first (a whole number of
// its periods, 48 samples each).
double toneLevel(const std::vector<float>& x, size_t first)
{
    constexpr int kPeriod = int(kAudioRate / kToneHz);
    static const auto phasors = [] {
        std::vector<std::complex<float>> p(kPeriod);
        for (int n = 0; n < kPeriod; ++n)
            p[n] = std::polar(1.0f, float(-2 * M_PI * n / kPeriod));
        return p;
    }();
    std::complex<float> sum = 0;
    for (int n = 0; n < kWindow; ++n)
        sum += x[first + n] * phasors[(first + n) % kPeriod];
    return 2.0 * std::abs(sum) / kWindow;
}

void serveEventsFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QThread::msleep(2);
    }
}

struct Session
{
    HardwareLoader& receiver;
    Controller& engine;
    MonitorRecorder& monitor;
    double steadyLevel = 0;

    // The median tone level over the last ms of the recording.
    double recentLevel(int ms)
    {
        const std::vector<float> x = monitor.samples();
        std::vector<double> levels;
        for (size_t i = x.size() - size_t(ms) * kAudioRate / 1000; i + kWindow <= x.size(); i += kWindow)
            levels.push_back(toneLevel(x, i));
        std::sort(levels.begin(), levels.end());
        return levels.empty() ? 0 : levels[levels.size() / 2];
    }

    // Seconds from `since` to the first window from there on at half the steady level;
    // negative when none came.
    double arrivalAfter(double since)
    {
        const std::vector<float> x = monitor.samples();
        for (size_t i = monitor.indexAfter(since - 0.05); i + kWindow <= x.size(); i += kStep)
            if (toneLevel(x, i) >= 0.5 * steadyLevel)
                return monitor.timeOf(i + kWindow / 2) - since;
        return -1;
    }

    double toneDueTime()
    {
        QString due;
        receiver.getParam(SyntheticScene::UsbToneSinceParam, due);
        return due.isEmpty() ? 0.0 : due.toLongLong() * 1e-9;
    }

    double keyedTrial()
    {
        receiver.setParam(SyntheticScene::UsbToneParam, QStringLiteral("0"));
        serveEventsFor(1500);
        const double offDue = toneDueTime();
        receiver.setParam(SyntheticScene::UsbToneParam, QStringLiteral("1"));
        double due = offDue;
        for (int i = 0; i < 500 && due == offDue; ++i) {
            serveEventsFor(2);
            due = toneDueTime();
        }
        serveEventsFor(1500);
        return arrivalAfter(due);
    }

    double retuneTrial()
    {
        engine.setRxOffset(kParkOffsetHz, 0);
        serveEventsFor(1500);
        const double retune = nowSeconds();
        engine.setRxOffset(int(SyntheticScene::UsbDialOffsetHz), 0);
        serveEventsFor(1500);
        return arrivalAfter(retune);
    }

    // Runs of windows below half the steady level during the last seconds.
    int gapsOver(int seconds, double* quietMs)
    {
        const std::vector<float> x = monitor.samples();
        int gaps = 0;
        bool inGap = false;
        int quietWindows = 0;
        for (size_t i = x.size() - size_t(seconds) * kAudioRate; i + kWindow <= x.size(); i += kWindow) {
            const bool quiet = toneLevel(x, i) < 0.5 * steadyLevel;
            quietWindows += quiet;
            gaps += quiet && !inGap;
            inGap = quiet;
        }
        *quietMs = quietWindows * 1000.0 * kWindow / kAudioRate;
        return gaps;
    }
};

void printTrials(const char* what, const std::vector<double>& seconds, double targetMs, double boundMs)
{
    std::vector<double> ms;
    for (double s : seconds)
        if (s >= 0)
            ms.push_back(s * 1000);
    std::sort(ms.begin(), ms.end());
    std::printf("  %-7s", what);
    for (double m : ms)
        std::printf(" %.0f", m);
    const int missed = int(seconds.size() - ms.size());
    if (ms.empty()) {
        std::printf("  no arrival heard  NOT MET\n");
        return;
    }
    const double median = ms[ms.size() / 2];
    std::printf(" ms%s; median %.0f ms, worst %.0f ms (bound of the sizes %.0f ms; median target under "
                "%.0f)  %s\n",
                missed ? " (some trials heard nothing)" : "", median, ms.back(), boundMs, targetMs,
                !missed && median < targetMs ? "met" : "NOT MET");
}

// What the chain's sizes let stand between the receiver and the sound device's output at
// most: a fetch, a channel filter frame, two audio blocks and the device's buffer.
double printBound(const Controller& engine)
{
    const double fetchMs =
        1000.0 * Controller::blocksPerFetchFor(kRate) * SyntheticScene::SamplesPerBlock / kRate;
    const double frameMs = 1000.0 * CFastFIR::kFrame / engine.main_channelizer->decimatedRate();
    const double blocksMs = 2 * 1000.0 * MultiSDR::AudioBlock / kAudioRate;
    const double deviceMs = engine.audioOutput->deviceBufferMs();
    const double bound = fetchMs + frameMs + blocksMs + deviceMs;
    std::printf(
        "  bound   a fetch %.0f + a filter frame %.0f + two audio blocks %.0f + the device buffer %.0f "
        "= %.0f ms\n",
        fetchMs, frameMs, blocksMs, deviceMs, bound);
    return bound;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type >= QtCriticalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    const int trials = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    const int busyThreads = argc > 2 ? std::max(0, std::atoi(argv[2])) : 0;
    const int steadySeconds = argc > 3 ? std::max(2, std::atoi(argv[3])) : 20;

    std::atomic<bool> stopLoad{false};
    std::vector<std::thread> load;
    for (int i = 0; i < busyThreads; ++i)
        load.emplace_back([&stopLoad] {
            volatile double x = 1;
            while (!stopLoad)
                x = x * 1.0000001 + 1e-9;
        });

    QTemporaryDir work;
    AppPaths::setApplicationDir(work.path());
    HardwareLoader receiver(0);
    if (!receiver.loadDLL(QCoreApplication::applicationDirPath() + "/../fixtures/EXTSDR_Synthetic.dll")) {
        std::fprintf(stderr, "cannot load the synthetic receiver\n");
        return 1;
    }
    receiver.setRxSampleRate(kRate);
    receiver.setParam(SyntheticScene::RealtimeParam, QStringLiteral("1"));

    // An idle null sink first finishes a long sleep: the recording runs before the
    // engine starts playing.
    MonitorRecorder monitor;
    if (!monitor.start()) {
        std::fprintf(stderr, "no null sink monitor: source scripts/pulse-null-sink.sh first\n");
        return 1;
    }
    for (int i = 0; i < 400 && monitor.size() == 0; ++i)
        serveEventsFor(10);
    if (monitor.size() == 0) {
        std::fprintf(stderr, "the null sink's monitor records nothing\n");
        return 1;
    }
    USBdemodulator usb;
    auto engine = std::make_unique<Controller>(QStringLiteral("tarnx_null"));
    engine->setReceiverHardware(&receiver);
    engine->startEngine();
    engine->installDemodulator(&usb, 0);
    engine->setRxOffset(int(SyntheticScene::UsbDialOffsetHz), 0);
    engine->turnChannelOn(0);
    serveEventsFor(3000); // the chain fills and the AGC settles

    Session session{receiver, *engine, monitor};
    session.steadyLevel = session.recentLevel(1000);
    std::printf("Audio latency, %d S/s, RX A alone in USB on a 1 kHz tone, into the null sink; %d busy "
                "threads; tone level at the monitor %.3f of full scale\n",
                kRate, busyThreads, session.steadyLevel);
    if (session.steadyLevel < 0.01) {
        std::printf("  no tone heard at the monitor\n");
        return 1;
    }
    std::vector<double> keyed, retuned;
    for (int t = 0; t < trials; ++t) {
        keyed.push_back(session.keyedTrial());
        retuned.push_back(session.retuneTrial());
    }
    const double bound = printBound(*engine);
    printTrials("keyed", keyed, kKeyedTargetMs, bound);
    printTrials("retune", retuned, kRetuneTargetMs, bound);

    serveEventsFor(steadySeconds * 1000);
    double quietMs = 0;
    const int gaps = session.gapsOver(steadySeconds - 1, &quietMs);
    std::printf("  steady  %d s of tone: %d gaps, %.0f ms quiet  %s; sound device buffer %d ms at the end\n",
                steadySeconds - 1, gaps, quietMs, gaps == 0 ? "no underrun" : "UNDERRUNS",
                engine->audioOutput->deviceBufferMs());

    engine->shutdown();
    stopLoad = true;
    for (std::thread& t : load)
        t.join();
    return 0;
}
