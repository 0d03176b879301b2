#pragma once

#include "engine/dsp/Complex.h"
#include <atomic>
#include <cstdint>
#include <vector>

// The pure part of the audio output: turns stereo receiver audio (channel 0 in the
// real parts, channel 1 in the imaginary parts) into the 16-bit frames the sound
// device plays. It mixes the two channels with the balance weights, keeps the last
// five seconds of the mix for instant replay, scales by the volume, honours mute and
// saturates at the 16-bit limits. Both frame channels carry the same value.
// The setters may be called from any thread; process runs on one thread.
class AudioMixdown
{
public:
    static constexpr int kSampleRate = 48000;
    static constexpr int kMaxRewindSeconds = 5;
    static constexpr int kHistoryLength = kMaxRewindSeconds * kSampleRate;

    AudioMixdown();

    // -10 plays channel 0 only, +10 channel 1 only, 0 both at half weight. Values
    // outside -10..10 are limited to that range.
    void setBalance(double value);
    // 0..100 percent (limited to that range), mapped to 0.5 * log10(p + 1).
    void setVolumePercent(int percent);
    void setMuted(bool muted) { m_muted = muted; }
    // Replays the last min(seconds, 5) seconds from the next block on; 0 or less
    // is ignored.
    void requestRewind(int seconds);

    float weightA() const;
    float weightB() const;
    float volume() const { return m_volume.load(); }
    bool isMuted() const { return m_muted.load(); }
    bool isReplaying() const { return m_rewindCountdown > 0; }
    // A replay asked for that has not begun yet, in samples (0 for none). Any thread.
    int pendingRewind() const { return m_rewindRequest.load(); }
    // Stored mix, oldest first (kHistoryLength values).
    const std::vector<float>& history() const { return m_history; }

    // Mixes count samples and writes count interleaved stereo frames (2 * count
    // values) to pcm. While a replay runs, the block's audio is dropped and the
    // stored history is played instead.
    void process(const Complex* block, int count, int16_t* pcm);

    // One mixed value as a 16-bit sample at the given volume, saturated.
    static int16_t toPcm(float value, float volume);

private:
    void processChunk(const Complex* block, int count, int16_t* pcm);

    std::vector<float> m_history;
    int m_rewindCountdown = 0;
    std::atomic<int> m_rewindRequest{0};
    std::atomic<float> m_balance{-10.0f};
    std::atomic<float> m_volume{1.0f};
    std::atomic<bool> m_muted{false};
};
