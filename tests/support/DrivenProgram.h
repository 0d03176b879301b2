#pragma once

#include "MainWindowPicture.h"

#include <QProcess>
#include <QString>

#include <functional>

class X11Session;

// The real executable as a user runs it, on a private X server: a copy of the
// program and of a receiver driver in a folder of its own (the program keeps
// conf/, db/, logs/ and record/ beside itself), started in French, and the
// steps a user takes through its dialogs. Every wait is for something the
// program shows or writes, with a bound.
class DrivenProgram
{
public:
    DrivenProgram(X11Session& x, const QString& folder);
    // Kills a program still running.
    ~DrivenProgram();
    DrivenProgram(const DrivenProgram&) = delete;
    DrivenProgram& operator=(const DrivenProgram&) = delete;

    // Copies the program and the driver into the folder and makes record/,
    // which the program does not create.
    bool install(const QString& executable, const QString& driver);
    // The program's own output goes to ours, or to outputFile when one is named.
    bool start(const QString& outputFile = QString());
    QProcess& process() { return m_process; }
    QString file(const QString& relative) const { return m_folder + "/" + relative; }

    // The receiver selection dialog, once shown; 0 when not within timeoutMs.
    qulonglong waitForSelection(int timeoutMs);
    // The first receiver of the list (at its fastest sample rate when asked),
    // then "Utiliser" with the Return key.
    void chooseFirstReceiver(qulonglong dialog, bool fastestRate = false);
    // "Quitter le programme".
    void quitFromSelection(qulonglong dialog);

    // The main window, once its picture shows its controls; 0 when not within timeoutMs.
    qulonglong waitForMainWindow(int timeoutMs);
    MainWindowPicture picture() const;
    // Waits until the window's picture satisfies shows; the last picture taken goes to last.
    bool waitForPicture(const std::function<bool(const MainWindowPicture&)>& shows, int timeoutMs,
                        MainWindowPicture* last = nullptr);
    qulonglong mainWindow() const { return m_window; }

    // The program's log (logs/vantor-sdr.log) as written so far.
    QString log() const;
    // Whether the program's log holds text, waiting up to timeoutMs.
    bool waitForLog(const QString& text, int timeoutMs) const;
    bool exitsWithin(int timeoutMs);

private:
    X11Session& m_x;
    QString m_folder;
    QProcess m_process;
    qulonglong m_window = 0;
};
