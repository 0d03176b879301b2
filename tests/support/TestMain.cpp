// Test main shared by every test program: a widget application on Qt's offscreen
// platform, so that widgets, timers and queued signals work without a display.
#include "LeakSuppressions.h"
#include "core/ProcessEnd.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Only the programs that play into the shared null sink and record it (run
    // one at a time, told so by CTest) talk to its server; the others talk to a
    // server nobody plays into, which sends them no sink or source events (see
    // scripts/pulse-null-sink.sh). Set before anything connects to a server.
    if (!qEnvironmentVariableIsSet("TARNX_SHARED_SINK") &&
        qEnvironmentVariableIsSet("TARNX_QUIET_PULSE_SERVER"))
        qputenv("PULSE_SERVER", qgetenv("TARNX_QUIET_PULSE_SERVER"));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int result = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    // The tests' result, without the sound library's exit-time teardown, which
    // can abort after every test has passed (see core/ProcessEnd.h).
    endProcess(result);
}

// Defaults for the sanitizers of every test program, compiled in so that they
// also hold when CTest lists the tests (it passes no environment then).
extern "C" {

const char* __lsan_default_suppressions()
{
    return SystemLibraryLeaks;
}

// LeakSanitizer's tracking of dynamic thread-local storage misreads the slots of
// modules that were loaded and unloaded at run time (ALSA's plug-ins, which Qt
// Multimedia's device lists load) and crashes at exit; static thread-local
// storage is still scanned.
const char* __asan_default_options()
{
    return "detect_leaks=1:intercept_tls_get_addr=0";
}
}
