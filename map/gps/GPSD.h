#pragma once

#include <QString>
#include <QThread>

class NmeaParser;
class QTimer;

// The station's position and the time from a GPS receiver on a serial port
// (settings group "GPS"). The constructor opens the port; the thread, started
// by its owner (at the lowest priority), reads it, feeds the NMEA parser,
// keeps the latest position and time in GlobalRFData and reports a moved
// position with hasGpsFix and each new second with hasGpsTime. Without a port
// a local clock reports the computer's UTC time through hasGpsTime instead.
//
// The object lives in its creator's thread (the local clock ticks there); only
// run() is on the reader thread, which ends on stop(), when the device goes
// away, or at once when no port is open. The destructor stops it before
// closing the port. A thread held in its device or in a call that does not
// return is waited for only so long: its owner then keeps the object alive
// (Qt ends the process when a running thread's object is destroyed).
class GPSD : public QThread
{
    Q_OBJECT
public:
    static constexpr int DefaultBauds = 4800;
    static constexpr int ReadSize = 1024;
    // Longest wait for bytes in one pass: how soon an idle thread sees a stop.
    static constexpr int IdleWaitMs = 50;
    // The longest a stop waits for the thread.
    static constexpr unsigned long StopBoundMs = 3000;
    static constexpr int LocalClockIntervalMs = 500;

    explicit GPSD(QObject* parent = nullptr);
    ~GPSD() override;

    bool isPortOpen() const { return portOpen; }
    // Starts the local clock unless it exists.
    void startLocalTimer();
    // Asks the reader thread to end and waits for it, at most StopBoundMs;
    // false (and logged) when it still runs.
    bool stop();

public slots:
    // One tick of the local clock.
    void SLOT_timer();

signals:
    // For a reader error; nothing reports one yet (a port that does not open
    // leaves the local clock running, and a failed read looks like silence).
    void hasError(int code);
    // Degrees, south and west negative.
    void hasGpsFix(float latitude, float longitude);
    // UTC; the date parts are 0 while the receiver has sent no date.
    void hasGpsTime(int year, int month, int day, int hour, int min, int sec, int msec);

protected:
    void run() override;

private:
    // What the reader last reported, to report only changes.
    struct Reported
    {
        float latitude = 0;
        float longitude = 0;
        float altitude = 0;
        int second = 0;
    };

    void readSettingsAndOpenPort();
    void appendToNmeaLog(const char* bytes, int count) const;
    // Publishes what a sentence committed.
    void report(const NmeaParser& parser, Reported& last);

    bool portOpen = false;
    QTimer* localTimer = nullptr;
    // Serial port index, -1 when no port is in use. Set before the thread starts.
    int port = -1;
    bool logNmea = false;
    QString nmeaLogPath;
    int lastLocalSecond = 0;
};
