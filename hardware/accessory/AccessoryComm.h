#pragma once

#include "AccessoryParser.h"

#include <QMutex>
#include <QString>
#include <QThread>

#include <atomic>

class Controller;
class Demodulator;
struct FrequencyConverter;

// The link to an accessory on a serial port (settings group "Accessories"):
// it reports a rotor position (turns the antenna), absolute frequencies (retune
// RX A), tuning steps and indicator values (handed to the main window through
// request), and is told RX A's frequency after each retune once it has spoken.
//
// The object lives in the GUI thread, where the engine's retune reports reach
// SLOT_ChannelizerIsRetuned; run() is the link thread, which reads the port,
// parses, and on each idle pass applies the rotor and sends the frequency. It
// ends on stop() or when the device goes away; the destructor stops it before
// closing the port. A thread held in its device or in a call that does not
// return is waited for only so long: its owner then keeps the object alive
// (Qt ends the process when a running thread's object is destroyed). Values
// shared by the two threads are atomic or guarded by sendLock.
class AccessoryComm : public QThread
{
    Q_OBJECT
public:
    static constexpr int DefaultBauds = 38400;
    static constexpr int DefaultRotorResolution = 100;
    static constexpr int ReadSize = 1024;
    // Silence that makes an idle pass; also how soon an idle thread sees a stop.
    static constexpr int IdleWaitMs = 50;
    // The longest a stop waits for the thread.
    static constexpr unsigned long StopBoundMs = 3000;

    explicit AccessoryComm(QObject* parent = nullptr);
    ~AccessoryComm() override;

    // The engine whose RX A the link tunes and reports; before loadSettings.
    void setController(Controller* controller);
    // Reads the settings, opens the port and starts the link thread. On the first
    // run (no "comm_port" yet) it writes the defaults and opens nothing.
    void loadSettings();
    // Asks the link thread to end and waits for it, at most StopBoundMs; false
    // (and logged) when it still runs.
    bool stop();
    // Starts the link thread unless it runs (loadSettings already does when the
    // port opens).
    void startThread();

    // Takes one received character (the link thread's parser; public for tests).
    void parseChar(char c);

public slots:
    // Queues RX A's new frequency for the accessory.
    void SLOT_ChannelizerIsRetuned(qlonglong hwRXCenter, float newFrequency, int channel);
    // A channel's new demodulator; the accessory protocol has no message for it.
    void SLOT_newDemodulatorInstalled(Demodulator* demod, int channel);

signals:
    // ("FRQ", signed step in Hz, 0) or ("INDICATOR", indicator number, value).
    void request(QString s, int arg, int value);
    // For link errors and silences; the protocol has neither (bytes that do not
    // fit are skipped and the link waits for the next message), so nothing
    // reports one yet.
    void error(QString s);
    void timeout(QString s);

protected:
    void run() override;

private:
    // The converter in front of the receiver, or null.
    FrequencyConverter* converter() const;
    void applyFrequency(qint64 frequency);
    // Applies a waiting rotor value and sends a waiting frequency.
    void idlePass();

    std::atomic<int> rotorResolution{DefaultRotorResolution};
    // Set before the thread starts.
    Controller* controller = nullptr;
    std::atomic<bool> accessorySpoke{false};
    qint64 pendingFrequency = 0; // 0: nothing to send; guarded by sendLock
    std::atomic<qint64> hwCenter{0};
    // Set before the thread starts.
    int portIndex = -1;
    bool portOpen = false;
    QMutex sendLock;
    AccessoryParser parser;
    std::atomic<int> rotorValue{0}; // 0: none waiting
    std::atomic<int> droppedMessages{0};
};
