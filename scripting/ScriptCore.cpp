#include "scripting/ScriptCore.h"

#include "core/QLogger.h"
#include "scripting/JWindow.h"
#include "scripting/ScriptEngine.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMessageBox>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <memory>

namespace {

ScriptCore* s_core = nullptr;
// Scripts left running inside a call to the engine; each counts itself out as its thread ends.
std::atomic<int> s_scriptsInEngine{0};
// How long a script left running may take to come back from a call to the engine.
constexpr int DetachTimeoutMs = 1000;

} // namespace

ScriptCore* ScriptCore::instance()
{
    // The core owns widgets and serves queued requests: it belongs to the GUI thread.
    Q_ASSERT(QCoreApplication::instance() != nullptr &&
             QThread::currentThread() == QCoreApplication::instance()->thread());
    if (s_core == nullptr) {
        s_core = new ScriptCore();
        static const bool atExit = [] {
            qAddPostRoutine(&ScriptCore::release);
            return true;
        }();
        Q_UNUSED(atExit);
    }
    return s_core;
}

void ScriptCore::release()
{
    delete s_core;
}

bool ScriptCore::engineInUse()
{
    return s_scriptsInEngine.load() > 0;
}

ScriptCore::ScriptCore()
{
    windowOwners.fill(-1);
    // Scripts stop when the event loop ends, before the main window and the
    // engine unwind.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &ScriptCore::release);
}

ScriptCore::~ScriptCore()
{
    const QList<ScriptEngine*> scripts = findChildren<ScriptEngine*>(QString(), Qt::FindDirectChildrenOnly);
    for (ScriptEngine* script : scripts)
        script->requestStop();
    for (ScriptEngine* script : scripts) {
        if (script->wait(ScriptEngine::StopTimeoutMs)) {
            delete script;
            continue;
        }
        // A running thread must not be destroyed: it is left behind, cut off
        // from the engine and the panel, and said so.
        script->setParent(nullptr);
        if (script->detachContext(DetachTimeoutMs)) {
            QLogger::logError(
                LogModule,
                QStringLiteral("ScriptCore: script %1 did not stop, left running").arg(script->id()));
            continue;
        }
        QLogger::logError(LogModule,
                          QStringLiteral("ScriptCore: script %1 did not stop, left running inside a "
                                         "call to the engine, which is kept")
                              .arg(script->id()));
        ++s_scriptsInEngine;
        // Counted out once as its thread ends, which may have happened already.
        auto inEngine = std::make_shared<std::atomic<bool>>(true);
        const auto countOut = [inEngine] {
            if (inEngine->exchange(false))
                --s_scriptsInEngine;
        };
        connect(script, &QThread::finished, countOut);
        if (script->isFinished())
            countOut();
    }
    for (JWindow*& window : windows) {
        delete window;
        window = nullptr;
    }
    const QList<OpenBox> boxes = openBoxes;
    openBoxes.clear();
    for (const OpenBox& open : boxes)
        delete open.box;
    s_core = nullptr;
}

void ScriptCore::setController(Controller* engine, MainReceiver* rxA)
{
    controller = engine;
    mainReceiver = rxA;
}

void ScriptCore::runScriptFile(const QString& path)
{
    start(new ScriptEngine(path, ++scriptCounter, this));
}

void ScriptCore::runScriptSource(const QString& source)
{
    auto* script = new ScriptEngine(++scriptCounter, this);
    script->setSource(source);
    start(script);
}

void ScriptCore::runAction(const QString& action)
{
    if (action.isEmpty())
        return;
    if (action.startsWith(QLatin1String("orvex.")))
        runScriptSource(action);
    else
        runScriptFile(action);
}

void ScriptCore::start(ScriptEngine* script)
{
    connect(script, &ScriptEngine::scriptEnds, this, &ScriptCore::scriptEnds);
    connect(script, &ScriptEngine::scriptStarts, this, &ScriptCore::scriptStarts);
    connect(script, &ScriptEngine::scriptError, this, &ScriptCore::SLOT_scriptError, Qt::QueuedConnection);
    connect(script, &ScriptEngine::ask_showFigure, this, &ScriptCore::showFigure, Qt::QueuedConnection);
    connect(script, &ScriptEngine::ask_allocWindow, this, &ScriptCore::allocWindow, Qt::QueuedConnection);
    connect(script, &ScriptEngine::ask_plot_values, this, &ScriptCore::plot_values, Qt::QueuedConnection);
    connect(script, &ScriptEngine::ask_exec, this, &ScriptCore::do_exec, Qt::QueuedConnection);
    const int id = script->id();
    connect(
        script, &ScriptEngine::ask_alert, this, [this, id](const QString& msg) { alertFrom(id, msg); },
        Qt::QueuedConnection);
    // The alerts it sent have all been served by then.
    connect(script, &QObject::destroyed, this, [this, id] { alertsLogged.remove(id); });
    script->setContext(controller, mainReceiver);
    connect(script, &QThread::finished, script, &QObject::deleteLater);
    script->start();
}

