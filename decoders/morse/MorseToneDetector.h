#pragma once

#include <cstdint>

// Detects a keyed 500 Hz tone in 48 kHz audio, one block of 8 ms at a time: a
// Goertzel filter over the last windowBlocks blocks gives the tone's
// magnitude (independent of its phase), and the tone counts as present while
// that magnitude stands above a threshold between the noise floor and a
// slowly decaying peak, with hysteresis.
class MorseToneDetector
{
public:
    static constexpr int BlockSamples = 384;
    static constexpr int MaxWindowBlocks = 30;
    static constexpr int RingSamples = BlockSamples * MaxWindowBlocks;
    static constexpr double Coefficient = 1.995717846477207; // 2 cos(2 pi 500 / 48000)

    // Per cent of the way from the floor to the peak at which a tone starts;
    // it ends HysteresisPercent lower.
    int thresholdPercent = 60;
    static constexpr int HysteresisPercent = 20;
    // Peak decay per block: halves in about a second.
    static constexpr double PeakDecay = 0.995;
    // The floor is the lower decile of the last FloorBlocks magnitudes (4 s):
    // even fast keying leaves more than a tenth of its windows without tone.
    // No tone is taken before MinFloorBlocks of them were heard.
    static constexpr int FloorBlocks = 500;
    static constexpr int MinFloorBlocks = 25;
    // Below this peak-to-floor ratio nothing counts as a tone (20 dB). For
    // noise alone the decile lies at 0.37 of the mean magnitude, which noise
    // passes 3.7 times over about once in 50 000 windows.
    static constexpr double MinimumContrast = 10.0;

    // Window length in blocks, 1..MaxWindowBlocks (the decoder's unit length).
    void setWindowBlocks(int blocks);
    int windowBlocks() const { return m_windowBlocks; }

    // Takes one sample (-128..127). True when it completed a block; the tone
    // decision then reflects that block.
    bool addSample(int sample);
    bool tonePresent() const { return m_tone; }
    double magnitude() const { return m_magnitude; }

private:
    double detectTone() const;
    double noiseFloor();
    void decide(double magnitude);

    int8_t m_ring[RingSamples] = {};
    int m_ringIndex = 0;
    int m_blockFill = 0;
    int m_windowBlocks = 7;
    int m_blocksSeen = 0; // decisions start once a whole window was heard
    bool m_tone = false;
    double m_magnitude = 0.0;
    double m_peak = 0.0;
    double m_history[FloorBlocks] = {};
    int m_historyIndex = 0;
    int m_historyCount = 0;
};
