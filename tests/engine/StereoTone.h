#pragma once

// Stereo test audio for the MP3 and WAV recorder tests.

#include <QVector>

#include <cmath>
#include <cstdlib>

// A malloc'd block of frames interleaved float pairs: a tone of leftHz on the
// left and rightHz on the right, continuing from frame firstFrame at 48 kHz.
inline float* stereoToneBlock(int frames, long firstFrame, double leftHz, double rightHz,
                              float amplitude = 0.5f)
{
    auto* block = static_cast<float*>(std::malloc(sizeof(float) * 2 * frames));
    for (int i = 0; i < frames; ++i) {
        double t = double(firstFrame + i) / 48000.0;
        block[2 * i] = amplitude * float(std::sin(2 * M_PI * leftHz * t));
        block[2 * i + 1] = amplitude * float(std::sin(2 * M_PI * rightHz * t));
    }
    return block;
}

// Power of one frequency in one channel of interleaved audio (Goertzel).
inline double tonePower(const QVector<float>& interleaved, int channel, double hz, double rate = 48000.0)
{
    double coefficient = 2 * std::cos(2 * M_PI * hz / rate);
    double s1 = 0, s2 = 0;
    for (int i = channel; i < interleaved.size(); i += 2) {
        double s = interleaved[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

// The frequency of the strongest tone of one channel, from its rising zero crossings.
inline double zeroCrossingHz(const QVector<float>& interleaved, int channel, double rate = 48000.0)
{
    int crossings = 0, first = -1, last = -1;
    for (int i = channel + 2; i < interleaved.size(); i += 2) {
        if (interleaved[i - 2] < 0 && interleaved[i] >= 0) {
            if (first < 0)
                first = i / 2;
            last = i / 2;
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0;
    return (crossings - 1) * rate / double(last - first);
}
