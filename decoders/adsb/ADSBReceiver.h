#pragma once

#include "decoders/adsb/AircraftTrack.h"
#include "decoders/adsb/Clock.h"

#include <QHash>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <cstdint>
#include <memory>

class ADSBFramer;
class ModeSDecoder;
class QTimer;
class ReceiverHardware;
struct aircraft;

// The ADS-B chain's owner. Its thread pulls 2 MS/s samples from an RTL-type
// receiver tuned to 1090 MHz and runs them through the framer and the Mode S
// decoder; it keeps one AircraftTrack per aircraft, appends track changes to
// the aircraft log when the settings ask for it, and reports the update rate
// to the plug-in "ADSB" every second.
//
// Threads: the object, its timer and the listeners of its signals live on the
// thread that created it (the GUI thread). The framer, the decoder and the
// tracks belong to the thread that feeds the framer: the receiver thread once
// startADSB ran (or the caller, in tests that feed the decoder themselves).
// The aircraft signals are emitted there and carry copies, so a GUI listener
// receives them queued. The update count is the only value both sides touch.
class ADSBReceiver : public QThread
{
    Q_OBJECT
public:
    static constexpr int SampleRate = 2000000;
    static constexpr qint64 CenterFrequency = 1090000000;
    static constexpr int UpdateIntervalMs = 333;
    static constexpr qint64 ReportIntervalMs = 1000;
    // Blocks of the receiver's fetch (a driver block is 1024 samples).
    static constexpr int FetchBlocks = 32;
    // Pause after an empty fetch; a stop request cuts it short.
    static constexpr int IdleWaitMs = 10;
    // The longest a stop waits for the thread.
    static constexpr unsigned long StopBoundMs = 3000;

    explicit ADSBReceiver(QObject* parent = nullptr);
    // Stops the thread first (stopADSB).
    ~ADSBReceiver() override;

    // Switches the receiver to automatic gain, 2 MS/s and 1090 MHz, and keeps it
    // for the thread (not owned: it must outlive the thread). The thread
    // takes the receiver's samples for itself: it suits a receiver dedicated
    // to ADS-B, not the one the engine reads.
    void setHardware(ReceiverHardware* hw);
    // Starts the thread and the update timer.
    void startADSB();
    // Asks the thread to end, waits for it at most StopBoundMs and stops the
    // timer; false (and logged) when the thread still runs, held in the
    // receiver: the object and the receiver must then stay alive (Qt ends the
    // process when a running thread's object is destroyed). Safe to call at
    // any time, also when nothing runs; call it on the object's own thread.
    bool stopADSB();

    // Clock of the rate reports and of the decoder's aircraft expiry; set it
    // before startADSB. The rate is measured from then on.
    void setClock(MillisecondClock clock);

    ADSBFramer* adsbFramer() const { return framer.get(); }
    ModeSDecoder* modeSDecoder() const { return decoder.get(); }
    // The tracks by address. Read them on the thread that feeds the decoder,
    // or once the thread has stopped.
    const QHash<quint32, AircraftTrack>& tracks() const { return planes; }
    float updateRate() const { return rate; }
    bool logsTracks() const { return logTracks; }

signals:
    // The list changed since the last timer tick.
    void SIG_listUpdated();
    // For the map: an aircraft got its first position; a positioned aircraft
    // changed (position, altitude, speed, track or flight); an aircraft that
    // had appeared was dropped after a minute of silence.
    void SIG_aircraftAppeared(AircraftTrack track);
    void SIG_aircraftMoved(AircraftTrack track);
    void SIG_aircraftGone(quint32 address);

protected:
    void run() override;

private slots:
    void SLOT_checkUpdates();
    void SLOT_newAircraft(aircraft* aircraft);
    void SLOT_positionUpdated(uint32_t addr);
    void SLOT_deletedAircraft(uint32_t addr);

private:
    bool prepareReceiver();
    void receive();
    // Sleeps up to ms; true when a stop was requested.
    bool pauseUnlessStopped(int ms);

    std::atomic<bool> stopRequested{false};
    QMutex stopLock;
    QWaitCondition stopWake;
    ReceiverHardware* rxHardware = nullptr;
    std::unique_ptr<ADSBFramer> framer;
    std::unique_ptr<ModeSDecoder> decoder;
    QHash<quint32, AircraftTrack> planes;
    // List changes so far: counted by the feeding thread, read by the timer.
    std::atomic<quint64> changes{0};
    quint64 changesAtTick = 0;
    quint64 changesAtReport = 0;
    qint64 lastReportMs = 0;
    QTimer* timer;
    float rate = 0.0f;
    bool logTracks = false;
    MillisecondClock clock;
};
