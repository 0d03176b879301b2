#pragma once

#include "engine/demod/Demodulator.h"
#include "srvlib/VantorCBHandler.h"

#include <QElapsedTimer>
#include <QMetaType>
#include <QSemaphore>
#include <QString>
#include <QThread>

#include <atomic>

class AudioOutput;
class CAgc;
class Channelizer;
class Mp3FileWriter;
class MultiSDR;
class ReceiverHardware;
class SampleFifo;
class SDRFileReader;
class SDRFileWriter;
class VisuFifo;
struct SampleContext;

Q_DECLARE_METATYPE(Demodulator*)

// The receive engine. Its thread pulls blocks from the receiver, gives each a
// SampleContext, copies it to the raw-RF recorder while one records and queues
// it into the active channels' channelizers (RX A = channel 0, RX B = channel 1);
// during playback the blocks come from the raw-RF player instead. The audio
// mixing thread (MultiSDR) turns the channels' output into sound.
//
// The controls run on their caller's thread (GUI, scripts, session) and report
// back through the "MSG_" signals, emitted on that thread: listeners on other
// threads connect queued. A channel's frequency is hwCenter plus its offset;
// the channelizer mixes with minus the offset.
//
// Lock order: demodLock before a channelizer's lock and before a demodulator's
// time-domain lock; demodLock and the mixing thread's lock are never held
// together; no control holds a lock while it emits. A channelizer's lock is held
// while a block is processed, never while the mixing thread waits for input, so
// that a stalled receiver holds up no control.
class Controller : public QThread, public VantorCBHandler
{
    Q_OBJECT
public:
    static constexpr int ChannelCount = 2;
    static constexpr int DefaultStepHz = 5000;
    static constexpr int InitialSampleRate = 512000;
    static constexpr int ChannelOutputRate = 5000;
    static constexpr int StopState = 99;

    // audioDevice picks the sound output (empty: the system's default); a name
    // no device has leaves the audio output discarding what it is given.
    explicit Controller(const QString& audioDevice = QString());
    // Stops every thread the engine runs (shutdown), then releases what it owns. A
    // thread that did not stop is left running with what it uses (logged); its owner
    // destroys the engine only when shutdown says that the engine's own threads ended.
    ~Controller() override;

    // Attaches the receiver and restores its board-file state; once, before startEngine.
    void setReceiverHardware(ReceiverHardware* hw);
    ReceiverHardware* getReceiverHardware() const { return hardware; }
    // Starts the engine thread unless it runs.
    void startEngine();
    // The orderly stop, in this order: the engine thread (state 99, repeated
    // every 20 ms until the thread has seen it), the mixing thread, the audio
    // output, the recorders and the player. Every wait is bounded. Idempotent.
    // False (logged) while the engine thread or the mixing thread still runs,
    // held in a driver or a call that does not return: they use the engine, which
    // must then be kept rather than destroyed.
    bool shutdown();

    // Tuning: 1 when done, 0 when refused (locked channel, no receiver, a
    // request the window or a lock does not allow).
    int setRxOffset(int offset, int channel);
    int setAbsoluteRxFreq(qint64 frequency, int channel);
    int tuneChannel(qint64 frequency, int delta, int channel);
    void stepUp(int channel);
    void stepDown(int channel);
    void setStepSize(int stepHz, int channel);
    int getStepSize(int channel) const;
    int getRxOffset(int channel) const;
    // The receiver's centre (also stored in hwCenter); -1 without a receiver.
    // While a recording plays: the recording's centre, which tuning is relative to.
    qint64 getRxCenterFreq();
    void setHwCenterFreq(qint64 frequency, bool notify);
    // Retunes the receiver and puts both channels at the residual (asked minus
    // obtained centre, 0 when beyond half the rate). Refused (false) while a
    // channel is locked, without a receiver, or when the receiver refuses the
    // frequency and stays where it was.
    bool retuneHardware(qint64 frequency, bool notify);
    // Detaches the receiver's converter and retunes to the middle of its range.
    void disableFrequencyConverter();

    bool isChannelLocked(int channel) const;
    void setChannelLock(bool locked, int channel);

