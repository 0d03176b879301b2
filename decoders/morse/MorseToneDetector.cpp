#include "decoders/morse/MorseToneDetector.h"

#include <algorithm>
#include <cmath>

void MorseToneDetector::setWindowBlocks(int blocks)
{
    m_windowBlocks = std::clamp(blocks, 1, MaxWindowBlocks);
}

bool MorseToneDetector::addSample(int sample)
{
    m_ring[m_ringIndex] = int8_t(std::clamp(sample, -128, 127));
    m_ringIndex = (m_ringIndex + 1) % RingSamples;
    if (++m_blockFill < BlockSamples)
        return false;
    m_blockFill = 0;
    m_magnitude = detectTone();
    decide(m_magnitude);
    return true;
}

// Goertzel over the last N samples of the ring, oldest first; the magnitude
// is |X| / N, which is half the tone's amplitude.
double MorseToneDetector::detectTone() const
{
    const int n = m_windowBlocks * BlockSamples;
    double s1 = 0.0;
    double s2 = 0.0;
    int index = (m_ringIndex - n + RingSamples) % RingSamples;
    for (int k = 0; k < n; ++k) {
        const double s = m_ring[index] + Coefficient * s1 - s2;
        s2 = s1;
        s1 = s;
        if (++index == RingSamples)
            index = 0;
    }
    const double power = s1 * s1 + s2 * s2 - Coefficient * s1 * s2;
    return std::sqrt(std::max(power, 0.0)) / n;
}

double MorseToneDetector::noiseFloor()
{
    double sorted[FloorBlocks];
    std::copy(m_history, m_history + m_historyCount, sorted);
    double* decile = sorted + m_historyCount / 10;
    std::nth_element(sorted, decile, sorted + m_historyCount);
    return *decile;
}

void MorseToneDetector::decide(double magnitude)
{
    if (m_blocksSeen < m_windowBlocks) { // the window still holds silence from before the start
        ++m_blocksSeen;
        return;
    }
    m_history[m_historyIndex] = magnitude;
    m_historyIndex = (m_historyIndex + 1) % FloorBlocks;
    m_historyCount = std::min(m_historyCount + 1, FloorBlocks);

    const double floor = noiseFloor();
    m_peak = std::max(magnitude, m_peak * PeakDecay);
    const double span = m_peak - floor;
    const double on = floor + span * thresholdPercent / 100.0;
    const double off = floor + span * (thresholdPercent - HysteresisPercent) / 100.0;
    if (m_historyCount < MinFloorBlocks || m_peak < MinimumContrast * floor)
        m_tone = false;
    else if (!m_tone && magnitude > on)
        m_tone = true;
    else if (m_tone && magnitude < off)
        m_tone = false;
}