ScriptEngine* ScriptCore::runningScript(int id) const
{
    const QList<ScriptEngine*> scripts = findChildren<ScriptEngine*>(QString(), Qt::FindDirectChildrenOnly);
    for (ScriptEngine* script : scripts) {
        if (script->id() == id)
            return script;
    }
    return nullptr;
}

JWindow* ScriptCore::window(int slot) const
{
    return slot >= 0 && slot < FigureSlots ? windows[slot] : nullptr;
}

void ScriptCore::allocWindow(int scriptid)
{
    int figno = 0;
    for (int slot = 0; slot < FigureSlots; ++slot) {
        if (windows[slot] != nullptr)
            continue;
        auto* window = new JWindow(scriptid);
        windows[slot] = window;
        windowOwners[slot] = scriptid;
        connect(window, &JWindow::window_closed, this, &ScriptCore::window_closed);
        qDebug() << "ScriptCore::allocWindow use figno=" << slot;
        figno = slot + 1;
        break;
    }
    if (ScriptEngine* script = runningScript(scriptid))
        script->figureAllocated(figno);
}

void ScriptCore::showFigure(int figno)
{
    JWindow* shown = window(figno);
    if (shown == nullptr)
        return;
    shown->setMinimumWidth(200);
    shown->setMinimumHeight(100);
    shown->show();
}

void ScriptCore::plot_values(int figno, QVector<double> vals)
{
    if (JWindow* target = window(figno))
        target->plot(vals.constData(), vals.size());
}

void ScriptCore::scriptStarts(int id)
{
    qDebug() << "ScriptCore::scriptStarts " << id;
}

void ScriptCore::scriptEnds(int id)
{
    qDebug() << "ScriptCore::scriptEnds  " << id;
}

void ScriptCore::window_closed(int id)
{
    qDebug() << "ScriptCore::window_closed  " << id;
    for (int slot = 0; slot < FigureSlots; ++slot) {
        if (windowOwners[slot] != id || windows[slot] == nullptr)
            continue;
        // Deferred: one of them is still inside its own close handling.
        windows[slot]->hide();
        windows[slot]->deleteLater();
        windows[slot] = nullptr;
        windowOwners[slot] = -1;
    }
}

void ScriptCore::SLOT_createIndicator(QString, double, double, QString) {}

void ScriptCore::SLOT_updateIndicator(double) {}

void ScriptCore::process_error(QProcess::ProcessError error)
{
    qDebug() << "ScriptCore::process_error";
    if (error == QProcess::FailedToStart)
        qDebug() << "error QProcess::FailedToStart";
}

void ScriptCore::process_finished(int exitCode, QProcess::ExitStatus)
{
    qDebug() << "ScriptCore::process_finished" << exitCode;
}

void ScriptCore::do_exec(int scriptid, QString task)
{
    qDebug() << "ScriptCore::do_exec " << scriptid << task;
    QStringList arguments = QProcess::splitCommand(task);
    const QString program = arguments.isEmpty() ? QString() : arguments.takeFirst();
    if (program.isEmpty() || !QProcess::startDetached(program, arguments)) {
        qDebug() << "ScriptCore::do_exec startDetached NOK";
        showBox(QStringLiteral("Erreur au lancement de :\n") + task);
    }
}

void ScriptCore::do_alert(QString msg)
{
    showBox(msg);
}

void ScriptCore::alertFrom(int scriptId, const QString& msg)
{
    if (alertsLogged.contains(scriptId)) {
        QLogger::logInfo(LogModule,
                         QStringLiteral("ScriptCore: alert of script %1: %2").arg(scriptId).arg(msg));
        return;
    }
    showBox(msg, scriptId);
    if (openBoxesOf(scriptId) < MaxOpenBoxes)
        return;
    alertsLogged.insert(scriptId);
    QLogger::logWarning(
        LogModule, QStringLiteral("ScriptCore: script %1 has %2 boxes open, its later alerts go to the log")
                       .arg(scriptId)
                       .arg(MaxOpenBoxes));
}

int ScriptCore::openBoxesOf(int scriptId) const
{
    return int(std::count_if(openBoxes.begin(), openBoxes.end(),
                             [scriptId](const OpenBox& open) { return open.scriptId == scriptId; }));
}

void ScriptCore::SLOT_scriptError(QString src, QString msg, int line_no)
{
    Q_UNUSED(src);
    showBox(line_no <= 0 ? msg : msg + QLatin1Char('\n') + tr("ligne:") + QString::number(line_no));
}

void ScriptCore::showBox(const QString& text, int scriptId)
{
    if (openBoxes.size() >= MaxOpenBoxes) {
        QLogger::logWarning(
            LogModule,
            QStringLiteral("ScriptCore: %1 boxes open, message not shown: %2").arg(MaxOpenBoxes).arg(text));
        return;
    }
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Orvex"), text, QMessageBox::Yes);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    openBoxes.append({box, scriptId});
    connect(box, &QObject::destroyed, this, [this, box] {
        openBoxes.erase(std::remove_if(openBoxes.begin(), openBoxes.end(),
                                       [box](const OpenBox& open) { return open.box == box; }),
                        openBoxes.end());
    });
    box->show();
}