    void setBBLowHighCut(float low, float high, int channel, bool updateUI);
    // Clamps the edges to the channel's demodulator (unclamped without one) and
    // applies them to the demodulator and the channelizer.
    void applyBBLowHighCut(float low, float high, int channel, bool updateUI);
    // The engine keeps the pointer only; the caller owns the demodulator. The
    // demodulator taken off the channel stops copying for the time-domain view.
    void installDemodulator(Demodulator* demodulator, int channel);
    // Its owner is about to free demodulator: takes it off every channel that
    // has it, whatever the locks (a lock holds a frequency, it does not keep a
    // demodulator alive), and announces each channel left without one.
    void releaseDemodulator(Demodulator* demodulator);
    // The installed demodulator, read under demodLock.
    Demodulator* currentDemodulator(int channel);

    void setRxGain(float gain, int stage);
    float getRxGain() const { return rxGain.load(); }
    int getSampleRate();
    void setSampleRate(int rate);
    void changeSampleRate(int rate);

    void startRFRecording(int maxSamples);
    void stopRFRecording();
    bool isRFRecording() const;
    // Asks for a recording with a file dialog, then plays it.
    void playRFFile();
    // Plays the given recording (false while a playback runs).
    bool playRFFile(const QString& fileName);
    void stopRFPlayback();
    bool isRFPlaying() const;
    void startMp3Recording();
    void stopMp3Recording();
    bool isMp3Recording() const;

    // Writes the engine's part of the receiver's board file.
    void saveSettings();

    // The one way to switch channels; callers never set channelOn themselves.
    // On: installs fallback when the channel has no demodulator yet (the panels
    // pass their selector's; the scripts and playback pass none), sets the flag
    // and emits MSG_ChannelTurnedOnOff (channel, true).
    void turnChannelOn(int channel, Demodulator* fallback = nullptr);
    // Off: clears the flag, writes the board file, emits (channel, false).
    void turnChannelOff(int channel);
    // Both channels off as the program closes, RX A first, whatever their state:
    // for a local receiver the board file is written first and again as each
    // channel goes off; for a remote receiver it is not written at all.
    void turnChannelsOffAtClose();

    Channelizer* channelizer(int channel) const;
    // The state last acted on by the thread (99 once it has stopped).
    int engineState() const { return lastState.load(); }
    int blocksPerFetch() const { return blocks_per_fetch.load(); }

    // Owned parts, public for the panels and the mixing thread.
    MultiSDR* multiSdr = nullptr;
    Channelizer* main_channelizer = nullptr;
    Channelizer* beacon_channelizer = nullptr;
    // Set and cleared through turnChannelOn and turnChannelOff; read by the
    // engine and mixing threads.
    std::atomic<bool> channelOn[ChannelCount];
    VisuFifo* fullband_visu_fifo = nullptr;
    VisuFifo* smallband_visu_fifo = nullptr;
    SampleFifo* audioQueue = nullptr;
    CAgc* agc[ChannelCount] = {nullptr, nullptr};
    AudioOutput* audioOutput = nullptr;
    Mp3FileWriter* mp3Writer = nullptr;
    SDRFileWriter* rfWriter = nullptr;
    SDRFileReader* rfReader = nullptr;
    // Guards the demodulator slots and filter changes.
    QSemaphore* demodLock = nullptr;

    // The receiver's sample rate as blocks_per_fetch (about one block per 16384 samples
    // per second, 3 to 512) and the display length follow it.
    static int fullbandFftLengthFor(int rate);
    static int blocksPerFetchFor(int rate);
    // A fetch size after a channel refused a block: 20 % less, at least 32
    // (a size already below 32 stays).
    static int reducedBlocksPerFetch(int blocks);

