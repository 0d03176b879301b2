// The program as a user runs it, measured: the release executable on a private
// X server with the synthetic receiver at 2.048 MS/s, RX A and RX B switched
// on, RX A's spectrum and waterfall shown and RX B's display fed behind its
// tab, for 60 s. Prints the CPU the program used as a share of one core and
// its resident memory at 10 s and at 60 s (targets: under 14 % of one core, no
// growth between the two beyond the heap's own noise of a megabyte).
//
// Run from a release build (with the tests, for the synthetic receiver):
// build/release/bench/bench_program

#include "DrivenProgram.h"
#include "WaitFor.h"
#include "X11Session.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int ShowTimeoutMs = 60000;
constexpr int FirstMarkS = 10;
constexpr int LastMarkS = 60;
constexpr double TargetCpuPercent = 14.0;
constexpr double GrowthNoiseMiB = 1.0;

struct Usage
{
    double cpuSeconds = -1;
    long residentKiB = -1;
};

// User and system time and resident set of a process, from /proc.
Usage usageOf(qint64 pid)
{
    Usage usage;
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        // Fields after the command name (which may hold spaces): state is field 3,
        // utime and stime are fields 14 and 15.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 12)
            usage.cpuSeconds =
                double(fields[11].toLongLong() + fields[12].toLongLong()) / sysconf(_SC_CLK_TCK);
    }
    QFile status(QString("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                usage.residentKiB = line.mid(6).trimmed().split(' ').first().toLong();
    }
    return usage;
}

void serveEventsFor(int ms)
{
    waitFor([] { return false; }, ms);
}

bool fail(const char* what)
{
    std::fprintf(stderr, "bench_program: %s\n", what);
    return false;
}

// Both receivers on at 2.048 MS/s, RX A's tab shown again.
bool receiveOnBothChannels(X11Session& x, DrivenProgram& program)
{
    const qulonglong dialog = program.waitForSelection(ShowTimeoutMs);
    if (dialog == 0)
        return fail("the receiver selection never showed");
    program.chooseFirstReceiver(dialog, true);
    const qulonglong window = program.waitForMainWindow(ShowTimeoutMs);
    if (window == 0)
        return fail("the main window never showed its controls");

    x.click(window, program.picture().receiverOnOff());
    if (!program.waitForLog("Controller::run() local_context[0].rx_samplerate=2048000", ShowTimeoutMs))
        return fail("RX A never started receiving at 2.048 MS/s");

    x.key("F2");
    MainWindowPicture rxB;
    if (!program.waitForPicture([](const MainWindowPicture& shown) { return shown.shownReceiverTab() == 1; },
                                ShowTimeoutMs, &rxB))
        return fail("RX B's tab never showed");
    const QImage before = program.picture().image();
    x.click(window, rxB.receiverOnOff());
    // Its button then reads "Arret" instead of "Marche".
    if (!program.waitForPicture(
            [&](const MainWindowPicture& shown) { return shown.changedAround(rxB.receiverOnOff(), before); },
            ShowTimeoutMs))
        return fail("RX B's on/off button never changed");
    x.key("F1");
    if (!program.waitForPicture([](const MainWindowPicture& shown) { return shown.shownReceiverTab() == 0; },
                                ShowTimeoutMs))
        return fail("RX A's tab never showed again");
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    X11Session x;
    QTemporaryDir folder;
    DrivenProgram program(x, folder.path());
    if (!x.running() || !folder.isValid())
        return fail("no X server or no temporary folder"), 1;
    if (!program.install(TARNX_EXECUTABLE, TARNX_SYNTHETIC_DRIVER))
        return fail("the program could not be copied"), 1;
    // Only the figures go to this program's output.
    if (!program.start(program.file("program-output.txt")))
        return fail("the program did not start"), 1;
    if (!receiveOnBothChannels(x, program))
        return 1;

    const qint64 pid = program.process().processId();
    const Usage start = usageOf(pid);
    serveEventsFor(FirstMarkS * 1000);
    const Usage first = usageOf(pid);
    serveEventsFor((LastMarkS - FirstMarkS) * 1000);
    const Usage last = usageOf(pid);
    if (program.process().state() != QProcess::Running || last.cpuSeconds < 0)
        return fail("the program ended while measured"), 1;

    std::printf("program: synthetic receiver at 2048000 S/s, RX A and RX B on, RX A's display shown\n");
    std::printf("CPU  0-%2d s: %5.1f %% of one core\n", FirstMarkS,
                100.0 * (first.cpuSeconds - start.cpuSeconds) / FirstMarkS);
    const double cpuPercent = 100.0 * (last.cpuSeconds - first.cpuSeconds) / (LastMarkS - FirstMarkS);
    std::printf("CPU %2d-%2d s: %5.1f %% of one core (target: under %.0f %%)  %s\n", FirstMarkS, LastMarkS,
                cpuPercent, TargetCpuPercent, cpuPercent < TargetCpuPercent ? "met" : "NOT MET");
    std::printf("resident memory at %2d s: %7.1f MiB\n", FirstMarkS, first.residentKiB / 1024.0);
    const double growthMiB = (last.residentKiB - first.residentKiB) / 1024.0;
    std::printf("resident memory at %2d s: %7.1f MiB (growth %+.1f MiB; target: none, within %.0f MiB)  %s\n",
                LastMarkS, last.residentKiB / 1024.0, growthMiB, GrowthNoiseMiB,
                growthMiB <= GrowthNoiseMiB ? "met" : "NOT MET");

    x.requestClose(program.mainWindow());
    if (!program.exitsWithin(ShowTimeoutMs))
        return fail("the program did not end after its window closed"), 1;
    return 0;
}
