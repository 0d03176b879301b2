// Test main shared by every test program: a widget application on Qt's offscreen
// platform, so that widgets, timers and queued signals work without a display.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Defaults for the sanitizers of every test program, compiled in so that they
// also hold when CTest lists the tests (it passes no environment then).
// Only leaks whose allocation stack lies in a system library are suppressed:
// a block our code allocates and loses is still reported.
extern "C" {

const char* __lsan_default_suppressions()
{
    return "leak:libQt5Core\n"
           "leak:libQt5Gui\n"
           "leak:libQt5Widgets\n"
           "leak:libQt5Multimedia\n"
           "leak:libQt5Network\n"
           "leak:libQt5Sql\n"
           "leak:libQt5Script\n"
           "leak:libqoffscreen\n"
           "leak:libqxcb\n"
           "leak:libfontconfig\n"
           "leak:libdbus\n"
           "leak:libpulse\n"
           "leak:libqtmedia_pulse\n";
}

const char* __asan_default_options()
{
    return "detect_leaks=1";
}
}