    // The remote server's session channel (ControllerSession.cpp): called on
    // the session thread, each turned into signals.
    void linkClosed() override;
    void linkLost() override;
    void txtMsg(const char* from, const char* msg) override;
    void spot(const char* name, double latitude, double longitude, double frequencyMHz,
              int lifeTimeMinutes) override;
    void updateIndicator(const char* name, const char* unit, double value) override;

public slots:
    void setSquelchLevel(float dbfs, int channel);
    void setSquelchLevel(float dbfs);
    // A remote receiver's centre moved to newF: the channels keep their
    // frequencies when they stay within the rate (a rate of 0, unknown, keeps
    // the offsets).
    void SLOT_RemoteWasRetuned(qlonglong newF, int newSR);

signals:
    void MSG_newRxGainSet(float rx_gain);
    void MSG_newBBLowHighCutSet(int low, int high, int channel);
    void MSG_newDemodulatorInstalled(Demodulator* demod, int channel);
    void MSG_ChannelizerIsRetuned(qlonglong hwRXCenter, float newOffsetFrequency, int channel);
    void MSG_ChannelTurnedOnOff(int channel, bool on_off);
    void MSG_SamplingRateChanged(int newSamplingRate);
    void MSG_UpdateReceiverUI(int channel, qulonglong hwRXCenter, float OffsetFrequency, int lowCut,
                              int highCut);
    void MSG_FileWriterStarts();
    void MSG_FileWriterStops();
    void MSG_FileReaderStarts();
    void MSG_FileReaderStops();
    void MSG_UpdatePowerLevelMain(float level);
    void MSG_UpdatePowerLevelSub(float level);
    void MSG_RefreshBookmarks();
    void MSG_VantorLinkClosed();
    void MSG_VantorLinkLost();
    void MSG_VantorTxtMsg(QString from, QString msg);
    void MSG_VantorSpot(QString name, double latitude, double longitude, double freqMHZ, int lifeTime);
    void MSG_VantorUpdateIndicator(QString name, double value);

protected:
    void run() override;

private:
    // Thread states.
    enum State { Idle = 0, Receiving = 1, Stopping = 2, PlaybackStart = 3, Playing = 4, PlaybackEnd = 5 };

    static bool validChannel(int channel) { return channel == 0 || channel == 1; }
    bool anyChannelLocked() const;
    // Half the receiver's actual rate, truncated: the tuning window around hwCenter.
    int halfRate() const;
    // Moves the channel's oscillator to the offset (Hz from the centre).
    void setChannelOffset(int channel, float offsetHz);
    // Uninstalls the channel's demodulator, if any, and empties its slot; under demodLock.
    void takeOff(int channel);
    // Makes centre the one the blocks are tuned around (hwCenter) and, when
    // that moves it, tells both channels' listeners (MSG_ChannelizerIsRetuned
    // with each channel's offset).
    void moveCentre(qint64 centre);
    void restoreFromBoardFile();
    bool stopEngineThread();
    // For a remote receiver: becomes its server's session handler and follows
    // its centre (ControllerSession.cpp).
    void attachRemoteSession();
    // Ends the session stream the engine handles, so that no call reaches it any more.
    void detachRemoteSession();

    // Thread body parts (ControllerThread.cpp).
    // Writes a state asked by the thread itself, never over a stop request.
    void setOwnState(int newState);
    void idlePass();
    void receive();
    void stopReception();
    void playback();
    void letChannelsTakeTheirBlocks();
    void endPlayback();
    // A context for a block bound for the channel (or for the recorder: channel 0
    // with live blocks), or null when out of memory.
    SampleContext* makeContext(int channel, bool live, qint64 centre, float rate);
    // Queues the block (and its contexts) into the channels that are on; frees
    // what no channel takes. False when no channel is on (the block is freed).
    bool routeBlock(void* block, int count, bool live, qint64 centre, float rate);
    void recordBlock(const void* block, int count, qint64 centre, float rate);
    void reportPowerLevels();
    void reduceFetchSize(const char* what);
    // Once the channels have refused no block for a while after refusing some, and
    // have worked their queues down, gives the memory the queues held back to the system.
    void returnMemoryAfterOverload();
    // Waits, processing events, while the channels' input queues hold more than
    // limit blocks (RX A only, or both when bothQueues); bounded by the state.
    void waitForChannelQueues(int limit, bool bothQueues);

    ReceiverHardware* hardware = nullptr;
    std::atomic<bool> channelLocked[ChannelCount];
    std::atomic<int> stepHz[ChannelCount];
    // Oscillator frequency of each channel (minus its offset), as last set.
    std::atomic<float> ncoHz[ChannelCount];
    std::atomic<qint64> hwCenter{0};
    // While a recording plays, hwCenter is the recording's centre, not the receiver's.
    std::atomic<bool> centreFromRecording{false};
    std::atomic<float> rxGain{10.0f};
    std::atomic<int> rxSampleRate{InitialSampleRate};
    Demodulator* demodulator[ChannelCount] = {nullptr, nullptr}; // under demodLock
    std::atomic<int> lastState{0};
    std::atomic<int> state{0};
    std::atomic<int> blocks_per_fetch{32};
    // The receiver's rate when reception started: rx_samplerate of live contexts.
    std::atomic<int> receptionRate{0};
    bool memoryToReturn = false; // a channel refused blocks (engine thread only, as below)
    QElapsedTimer sinceRefusal;
    bool shutDown = false;
};
