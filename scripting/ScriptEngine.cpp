#include "scripting/ScriptEngine.h"

#include "core/QLogger.h"
#include "engine/Controller.h"
#include "engine/MultiSDR.h"
#include "ui/panels/MainReceiver.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QScriptEngine>
#include <QTimer>

#include <limits>

namespace {

// How often a running evaluation serves its thread's events, where a stop is noticed.
constexpr int AbortCheckMs = 20;

} // namespace

ScriptEngine::ScriptEngine(const QString& fileName, int id, QObject* parent)
    : QThread(parent), scriptId(id), fromFile(true), fileName(fileName)
{
}

ScriptEngine::ScriptEngine(int id, QObject* parent) : QThread(parent), scriptId(id), fromFile(false) {}

ScriptEngine::~ScriptEngine()
{
    requestStop();
    wait(StopTimeoutMs);
    qDebug() << "ScriptEngine destroyed";
}

void ScriptEngine::setSource(const QString& source)
{
    scriptSource = source;
    fromFile = false;
}

void ScriptEngine::setContext(Controller* engine, MainReceiver* rxA)
{
    controller = engine;
    mainReceiver = rxA;
    if (controller != nullptr) {
        connect(controller->multiSdr, &MultiSDR::captureEnded, this, &ScriptEngine::SLOT_captureEnded,
                Qt::QueuedConnection);
        connect(this, &ScriptEngine::ask_captureSignal, controller->multiSdr, &MultiSDR::captureSamples,
                Qt::QueuedConnection);
        connect(controller, &Controller::MSG_newDemodulatorInstalled, this,
                &ScriptEngine::SLOT_newDemodulatorInstalled, Qt::QueuedConnection);
        connect(controller, &Controller::MSG_ChannelTurnedOnOff, this, &ScriptEngine::SLOT_ChannelTurnedOnOff,
                Qt::QueuedConnection);
        connect(controller, &Controller::MSG_newBBLowHighCutSet, this, &ScriptEngine::SLOT_newBBLowHighCutSet,
                Qt::QueuedConnection);
        // What is installed already counts as reported: asking for it again ends at once.
        if (Demodulator* installed = controller->currentDemodulator(0)) {
            QMutexLocker lock(&demodNameLock);
            current_demodName = installed->getName();
        }
    }
    if (mainReceiver != nullptr)
        connect(mainReceiver, &MainReceiver::SIGNAL_updateSMeter, this, &ScriptEngine::SLOT_updateSMeter,
                Qt::QueuedConnection);
}

void ScriptEngine::run()
{
    qDebug() << "ScriptEngine::run ";
    if (controller == nullptr)
        return;
    if (fromFile && !loadFile())
        return;
    if (scriptSource.isEmpty()) {
        qDebug() << "scriptSource empty";
        return;
    }

    QScriptEngine qtScript;
    interpreter = &qtScript;
    // The evaluation serves this thread's events now and then, so that the
    // abort check below runs even inside a loop that never calls orvex.
    qtScript.setProcessEventsInterval(AbortCheckMs);
    QTimer abortCheck;
    connect(&abortCheck, &QTimer::timeout, &abortCheck, [this] { stopping(); });
    abortCheck.start(AbortCheckMs);

    // Only this object's own functions: its QThread and QObject slots (terminate,
    // deleteLater, ...) would let a script kill its thread or delete it while it runs.
    const QScriptValue orvex =
        qtScript.newQObject(this, QScriptEngine::QtOwnership,
                            QScriptEngine::ExcludeSuperClassContents | QScriptEngine::ExcludeDeleteLater);
    qtScript.globalObject().setProperty(QStringLiteral("orvex"), orvex);

    emit scriptStarts(scriptId);
    const QScriptValue result = qtScript.evaluate(scriptSource, fileName, 1);
    emit scriptEnds(scriptId);
    // A script stopped from outside has not failed.
    if (qtScript.hasUncaughtException() && !stopRequested) {
        const int line = qtScript.uncaughtExceptionLineNumber();
        emit scriptError(scriptSource, result.toString(), line);
        qDebug() << "exception at line:" << line << result.toString();
    }

    abortCheck.stop();
    delete periodicTimer;
    periodicTimer = nullptr;
    interpreter = nullptr;
    qDebug() << "ScriptEngine::run loadFile" << fileName << " ENDED. ";
}

bool ScriptEngine::loadFile()
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QLogger::logError(LogModule, QStringLiteral("ScriptEngine::run loadFile ") + fileName +
                                         QStringLiteral(" not found"));
        qDebug() << "ScriptEngine::run loadFile" << fileName << " not found ? error ";
        emit scriptError(fileName, tr("Fichier non trouve"), 0);
        return false;
    }
    scriptSource = QString::fromUtf8(file.readAll());
    return true;
}

