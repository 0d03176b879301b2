#pragma once

#include "engine/SampleFifo.h"
#include "engine/demod/Demodulator.h"
#include "engine/dsp/Complex.h"

#include <QString>
#include <QThread>

#include <atomic>
#include <mutex>

class CAgc;
class Channelizer;
class Controller;

// The audio mixing thread. It pulls processed blocks from RX A's and RX B's
// channelizers, lets each channel's demodulator turn them into 48000 Hz audio
// in blocks of 2048 samples, applies each channel's squelch and AGC and queues
// stereo blocks (RX A in the real parts, RX B in the imaginary parts) to the
// audio output and, while it records, to the MP3 recorder. A channel that is
// on without a demodulator is pulled (its displays keep moving) but is silent;
// it never holds up the other channel. With one channel on, the audio output paces
// it: after each channel block it waits until at most one audio block is queued, so
// the sound stays within two blocks of the receiver; with both on, the receiver's
// blocks alone pace it. It also runs script captures of RX A's demodulator input.
class MultiSDR : public QThread
{
    Q_OBJECT
public:
    static constexpr int AudioBlock = 2048;
    static constexpr float FallWeight = 0.45f;
    static constexpr float RiseWeight = 0.8f;

    enum Mode { ModeOff = 0, ModeRxA = 1, ModeRxB = 2, ModeRxAB = 3 };

    explicit MultiSDR(QObject* parent = nullptr);
    // Stops the thread (bounded wait).
    ~MultiSDR() override;

    // Keeps the engine and follows its channel and demodulator signals (queued).
    void setController(Controller* controller);
    // Ends run at its next turn.
    void requestStop() { stopRequested = true; }

    void setSquelchLevel(float dbfs, int channel);
    void setSquelchLevel(float dbfs) { setSquelchLevel(dbfs, 0); }
    float getSquelchLevel(int channel) const;
    // Smooths the channel's level with the engine's new reading.
    void setRFLevel(float dbfs, int channel);
    void setRFLevel(float dbfs) { setRFLevel(dbfs, 0); }
    float getRFLevel(int channel) const;
    int currentMode() const { return mode.load(); }

    static QString modeName(int mode);
    static int modeFor(bool rxaOn, bool rxbOn) { return (rxaOn ? ModeRxA : 0) | (rxbOn ? ModeRxB : 0); }
    // The level after a new reading x: rises fast, falls slower.
    static float smoothedLevel(float level, float x);
    // A channel's block is silenced when its threshold is below 0 and above its level.
    static bool isSquelched(float threshold, float level) { return threshold < 0 && threshold > level; }
    // Moves each real part into the imaginary part, leaving 0 in the real part.
    static void moveToRight(Complex* block, int count);
    // Writes the real parts of right into the imaginary parts of left.
    static void mergeRight(Complex* left, const Complex* right, int count);

public slots:
    void SLOT_ChannelTurnedOnOff(int channel, bool on_off);
    void SLOT_newDemodulatorInstalled(Demodulator* demod, int channel);
    // Starts a script capture of count samples of RX A's demodulator input;
    // 0 while one is under way.
    int captureSamples(int nb_samples);

signals:
    void captureEnded(SampleFifo* fifo);
    void captureUpdate(SampleFifo* fifo, int sample_left);

protected:
    void run() override;

private:
    struct Lane;
    // A script capture: asked by captureSamples, started on RX A's demodulator by
    // the thread, finished once the demodulator has copied the count asked.
    enum CaptureState { CaptureIdle = 0, CaptureAsked = 1, CaptureRunning = 2, CaptureFinished = 3 };

    void runCapture(Demodulator* demodA);
    // Takes one channel block, waiting at most inputWaitMs for a receiver block, and
    // demodulates it into the lane's work queue (dropped when the channel has no
    // demodulator). Returns the audio blocks queued.
    int pullAndDemodulate(Lane& lane, int inputWaitMs);
    // Squelch and AGC of one audio block; false when it was squelched (set to 0).
    bool finishAudio(Lane& lane, Complex* block);
    void recordMp3(const Complex* block);
    // Hands a stereo block to the audio output; frees it when refused.
    bool pushAudio(Complex* block);
    void runSingle(Lane& lane, bool rightSide);
    void runBoth(Lane& a, Lane& b);
    Complex* silentBlock();

    std::mutex lock; // guards demodA and demodB against demodulation
    std::atomic<bool> rxbOn{false};
    std::atomic<bool> rxaOn{false};
    Demodulator* demodA = nullptr;
    Demodulator* demodB = nullptr;
    std::atomic<Controller*> controller{nullptr};
    std::atomic<float> squelchA{0.0f};
    std::atomic<float> squelchB{0.0f};
    std::atomic<float> rfLevelA{0.0f};
    std::atomic<float> rfLevelB{0.0f};
    std::atomic<int> mode{ModeOff};
    SampleFifo* captureQueue = nullptr;
    std::atomic<int> captureRemaining{0};
    std::atomic<int> captureCount{0};
    std::atomic<int> captureSeen{CaptureIdle}; // the state last acted on
    std::atomic<int> captureState{CaptureIdle};
    std::atomic<bool> stopRequested{false};
};
