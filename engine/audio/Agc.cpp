#include "engine/audio/Agc.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <type_traits>

namespace {
// log10(1 / 0.9): full scale after the 0.9 headroom reads as level 0.
constexpr float kMagnitudeOffset = 0.045757490560675115f;
constexpr float kTiny = 9e-9f;
constexpr float kLn10 = 2.302585092994046f;
constexpr float kResetLevel = -16.0f;
constexpr float kRescanFloor = -8.0f;

// The level of a sample whose larger part is largest, in log10 units. The per-sample
// maths runs in single precision: the levels only steer a gain.
float magnitudeLog(float largest)
{
    return std::log10(largest + kTiny) + kMagnitudeOffset;
}

// The largest of count values: eight running maxima side by side (one vector's worth,
// with no chain from one comparison to the next), then the largest of those.
float largestOf(const float* values, int count)
{
    constexpr int kLanes = 8;
    float lanes[kLanes];
    std::fill(std::begin(lanes), std::end(lanes), -std::numeric_limits<float>::infinity());
    int i = 0;
    for (; i + kLanes <= count; i += kLanes)
        for (int k = 0; k < kLanes; ++k)
            lanes[k] = values[i + k] > lanes[k] ? values[i + k] : lanes[k];
    for (; i < count; ++i)
        lanes[0] = values[i] > lanes[0] ? values[i] : lanes[0];
    return *std::max_element(std::begin(lanes), std::end(lanes));
}
} // namespace

CAgc::CAgc()
{
    // Derived values and signal state exist from the start, so that Process before
    // the first Configure works on defined values.
    resetSignalState();
    computeDerived();
}

void CAgc::Configure(bool agcOn, bool useHang, int threshold, int manualGain, int slope, int decay,
                     float sampleRate)
{
    if (!(sampleRate > 0.0f))
        return;
    std::lock_guard<std::mutex> guard(m_mutex);
    if (agcOn == m_agcOn && useHang == m_useHang && threshold == m_thresholdDb &&
        manualGain == m_manualGain && static_cast<float>(slope) == m_slopePercent && decay == m_decayMs &&
        sampleRate == m_sampleRate)
        return;
    m_agcOn = agcOn;
    m_useHang = useHang;
    m_thresholdDb = threshold;
    m_manualGain = manualGain;
    m_slopePercent = static_cast<float>(slope);
    m_decayMs = decay;
    if (sampleRate != m_sampleRate) {
        m_sampleRate = sampleRate;
        resetSignalState();
    }
    computeDerived();
}

void CAgc::resetSignalState()
{
    std::fill(std::begin(m_delayLine), std::end(m_delayLine), Complex(0.0f, 0.0f));
    std::fill(std::begin(m_magnitudes), std::end(m_magnitudes), kResetLevel);
    m_state.delayIndex = 0;
    m_state.windowIndex = 0;
    m_state.hangTimer = 0;
    m_state.peak = kResetLevel;
    m_state.decayAverage = -5.0f;
    m_state.attackAverage = -5.0f;
}

void CAgc::computeDerived()
{
    const double rate = m_sampleRate;
    m_manualGainFactor = static_cast<float>(0.9 * std::pow(10.0, -(100.0 - m_manualGain) / 20.0));
    m_knee = static_cast<float>(m_thresholdDb / 20.0);
    m_gainSlope = static_cast<float>(m_slopePercent / 100.0);
    m_fixedGain = static_cast<float>(0.7 * std::pow(10.0, m_knee * (m_gainSlope - 1.0)));
    m_state.gainLevel = std::numeric_limits<float>::quiet_NaN(); // the slope may have changed
    m_attackRiseAlpha = static_cast<float>(1.0 - std::exp(-1.0 / (rate * 0.002)));
    m_attackFallAlpha = static_cast<float>(1.0 - std::exp(-1.0 / (rate * 0.005)));

    const float decayTimesRate = static_cast<float>(m_decayMs) * m_sampleRate; // single precision
    m_decayRiseAlpha = static_cast<float>(1.0 - std::exp(-1.0 / (decayTimesRate * 0.001 * 0.3)));
    m_hangTime = static_cast<int>(decayTimesRate * 0.001);
    if (m_useHang)
        m_decayFallAlpha = static_cast<float>(1.0 - std::exp(-1.0 / (rate * 0.05)));
    else
        m_decayFallAlpha = static_cast<float>(1.0 - std::exp(-1.0 / (decayTimesRate * 0.001)));

    // Whole milliseconds computed as rate * ms / 1000 so that 48000 Hz gives exactly
    // 720 and 864 (rate * 0.018 in floating point is 863.99...). Both lengths stay
    // inside the fixed 2048-entry buffers and are never 0.
    m_delaySamples = static_cast<int>(rate * 15.0 / 1000.0);
    if (m_delaySamples > kMaxDelay - 2)
        m_delaySamples = kMaxDelay - 1;
    m_delaySamples = std::max(1, m_delaySamples);
    m_windowSamples = std::clamp(static_cast<int>(rate * 18.0 / 1000.0), 1, kMaxDelay);
    m_state.delayIndex %= m_delaySamples;
    m_state.windowIndex %= m_windowSamples;
}

