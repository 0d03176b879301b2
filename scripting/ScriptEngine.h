#pragma once

#include "scripting/CaptureReader.h"

#include <QMutex>
#include <QScriptValue>
#include <QScriptable>
#include <QString>
#include <QThread>
#include <QVector>

#include <atomic>
#include <functional>
#include <vector>

class Controller;
class Demodulator;
class MainReceiver;
class QScriptEngine;
class QTimer;
class SampleFifo;

// One running script: a thread that owns one interpreter (Qt Script), created
// and used on that thread only, runs the script from its first line to its last
// and ends. The object itself is the script's global "orvex": its public slots
// below "script functions" are what a script calls. They act on RX A (channel 0)
// through the engine, and reach the GUI (figures, boxes, programs) through the
// script core by queued "ask_" signals.
//
// Threads: the object lives on the GUI thread, where the report slots run (the
// engine's and the panel's signals arrive queued) and record what they hear in
// atomics; the script functions run on the script's thread and poll those.
// Every wait of a script is bounded, and requestStop() ends any of them, and the
// evaluation itself, within a few tens of milliseconds. The script functions
// use the engine and the panel under contextLock, and not at all once a stop
// is asked or the script is cut off from them (detachContext).
class ScriptEngine : public QThread, protected QScriptable
{
    Q_OBJECT
public:
    // Sizes a script may ask for (samples, transform length); beyond them, or at
    // 0 or less, the answer is empty and a log line says why.
    static constexpr int MaxSamples = 1 << 20;
    static constexpr int MaxPlotValues = 2 * MaxSamples;
    // How long a script waits for the engine's or the GUI's answer.
    static constexpr int ReplyTimeoutMs = 5000;
    // Granularity of the script's waits and of its reaction to requestStop().
    static constexpr int PollMs = 10;
    // Bound on the end of the thread once a stop is asked.
    static constexpr int StopTimeoutMs = 3000;

    // A script read from fileName when the thread starts.
    ScriptEngine(const QString& fileName, int id, QObject* parent = nullptr);
    // A script whose text follows with setSource.
    ScriptEngine(int id, QObject* parent = nullptr);
    // Stops the thread first (requestStop, bounded wait).
    ~ScriptEngine() override;

    void setSource(const QString& source);
    // The engine and the RX A panel the script acts on; also connects their
    // reports. Without an engine the script does not run.
    void setContext(Controller* engine, MainReceiver* rxA);

    int id() const { return scriptId; }
    // Aborts the evaluation and every wait; the thread then ends. Any thread.
    void requestStop() { stopRequested = true; }
    // For a script that did not stop: no script function reaches the engine
    // or the RX A panel from now on. False when one is still inside a call to
    // them after timeoutMs (it reaches them no more once the call comes back).
    bool detachContext(int timeoutMs);
    // The script core's answer to ask_allocWindow: the figure number, 0 for none.
    void figureAllocated(int figno) { allocatedFigure = figno; }

signals:
    void scriptStarts(int id);
    void scriptEnds(int id);
    void scriptError(QString src, QString msg, int line_no);
    void ask_captureSignal(int L);
    void ask_showFigure(int figno);
    void ask_allocWindow(int scriptid);
    void ask_plot_values(int figno, QVector<double> vals);
    void ask_exec(int scriptid, QString task);
    void ask_alert(QString msg);

public slots:
    // Reports, on the GUI thread.
    void SLOT_captureEnded(SampleFifo* fifo);
    void SLOT_updateSMeter(float dbfs, int channel);
    void SLOT_newDemodulatorInstalled(Demodulator* demod, int channel);
    void SLOT_ChannelTurnedOnOff(int channel, bool on_off);
    void SLOT_newBBLowHighCutSet(int low, int high, int channel);

    // Script functions, on the script's thread. Frequencies in MHz, sizes in
    // samples, durations in milliseconds.
    void setRxFrequency(double frequency);
    double getRxFrequency();
    void setStepSize(int hz);
    void stepUp();
    void stepDown();
    double getSMeter();
    void captureSamples(double L);
    QScriptValue getRxSamples(double L);
    void setDemodulator(const QString& demod, int flow, int fhigh);
    void startRX();
    void stopRX();
    void setSquelchLevel(double level_dBm);
    void alert(const QString& msg);
    void setOnTimer(const QString& func, double millisecs);
    void waitFor(double millisecs);
    int figure();
    void plot(int figno, const QScriptValue& vals);
    void showFigure(int figno);
    QScriptValue calcFFT(const QScriptValue& vals, double size);
    QScriptValue calcPower(const QScriptValue& vals, double size);
    void exec(const QString& taskname);

protected:
    void run() override;

private slots:
    void SLOT_onTimer();

private:
    // The engine and the panel for one script function, locked while it uses them.
    class Context;

    // Reads the script file into scriptSource; false (reported) when it cannot.
    bool loadFile();
    // True once a stop is asked; then also aborts the evaluation.
    bool stopping();
    // Polls done() every PollMs until it holds, the time is up or a stop is asked.
    bool waitUntil(const std::function<bool()>& done, int timeoutMs);
    void sleepFor(int ms);
    // Logs a wait that ran out (not one that a stop ended).
    void reportTimeout(const QString& what);
    void callTimerFunction();
    QString demodName() const;
    // A size argument as a count, or -1 (logged) when it is not in 1 .. max.
    int boundedCount(double value, int max, const char* function) const;
    // The length of a script array; 0 (with a debug line) for an empty array or
    // a value that is not one.
    static quint32 arrayLength(const QScriptValue& vals);
    // The first count entries as numbers.
    static std::vector<double> readNumbers(const QScriptValue& vals, quint32 count);
    QScriptValue toScriptArray(const std::vector<float>& values);

    const int scriptId;
    bool fromFile;
    QString scriptSource;
    QString fileName;
    Controller* controller = nullptr;
    MainReceiver* mainReceiver = nullptr;
    std::atomic<bool> stopRequested{false};
    QMutex contextLock;
    std::atomic<bool> detached{false};

    // Script thread only.
    QScriptEngine* interpreter = nullptr;
    QTimer* periodicTimer = nullptr;
    QString timerFunction;
    bool inWaitFor = false;
    bool timerMissed = false;
    CaptureReader captureReader;
    double lastFrequencyMHz = 0;

    // Written on the GUI thread, read by the script.
    std::atomic<SampleFifo*> captureFifo{nullptr};
    std::atomic<double> sMeterLevel{0};
    mutable QMutex demodNameLock;
    QString current_demodName;
    std::atomic<bool> rx_onoff{false};
    // RX A's pass-band edges as last reported, in Hz.
    std::atomic<int> current_lowCut{0};
    std::atomic<int> current_highCut{0};
    std::atomic<int> allocatedFigure{-1};
};
