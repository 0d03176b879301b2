#include "engine/audio/AudioMixdown.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr float kFullScale = 32000.0f;
// Blocks longer than the history are played in pieces the history can hold.
constexpr int kMaxChunk = 4096;
} // namespace

AudioMixdown::AudioMixdown() : m_history(kHistoryLength, 0.0f) {}

void AudioMixdown::setBalance(double value)
{
    m_balance = static_cast<float>(std::clamp(value, -10.0, 10.0));
}

float AudioMixdown::weightA() const
{
    const float value = m_balance.load();
    return (20.0f - (value + 10.0f)) / 20.0f;
}

float AudioMixdown::weightB() const
{
    return (m_balance.load() + 10.0f) / 20.0f;
}

void AudioMixdown::setVolumePercent(int percent)
{
    const int p = std::clamp(percent, 0, 100);
    m_volume = static_cast<float>(0.5 * std::log10(p + 1.0));
}

void AudioMixdown::requestRewind(int seconds)
{
    m_rewindRequest = std::min(seconds, kMaxRewindSeconds) * kSampleRate;
}

int16_t AudioMixdown::toPcm(float value, float volume)
{
    const float scaled = value * kFullScale * volume;
    if (!(scaled == scaled)) // NaN plays as silence
        return 0;
    const float limited = std::clamp(scaled, static_cast<float>(std::numeric_limits<int16_t>::min()),
                                     static_cast<float>(std::numeric_limits<int16_t>::max()));
    return static_cast<int16_t>(limited); // truncates toward zero
}

void AudioMixdown::process(const Complex* block, int count, int16_t* pcm)
{
    if (!block || !pcm)
        return;
    for (int done = 0; done < count; done += kMaxChunk) {
        const int n = std::min(kMaxChunk, count - done);
        processChunk(block + done, n, pcm + 2 * done);
    }
}

void AudioMixdown::processChunk(const Complex* block, int n, int16_t* pcm)
{
    if (m_rewindCountdown == 0) {
        const int request = m_rewindRequest.exchange(0);
        if (request > 0)
            m_rewindCountdown = request;
    }

    int readPosition;
    if (m_rewindCountdown == 0) {
        const float wA = weightA();
        const float wB = weightB();
        const float sum = wA + wB;
        std::move(m_history.begin() + n, m_history.end(), m_history.begin());
        float* tail = m_history.data() + kHistoryLength - n;
        for (int i = 0; i < n; ++i)
            tail[i] = (block[i].real() * wA + block[i].imag() * wB) / sum;
        readPosition = kHistoryLength - n;
    } else {
        // A replay starts one block before the requested point; what lies before
        // the stored history plays as silence.
        readPosition = kHistoryLength - m_rewindCountdown - n;
    }

    const bool muted = m_muted.load();
    const float volume = m_volume.load();
    for (int i = 0; i < n; ++i) {
        const int position = readPosition + i;
        const float value = position >= 0 ? m_history[position] : 0.0f;
        const int16_t v = muted ? 0 : toPcm(value, volume);
        pcm[2 * i] = v;
        pcm[2 * i + 1] = v;
        if (m_rewindCountdown > 0)
            --m_rewindCountdown;
    }
}
