#pragma once

#include "engine/dsp/CFractResampler.h"
#include "engine/dsp/Complex.h"
#include "engine/dsp/PhasorOscillator.h"

#include <QSemaphore>
#include <QString>
#include <atomic>
#include <vector>

class SampleFifo;
struct SampleContext;

// The demodulation stage of a receive channel. The mixing thread hands each channel
// block to performDemodulation, which shifts it by the RIT offset, lets the mode
// demodulate it (audio in the real parts), copies it for the time-domain view and
// for script captures, resamples it to the audio rate and cuts it into fixed-size
// audio blocks. The modes are subclasses; they set their edge limits and defaults in
// their constructors.
class Demodulator
{
public:
    Demodulator();
    virtual ~Demodulator();
    Demodulator(const Demodulator&) = delete;
    Demodulator& operator=(const Demodulator&) = delete;

    virtual QString getName() = 0;
    // Returns the number of audio blocks of blockSize samples at outputRate handed to
    // outQueue. The first block after a change of inputRate is dropped (returns 0).
    virtual int performDemodulation(Complex* samples, int count, int inputRate, int outputRate, int blockSize,
                                    SampleFifo* outQueue, SampleContext* ctx);
    // Demodulates in place, audio in the real parts, 0 in the imaginary parts.
    virtual float demodulate(Complex* samples, int count, SampleContext* ctx) = 0;
    // Stores the edges; a mode may change *high on return.
    virtual void setFilterEdges(float* low, float* high);
    virtual void install() {}
    virtual void uninstall() {}

    // Queue of the time-domain view; null stops the copies.
    void setTDFifo(SampleFifo* queue);
    // Copies the next count samples into the capture queue.
    void setCaptureCount(int count) { captureRemaining = count; }
    int getCaptureRemaining() const { return captureRemaining.load(); }
    SampleFifo* getCaptureQueue() const { return captureQueue; }

    // Volume in percent, used by the SSB and CW modes.
    void setVolumePercent(int percent) { volumePercent = percent; }
    int getVolumePercent() const { return volumePercent.load(); }
    // Shifts the signal up by hz before demodulating; the first call turns the RIT on.
    void setRitFrequency(float hz);
    float getRitFrequency() const { return ritFrequency.load(); }
    bool isRitOn() const { return ritOn.load(); }
    // Rate of the latest block (4000 before the first one).
    int getInputRate() const { return inputRate.load(); }

    float getLowEdge() const { return lowEdge.load(); }
    float getHighEdge() const { return highEdge.load(); }

    // Edge ranges (Hz) enforced by the engine, edges applied on installation, and
    // whether the pass band is symmetric. Fixed by each mode's constructor.
    int minLow = 10;
    int maxLow = 100;
    int minHigh = 2200;
    int maxHigh = 3200;
    int defaultLow = 10;
    int defaultHigh = 3200;
    bool mirrored = false;

protected:
    // min(1, volumePercent / 100): the SSB and CW output scale.
    double volumeGain() const;

    std::atomic<int> volumePercent{100};
    std::atomic<float> lowEdge{10.0f};
    std::atomic<float> highEdge{3200.0f};

private:
    void copyForTimeDomain(const Complex* samples, int count, int rate);
    void copyForCapture(const Complex* samples, int count);
    int cutIntoBlocks(const Complex* audio, int produced, int blockSize, SampleFifo* outQueue);
    void dropPending();

    std::atomic<int> inputRate{4000};
    std::atomic<float> ritFrequency{0.0f};
    std::atomic<bool> ritOn{false};
    PhasorOscillator rit;
    int lastRate = 0;
    int pendingCount = 0;
    int pendingSize = 0;
    Complex* pendingBlock = nullptr;
    CFractResampler resampler;
    int resamplerMaxInput = 0;
    std::vector<Complex> resampled;
    SampleFifo* captureQueue;
    std::atomic<int> captureRemaining{0};
    SampleFifo* timeDomainQueue = nullptr;
    QSemaphore timeDomainLock{1};
};