float CAgc::trackLevel(SignalState& state, float magnitudeLog)
{
    const float leaving = m_magnitudes[state.windowIndex];
    m_magnitudes[state.windowIndex] = magnitudeLog;
    if (++state.windowIndex >= m_windowSamples)
        state.windowIndex = 0;

    if (magnitudeLog > state.peak) {
        state.peak = magnitudeLog;
    } else if (leaving == state.peak) {
        // The current peak left the window: find the largest value still inside.
        state.peak = std::max(largestOf(m_magnitudes, m_windowSamples), kRescanFloor);
    }

    const float attackAlpha = state.peak > state.attackAverage ? m_attackRiseAlpha : m_attackFallAlpha;
    state.attackAverage = attackAlpha * state.peak + (1.0f - attackAlpha) * state.attackAverage;

    if (m_useHang) {
        if (state.peak > state.decayAverage) {
            state.decayAverage =
                m_decayRiseAlpha * state.peak + (1.0f - m_decayRiseAlpha) * state.decayAverage;
            state.hangTimer = 0;
        } else if (state.hangTimer < m_hangTime) {
            ++state.hangTimer;
        } else {
            state.decayAverage =
                m_decayFallAlpha * state.peak + (1.0f - m_decayFallAlpha) * state.decayAverage;
        }
    } else {
        const float d = state.peak > state.decayAverage ? m_decayRiseAlpha : m_decayFallAlpha;
        state.decayAverage = d * state.peak + (1.0f - d) * state.decayAverage;
    }

    const float level = std::max(state.attackAverage, state.decayAverage);
    if (level <= m_knee)
        return m_fixedGain;
    // A steady signal holds its level for many samples: the power is taken once per level.
    if (level != state.gainLevel) {
        state.gainLevel = level;
        state.levelGain =
            0.7f * std::exp(kLn10 * (m_gainSlope - 1.0f) * level); // 0.7 x 10^((slope - 1) level)
    }
    return state.levelGain;
}

// Complex and real samples share one loop: a real sample travels in the real part
// of the delay line, and its level is its magnitude.
namespace {
float largestPart(Complex sample)
{
    return std::max(std::fabs(sample.real()), std::fabs(sample.imag()));
}
float largestPart(float sample)
{
    return std::fabs(sample);
}
template <typename Sample>
Sample fromDelayLine(Complex stored)
{
    if constexpr (std::is_same_v<Sample, float>)
        return stored.real();
    else
        return stored;
}
} // namespace

template <typename Sample>
void CAgc::processBlock(int count, const Sample* in, Sample* out)
{
    if (!in || !out)
        return;
    std::lock_guard<std::mutex> guard(m_mutex);
    if (!m_agcOn) {
        for (int i = 0; i < count; ++i)
            out[i] = in[i] * m_manualGainFactor;
        return;
    }
    SignalState state = m_state;
    for (int i = 0; i < count; ++i) {
        const Sample sample = in[i];
        const Sample delayed = fromDelayLine<Sample>(m_delayLine[state.delayIndex]);
        m_delayLine[state.delayIndex] = Complex(sample);
        if (++state.delayIndex >= m_delaySamples)
            state.delayIndex = 0;
        out[i] = delayed * trackLevel(state, magnitudeLog(largestPart(sample)));
    }
    m_state = state;
}

void CAgc::Process(int count, const Complex* in, Complex* out)
{
    processBlock(count, in, out);
}

void CAgc::ProcessReal(int count, const float* in, float* out)
{
    processBlock(count, in, out);
}
