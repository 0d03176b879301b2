#pragma once

#include <QList>
#include <QObject>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QVector>

#include <array>

class Controller;
class JWindow;
class MainReceiver;
class QMessageBox;
class ScriptEngine;

// The one object through which scripts start and reach the GUI, on the GUI
// thread. It starts each script on its own ScriptEngine thread with the engine
// and the RX A panel the main window handed over, and serves the scripts'
// queued requests: ten figure windows shared by all scripts (figure number =
// slot + 1), message boxes titled "Orvex", and detached programs.
//
// A box never runs an event loop of its own (a script may alert faster than
// boxes are closed, and each request arrives through the loop): it is shown
// and left to close itself. At most MaxOpenBoxes are open at once; a message
// beyond them goes to the log instead. A script that has MaxOpenBoxes of its
// alerts open at once alerts in a loop: its later alerts go to the log for the
// rest of its run, so that once the user has closed its boxes (they are modal)
// nothing new blocks the main window, which can then be closed.
//
// Lifetime: created by the first instance() call, on the GUI thread. release()
// (or the application's quit, which calls it) stops every running script
// within a bound and closes the figure windows and the boxes; it must run
// before the engine or the RX A panel go away, since scripts call them directly.
// A script that does not stop is left running, cut off from both; one still
// inside a call to the engine then keeps the engine in use (engineInUse).
class ScriptCore : public QObject
{
    Q_OBJECT
public:
    static constexpr int FigureSlots = 10;
    static constexpr int MaxOpenBoxes = 10;

    static ScriptCore* instance();
    // Destroys the core, if there is one: the orderly stop described above.
    static void release();
    // Whether a script left running by release() is still inside a call to
    // the engine: the engine and its receiver must then not be freed.
    static bool engineInUse();

    ~ScriptCore() override;

    // Scripts started from now on act on this engine and RX A panel.
    void setController(Controller* engine, MainReceiver* rxA);
    void runScriptFile(const QString& path);
    void runScriptSource(const QString& source);
    // A user action: empty does nothing; text beginning with "orvex." is a
    // script in itself, anything else the path of a script file.
    void runAction(const QString& action);

    // The window of a figure slot (0 .. 9), or null.
    JWindow* window(int slot) const;

public slots:
    void SLOT_scriptError(QString src, QString msg, int line_no);
    // For indicators a script would show; scripts have no function for them yet.
    void SLOT_createIndicator(QString name, double min_value, double max_value, QString unit_displayed);
    void SLOT_updateIndicator(double newValue);
    // Slot numbers here, figure numbers minus 1.
    void showFigure(int figno);
    void allocWindow(int scriptid);
    void plot_values(int figno, QVector<double> vals);
    void scriptStarts(int id);
    void scriptEnds(int id);
    void window_closed(int id);
    void do_exec(int scriptid, QString task);
    void do_alert(QString msg);

private slots:
    // For a program started with a process object; do_exec starts programs
    // detached, so no process reports to these.
    void process_error(QProcess::ProcessError error);
    void process_finished(int exitCode, QProcess::ExitStatus exitStatus);

private:
    ScriptCore();
    void start(ScriptEngine* engine);
    ScriptEngine* runningScript(int id) const;
    // Shows a box titled "Orvex" for a script (0: none), or logs text when
    // MaxOpenBoxes are open.
    void showBox(const QString& text, int scriptId = 0);
    // An alert of a running script: a box, or the log once its alerts go there.
    void alertFrom(int scriptId, const QString& msg);
    int openBoxesOf(int scriptId) const;

    int scriptCounter = 0;
    Controller* controller = nullptr;
    MainReceiver* mainReceiver = nullptr;
    std::array<JWindow*, FigureSlots> windows{};
    std::array<int, FigureSlots> windowOwners;
    struct OpenBox
    {
        QMessageBox* box;
        int scriptId;
    };
    // Shown and not yet closed; each box deletes itself when closed.
    QList<OpenBox> openBoxes;
    // Running scripts whose alerts go to the log.
    QSet<int> alertsLogged;
};
