#include "engine/audio/AudioMixdown.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

namespace {

using Samples = std::vector<std::complex<float>>;

std::vector<int16_t> play(AudioMixdown& mix, const Samples& block)
{
    std::vector<int16_t> pcm(2 * block.size());
    mix.process(block.data(), static_cast<int>(block.size()), pcm.data());
    return pcm;
}

// Blocks whose samples count up, so that replayed history can be recognised.
Samples rampBlock(int index, int n = 2048)
{
    Samples s(n);
    for (int i = 0; i < n; ++i)
        s[i] = {float(index * n + i) * 1e-6f, 0.0f};
    return s;
}

} // namespace

TEST(AudioMixdown, BalanceWeights)
{
    struct Case
    {
        bool setBalance;
        double balance;
        int16_t expected; // for A = 0.5, B = 0.25 at volume 1
    };
    // Before any balance change only channel 0 is heard.
    for (const Case c : {Case{false, 0, 16000}, Case{true, -10, 16000}, Case{true, 0, 12000},
                         Case{true, 10, 8000}, Case{true, 25, 8000}, Case{true, -40, 16000}}) {
        AudioMixdown mix;
        if (c.setBalance)
            mix.setBalance(c.balance);
        const auto pcm = play(mix, Samples(4, {0.5f, 0.25f}));
        EXPECT_EQ(pcm[0], c.expected) << c.balance;
        EXPECT_EQ(pcm[1], pcm[0]) << "both frame channels carry the same value";
        EXPECT_FLOAT_EQ(mix.weightA() + mix.weightB(), 1.0f);
    }
}

TEST(AudioMixdown, VolumeCurve)
{
    struct Case
    {
        int percent;
        float volume;
    };
    for (const Case c :
         {Case{100, 1.0021607f}, Case{150, 1.0021607f}, Case{0, 0.0f}, Case{-5, 0.0f}, Case{9, 0.5f}}) {
        AudioMixdown mix;
        mix.setVolumePercent(c.percent);
        EXPECT_NEAR(mix.volume(), c.volume, 1e-6) << c.percent;
    }
}

TEST(AudioMixdown, SamplesSaturateAtThe16BitLimits)
{
    struct Case
    {
        float value;
        int16_t expected;
    };
    for (const Case c : {Case{1.2f, 32767}, Case{-1.2f, -32768}, Case{1.0f, 32000}, Case{-0.5f, -16000},
                         Case{1e-5f, 0}, Case{std::nanf(""), 0}})
        EXPECT_EQ(AudioMixdown::toPcm(c.value, 1.0f), c.expected) << c.value;
}

TEST(AudioMixdown, MuteSilencesWhileTheHistoryKeepsRecording)
{
    AudioMixdown mix;
    mix.setMuted(true);
    const auto pcm = play(mix, Samples(2048, {0.5f, 0.0f}));
    for (int16_t v : pcm)
        ASSERT_EQ(v, 0);
    EXPECT_EQ(mix.history().back(), 0.5f);
    mix.setMuted(false);
    EXPECT_EQ(play(mix, Samples(8, {0.5f, 0.0f}))[0], 16000);
}

TEST(AudioMixdown, RewindReplaysHistoryFromOneBlockBeforeThePoint)
{
    AudioMixdown mix;
    mix.setVolumePercent(9); // volume 0.5: PCM = value * 16000
    const int blocks = 150;  // more than five seconds
    for (int b = 0; b < blocks; ++b)
        play(mix, rampBlock(b));
    const std::vector<float> stored = mix.history();
    const int L = AudioMixdown::kHistoryLength;

    mix.requestRewind(2);
    int frames = 0;
    int live = blocks;
    while (frames == 0 || mix.isReplaying()) {
        const auto pcm = play(mix, rampBlock(live++)); // incoming audio is dropped
        for (int i = 0; i < 2048; ++i, ++frames) {
            const int position = L - 96000 - 2048 + frames;
            ASSERT_EQ(pcm[2 * i], AudioMixdown::toPcm(stored[position], 0.5f)) << frames;
        }
    }
    EXPECT_EQ(frames, 96000 / 2048 * 2048 + 2048); // the last block finishes whole
    // Live play resumes with the next block.
    const Samples next = rampBlock(live);
    const auto pcm = play(mix, next);
    EXPECT_EQ(pcm[0], AudioMixdown::toPcm(next[0].real(), 0.5f));
}

TEST(AudioMixdown, FullRewindStartsWithSilenceBeforeTheHistory)
{
    AudioMixdown mix;
    for (int b = 0; b < 150; ++b)
        play(mix, Samples(2048, {0.5f, 0.0f}));
    mix.requestRewind(9); // treated as 5 s
    const auto first = play(mix, Samples(2048, {0.9f, 0.0f}));
    for (int i = 0; i < 2048; ++i)
        ASSERT_EQ(first[2 * i], 0) << i;
    const auto second = play(mix, Samples(2048, {0.9f, 0.0f}));
    EXPECT_EQ(second[0], 16000);
}

TEST(AudioMixdown, RewindOfZeroOrLessIsIgnored)
{
    for (int seconds : {0, -3}) {
        AudioMixdown mix;
        play(mix, Samples(2048, {0.25f, 0.0f}));
        mix.requestRewind(seconds);
        EXPECT_EQ(play(mix, Samples(16, {0.5f, 0.0f}))[0], 16000) << seconds;
        EXPECT_FALSE(mix.isReplaying());
    }
}

TEST(AudioMixdown, BlocksLongerThanTheHistoryArePlayedWhole)
{
    AudioMixdown mix;
    const int n = AudioMixdown::kHistoryLength + 5000;
    const auto pcm = play(mix, Samples(n, {0.5f, 0.0f}));
    EXPECT_EQ(pcm[0], 16000);
    EXPECT_EQ(pcm[2 * n - 1], 16000);
}
