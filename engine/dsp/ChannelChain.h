#pragma once

#include "engine/dsp/CDownConvert.h"
#include "engine/dsp/CFastFIR.h"
#include "engine/dsp/CFractResampler.h"
#include "engine/dsp/CicDecimator.h"
#include "engine/dsp/Complex.h"
#include "engine/dsp/PhasorOscillator.h"

#include <atomic>
#include <mutex>
#include <vector>

struct SampleContext;

// A display tap inside a channel's processing: the samples of one stage, their count,
// their rate, the stage number (1 raw input, 2 after the down-converter, 3 after the
// channel filter) and the block's context. Returning 0 ends the processing step.
using ChannelStageCallback = int (*)(const Complex* samples, int count, float sampleRate, int stage,
                                     SampleContext* ctx);

// One receive channel's signal path, without queues or threads: mix the channel to zero
// frequency, decimate, band-pass filter, resample to the channel rate, and keep a
// smoothed power level of the result.
//
// The channel rate is twice the larger edge, max(|low|, |high|) x 2, for every band: a
// complex stream at that rate holds the whole band without folding, so a tone of a
// one-sided band (USB 10..3600 Hz) keeps its pitch.
//
// Process, CicDecimate, SetFilter and SetInputRate must not run at the same time (the
// owner's lock); SetOffset may come from another thread at any time, and the rates and
// the power level may be read from anywhere. The offset and the input rate the
// oscillators turn at change together under a lock of their own, so that a retune and
// a rate change on two threads never leave an oscillator with one and the other's
// former value.
class ChannelChain
{
public:
    ChannelChain(int inputRate, int outputRate);

    // The oscillator frequency (minus the channel's offset from the receiver centre).
    void SetOffset(float ncoHz);
    // Re-plans the channel for the filter edges in Hz. Refuses (false) a zero width.
    bool SetFilter(float low, float high);
    // Refuses (false) a rate of 0 or less.
    bool SetInputRate(int rate);
    void SetStageCallback(int stage, ChannelStageCallback callback);

    // With equal input and channel rates the chain only mixes (MixPassThrough).
    bool IsPassThrough() const { return inputRate == outputRate.load(); }
    // Mixes a block into out (which may be the block) with the chain's own oscillator,
    // or copies it when the offset is 0.
    void MixPassThrough(const Complex* block, Complex* out, int count);
    // Runs one block through the chain; the block is only read, so that channels may
    // share it. Returns the number of channel samples now in Output(), 0 when none came
    // out (the filter collects 2048 samples per frame, or a stage callback ended the
    // step), -1 when the down-converter refused the block as too long.
    int Process(const Complex* block, int count, SampleContext* ctx);
    const Complex* Output() const { return resampled.data(); }
    // Another way down: mixes count samples with the chain's own oscillator and lowers
    // their rate by factor with the chain's integrator-comb decimator (CicDecimator).
    // out holds count / factor + 1 samples; returns the number written.
    int CicDecimate(const Complex* in, int count, Complex* out, int factor);

    int InputRate() const { return inputRate; }
    int OutputRate() const { return outputRate.load(); }
    int DecimatedRate() const { return decimatedRate.load(); }
    float PowerLevel() const { return powerLevel.load(); }
    float LowCut() const { return lowCut; }
    float HighCut() const { return highCut; }
    // Longest block the down-converter takes, -1 for any length.
    int MaxInputLength() const { return downConverter.GetMaxInputLength(); }
    std::vector<int> StagePlan() const { return downConverter.StagePlan(); }

private:
    void EnsureCapacity(int count, float ratio);
    void UpdatePowerLevel(int count);
    // Turns the pass-through oscillator at ncoFrequency and inputRate; under tuneLock.
    void RestartPassThroughLocked();

    std::mutex tuneLock; // ncoFrequency and inputRate written together; before the converter's
    std::atomic<int> inputRate;
    std::atomic<int> outputRate;
    std::atomic<int> decimatedRate;
    std::atomic<float> ncoFrequency{0.0f};
    std::atomic<float> powerLevel{0.0f};
    float lowCut = 0.0f;
    float highCut = 3300.0f;
    PhasorOscillator passThroughOscillator;
    CDownConvert downConverter;
    CFastFIR filter;
    CFractResampler resampler;
    CicDecimator cic;
    std::vector<Complex> decimated; // down-converter output: at most a block
    std::vector<Complex> filtered;  // filter output: up to a block + 2047 samples
    std::vector<Complex> resampled; // resampler output
    ChannelStageCallback callbacks[3] = {nullptr, nullptr, nullptr};
};