// Reports ------------------------------------------------------------------

void ScriptEngine::SLOT_captureEnded(SampleFifo* fifo)
{
    captureFifo = fifo;
    qDebug() << "ScriptEngine::SLOT_captureEnded";
}

void ScriptEngine::SLOT_updateSMeter(float dbfs, int channel)
{
    if (channel == 0)
        sMeterLevel = dbfs;
}

void ScriptEngine::SLOT_newDemodulatorInstalled(Demodulator* demod, int channel)
{
    if (channel != 0)
        return;
    const QString name = demod != nullptr ? demod->getName() : QString();
    {
        QMutexLocker lock(&demodNameLock);
        current_demodName = name;
    }
    qDebug() << "ScriptEngine::SLOT_newDemodulatorInstalled current_demodName=" << name;
}

void ScriptEngine::SLOT_ChannelTurnedOnOff(int channel, bool on_off)
{
    if (channel != 0)
        return;
    rx_onoff = on_off;
    qDebug() << "ScriptEngine::SLOT_ChannelTurnedOnOff rx_onoff=" << (on_off ? "true" : "false");
}

void ScriptEngine::SLOT_newBBLowHighCutSet(int low, int high, int channel)
{
    if (channel != 0)
        return;
    current_lowCut = low;
    current_highCut = high;
    qDebug() << "ScriptEngine::SLOT_newBBLowHighCutSet current_lowCut=" << low << "current_highCut =" << high;
}

QString ScriptEngine::demodName() const
{
    QMutexLocker lock(&demodNameLock);
    return current_demodName;
}

// Waits on the script's thread --------------------------------------------

bool ScriptEngine::stopping()
{
    if (!stopRequested)
        return false;
    if (interpreter != nullptr)
        interpreter->abortEvaluation();
    return true;
}

bool ScriptEngine::waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (stopping() || clock.elapsed() >= timeoutMs)
            return false;
        QThread::msleep(PollMs);
    }
    return true;
}

void ScriptEngine::sleepFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    for (qint64 left = ms; left > 0 && !stopping(); left = ms - clock.elapsed())
        QThread::msleep(static_cast<unsigned long>(qMin<qint64>(left, PollMs)));
}

void ScriptEngine::reportTimeout(const QString& what)
{
    if (stopRequested)
        return;
    const QString line = QStringLiteral("ScriptEngine::%1 no answer within %2 ms, the script goes on")
                             .arg(what)
                             .arg(ReplyTimeoutMs);
    QLogger::logWarning(LogModule, line);
    qDebug() << line;
}

// The timer ----------------------------------------------------------------

void ScriptEngine::setOnTimer(const QString& func, double millisecs)
{
    qDebug() << "ScriptEngine::setOnTimer" << func << millisecs;
    if (periodicTimer == nullptr) {
        // Belongs to this thread; fired only when the script serves its events.
        periodicTimer = new QTimer();
        connect(periodicTimer, &QTimer::timeout, this, &ScriptEngine::SLOT_onTimer, Qt::DirectConnection);
    }
    periodicTimer->stop();
    timerFunction = func;
    periodicTimer->start(static_cast<int>(qBound(0.0, millisecs, double(std::numeric_limits<int>::max()))));
    qDebug() << "ScriptEngine::setOnTimer ok";
}

void ScriptEngine::SLOT_onTimer()
{
    qDebug() << "ScriptEngine::SLOT_onTimer";
    // The evaluation also serves events while the script's own code runs: the
    // function is called only from waitFor, never in the middle of that code.
    if (!inWaitFor) {
        timerMissed = true;
        return;
    }
    callTimerFunction();
}

void ScriptEngine::callTimerFunction()
{
    timerMissed = false;
    if (timerFunction.isEmpty() || interpreter == nullptr || stopping())
        return;
    QScriptValue global = interpreter->globalObject();
    QScriptValue function = global.property(timerFunction);
    if (!function.isFunction()) {
        qDebug() << "ScriptEngine::SLOT_onTimer" << timerFunction << " not a function ";
        periodicTimer->stop();
        return;
    }
    function.call(global);
    if (interpreter->hasUncaughtException()) {
        qDebug() << "exception at line:" << interpreter->uncaughtExceptionLineNumber();
        periodicTimer->stop();
        // The failure ends the timer, not the script.
        interpreter->clearExceptions();
    }
}

void ScriptEngine::waitFor(double millisecs)
{
    qDebug() << "ScriptEngine::waitFor" << millisecs;
    inWaitFor = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (timerMissed)
        callTimerFunction();
    inWaitFor = false;
    sleepFor(static_cast<int>(qBound(0.0, millisecs, double(std::numeric_limits<int>::max()))));
}
