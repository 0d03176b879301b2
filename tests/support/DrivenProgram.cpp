#include "DrivenProgram.h"

#include "LeakSuppressions.h"
#include "WaitFor.h"
#include "X11Session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The dialog's layout: a table over a sample-rate row over a row of three
// equal buttons ("Utiliser ...", "Remote Beamhost", "Quitter le programme").
const QPoint FirstReceiverRow(120, 45);
const QPoint RateBox(210, -69); // from the dialog's bottom
const int ButtonRowFromBottom = 33;

} // namespace

DrivenProgram::DrivenProgram(X11Session& x, const QString& folder) : m_x(x), m_folder(folder) {}

DrivenProgram::~DrivenProgram()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

bool DrivenProgram::install(const QString& executable, const QString& driver)
{
    const QString program = file(QFileInfo(executable).fileName());
    if (!QFile::copy(executable, program) || !QFile::setPermissions(program, QFile::permissions(executable)))
        return false;
    m_process.setProgram(program);
    return QFile::copy(driver, file(QFileInfo(driver).fileName())) && QDir(m_folder).mkpath("record");
}

bool DrivenProgram::start(const QString& outputFile)
{
    QFile suppressions(file("leak-suppressions.txt"));
    if (!suppressions.open(QIODevice::WriteOnly) || suppressions.write(SystemLibraryLeaks) < 0)
        return false;
    suppressions.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_x.display());
    env.insert("QT_QPA_PLATFORM", "xcb");
    // The program draws nothing with OpenGL: without the X11 GL integration it
    // never loads the machine's GL drivers (Mesa's, unloaded before exit, leave
    // leaks LeakSanitizer cannot attribute), so the run does not depend on them.
    env.insert("QT_XCB_GL_INTEGRATION", "none");
    env.insert("LANG", "fr_FR.UTF-8");
    env.insert("LC_ALL", "fr_FR.UTF-8");
    // Read by a program built with the sanitizers, ignored by any other.
    env.insert("LSAN_OPTIONS", "suppressions=" + suppressions.fileName() + ":print_suppressions=0");
    env.insert("ASAN_OPTIONS", "intercept_tls_get_addr=0"); // as in the test programs (TestMain.cpp)
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(m_folder);
    if (outputFile.isEmpty()) {
        m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    } else {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setStandardOutputFile(outputFile);
    }
    m_process.start();
    return m_process.waitForStarted(10000);
}

qulonglong DrivenProgram::waitForSelection(int timeoutMs)
{
    return m_x.waitForWindow("Choix du SDR", timeoutMs);
}

void DrivenProgram::chooseFirstReceiver(qulonglong dialog, bool fastestRate)
{
    const QRect frame = m_x.geometry(dialog);
    m_x.focus(dialog);
    m_x.click(dialog, FirstReceiverRow);
    if (fastestRate) {
        // The rate box lists the rates in rising order: its last one.
        m_x.click(dialog, QPoint(RateBox.x(), frame.height() + RateBox.y()));
        m_x.key("End");
        m_x.key("Return");
    }
    // "Utiliser ..." is the dialog's default button.
    m_x.key("Return");
}

void DrivenProgram::quitFromSelection(qulonglong dialog)
{
    const QRect frame = m_x.geometry(dialog);
    m_x.focus(dialog);
    m_x.click(dialog, QPoint(frame.width() * 5 / 6, frame.height() - ButtonRowFromBottom));
}

qulonglong DrivenProgram::waitForMainWindow(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    m_window = m_x.waitForWindow("Vantor-SDR Client", timeoutMs);
    if (m_window == 0)
        return 0;
    m_x.focus(m_window);
    const int left = std::max(0, timeoutMs - int(clock.elapsed()));
    return waitForPicture([](const MainWindowPicture& shown) { return shown.complete(); }, left) ? m_window
                                                                                                 : 0;
}

MainWindowPicture DrivenProgram::picture() const
{
    return MainWindowPicture(m_x.screenshot(m_window));
}

bool DrivenProgram::waitForPicture(const std::function<bool(const MainWindowPicture&)>& shows, int timeoutMs,
                                   MainWindowPicture* last)
{
    return waitFor(
        [&] {
            const MainWindowPicture shown = picture();
            if (last != nullptr)
                *last = shown;
            return shows(shown);
        },
        timeoutMs);
}

QString DrivenProgram::log() const
{
    QFile log(file("logs/vantor-sdr.log"));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

bool DrivenProgram::waitForLog(const QString& text, int timeoutMs) const
{
    return waitFor([&] { return log().contains(text); }, timeoutMs);
}

bool DrivenProgram::exitsWithin(int timeoutMs)
{
    return waitFor([&] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
}
