// Reads the null sink's monitor through the sound-card input thread while stereo
// tones play into the sink.
#include "engine/SampleFifo.h"
#include "engine/audio/AudioInput.h"

#include "SoundCapture.h"
#include "ToneAnalysis.h"
#include "WaitFor.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

TEST(AudioInputSound, LeftBecomesIAndRightBecomesQ)
{
    ASSERT_TRUE(SoundCapture::serverAvailable())
        << "no PulseAudio server: source scripts/pulse-null-sink.sh before the sound tests";
    AudioInput input(SoundCapture::kDefaultSource, 48000);
    ASSERT_EQ(input.sampleRate(), 48000);
    EXPECT_EQ(input.deviceName(), QString(SoundCapture::kDefaultSource));
    input.setIQCorrectionFactors(1.0f, 2.0f, 0.0f);
    input.start();

    // Two seconds: the idle null sink may first finish a long sleep.
    std::vector<short> pcm;
    for (int n = 0; n < 96000; ++n) {
        pcm.push_back(short(8000 * std::sin(2 * M_PI * 1000 * n / 48000.0)));
        pcm.push_back(short(4000 * std::sin(2 * M_PI * 1500 * n / 48000.0)));
    }
    std::atomic<bool> played{false};
    std::thread player([&] { played = SoundCapture::playFrames(pcm, 48000); });

    // Reads until the tones have come and gone: the player is done and the
    // input has delivered the tones followed by a tenth of a second of quiet.
    std::vector<float> i, q;
    const auto quiet = [](auto begin, auto end) {
        return std::all_of(begin, end, [](float x) { return std::fabs(x) <= 0.001f; });
    };
    const auto heardAndEnded = [&] {
        return played && i.size() > 4800 && !quiet(i.begin(), i.end()) && quiet(i.end() - 4800, i.end());
    };
    QElapsedTimer clock;
    clock.start();
    while (!heardAndEnded() && clock.elapsed() < kWaitBoundMs) {
        int count = 0;
        void* data = input.fifo()->dequeue(&count, 0, nullptr, true);
        const auto* block = static_cast<Complex*>(data);
        for (int k = 0; k < count; ++k) {
            i.push_back(block[k].real());
            q.push_back(block[k].imag());
        }
        std::free(data);
    }
    player.join();
    input.requestStop();
    EXPECT_TRUE(input.wait(kWaitBoundMs));
    ASSERT_TRUE(played);
    EXPECT_TRUE(heardAndEnded());

    const auto activeI = tone::activeSection(i, 0.05f);
    const auto activeQ = tone::activeSection(q, 0.05f);
    ASSERT_GT(activeI.size(), 24000u);
    EXPECT_NEAR(tone::peakFrequency(activeI, 48000), 1000.0, 5.0);
    EXPECT_NEAR(tone::peakFrequency(activeQ, 48000), 1500.0, 7.5);
    // The right channel at half the level, doubled by the Q gain.
    EXPECT_NEAR(tone::rms(activeQ) / tone::rms(activeI), 1.0, 0.05);
}

TEST(AudioInputSound, NameMatchIsCaseSensitive)
{
    ASSERT_TRUE(SoundCapture::serverAvailable());
    AudioInput exact("null.monitor", 48000);
    EXPECT_EQ(exact.deviceName(), QString(SoundCapture::kDefaultSource));
    // No device has this name in capitals: the default input is taken instead.
    AudioInput wrongCase("NULL.MONITOR", 48000);
    EXPECT_NE(wrongCase.deviceName(), QString());
    EXPECT_FALSE(wrongCase.deviceName().contains("NULL.MONITOR"));
}
