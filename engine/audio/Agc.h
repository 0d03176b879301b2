#pragma once

#include "engine/dsp/Complex.h"
#include <limits>
#include <mutex>

// Automatic gain control of one channel's demodulated audio. It looks ahead over a
// short delay line, follows the signal's peak in log10 units with a fast attack
// average and a slower decay average (optionally holding the gain for a hang time),
// and compresses levels above a knee by a slope. With the AGC off it applies a fixed
// manual gain. Configure and Process are exclusive (mutex); both are normally called
// from the audio mixing thread.
class CAgc
{
public:
    CAgc();
    virtual ~CAgc() = default;
    CAgc(const CAgc&) = delete;
    CAgc& operator=(const CAgc&) = delete;

    // threshold in dB (the knee), manualGain in dB where 100 means a factor of 0.9,
    // slope in percent, decay in ms. Returns at once when nothing changed; a new
    // sample rate also resets the signal state. A rate of 0 or less is refused.
    void Configure(bool agcOn, bool useHang, int threshold, int manualGain, int slope, int decay,
                   float sampleRate);
    // in and out may be the same buffer; null pointers do nothing.
    void Process(int count, const Complex* in, Complex* out);
    void ProcessReal(int count, const float* in, float* out);

    static constexpr int kMaxDelay = 2048;

    // Read-only views for diagnostics and tests.
    int delaySamples() const { return m_delaySamples; }
    int windowSamples() const { return m_windowSamples; }
    int hangTime() const { return m_hangTime; }
    float manualGainFactor() const { return m_manualGainFactor; }
    float fixedGain() const { return m_fixedGain; }
    float peak() const { return m_state.peak; }
    float decayAverage() const { return m_state.decayAverage; }
    float attackAverage() const { return m_state.attackAverage; }

private:
    void resetSignalState();
    void computeDerived();
    // What every sample changes. A block works on a copy of it, which the compiler
    // keeps in registers, and stores it back at its end.
    struct SignalState
    {
        float peak = 0.0f;
        float decayAverage = 0.0f;
        float attackAverage = 0.0f;
        // The gain above the knee for the level gainLevel, the last one it was taken
        // for (NaN: none yet).
        float gainLevel = std::numeric_limits<float>::quiet_NaN();
        float levelGain = 0.0f;
        int delayIndex = 0;
        int windowIndex = 0;
        int hangTimer = 0;
    };
    // One sample's look-ahead step: stores the magnitude, updates peak and averages
    // and returns the gain for the sample leaving the delay line.
    inline float trackLevel(SignalState& state, float magnitudeLog);
    // The one processing loop behind Process (Complex) and ProcessReal (float).
    template <typename Sample>
    void processBlock(int count, const Sample* in, Sample* out);

    bool m_agcOn = true;
    bool m_useHang = false;
    int m_thresholdDb = 0;
    int m_manualGain = 0;
    int m_decayMs = 0;
    float m_sampleRate = 100.0f;
    float m_slopePercent = 0.0f;

    float m_manualGainFactor = 0.0f;
    float m_attackRiseAlpha = 0.0f;
    float m_attackFallAlpha = 0.0f;
    float m_decayRiseAlpha = 0.0f;
    float m_decayFallAlpha = 0.0f;
    float m_fixedGain = 0.0f;
    float m_knee = 0.0f;
    float m_gainSlope = 0.0f;
    SignalState m_state;
    int m_delaySamples = 1;
    int m_windowSamples = 1;
    int m_hangTime = 0;

    std::mutex m_mutex;
    Complex m_delayLine[kMaxDelay];
    float m_magnitudes[kMaxDelay];
};
