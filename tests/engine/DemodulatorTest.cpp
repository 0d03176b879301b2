#include "engine/SampleContext.h"
#include "engine/SampleFifo.h"
#include "engine/demod/TimeDomainBlock.h"
#include "engine/demod/USBdemodulator.h"

#include "ToneAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kAudioRate = 48000;
constexpr int kBlock = 2048;

// A complex tone at hz (negative: below the tuned frequency) at a channel rate,
// continued across calls.
class ToneSource
{
public:
    ToneSource(double hz, int rate, float amplitude = 0.5f) : hz(hz), rate(rate), amplitude(amplitude) {}
    std::vector<Complex> next(int count)
    {
        std::vector<Complex> out(count);
        for (int i = 0; i < count; ++i, ++n) {
            const double phase = 2 * M_PI * hz * double(n) / rate;
            out[i] = {amplitude * float(std::cos(phase)), amplitude * float(std::sin(phase))};
        }
        return out;
    }

private:
    double hz;
    int rate;
    float amplitude;
    long n = 0;
};

// Takes every block out of the queue, checking that each is one full audio block.
std::vector<float> drain(SampleFifo& queue)
{
    std::vector<float> audio;
    int count = 0;
    while (void* data = queue.dequeue(&count, 0, nullptr, false)) {
        EXPECT_EQ(count, kBlock);
        const auto* block = static_cast<Complex*>(data);
        for (int i = 0; i < count; ++i)
            audio.push_back(block[i].real());
        std::free(data);
    }
    return audio;
}

int feed(Demodulator& demod, ToneSource& source, int count, int rate, SampleFifo& queue)
{
    std::vector<Complex> block = source.next(count);
    return demod.performDemodulation(block.data(), count, rate, kAudioRate, kBlock, &queue, nullptr);
}

} // namespace

TEST(Demodulator, FirstBlockAndFirstAfterARateChangeGiveNoAudio)
{
    USBdemodulator demod;
    SampleFifo queue;
    ToneSource source(1000, 3600);
    EXPECT_EQ(demod.getInputRate(), 4000);
    EXPECT_EQ(feed(demod, source, 1000, 3600, queue), 0);
    EXPECT_EQ(demod.getInputRate(), 3600);
    EXPECT_EQ(queue.size(), 0);
    // 1000 samples at 3600 Hz make about 13333 at 48000 Hz: six blocks, the rest waits.
    EXPECT_EQ(feed(demod, source, 1000, 3600, queue), 6);
    EXPECT_EQ(queue.size(), 6);
    EXPECT_EQ(feed(demod, source, 1000, 7200, queue), 0);
    EXPECT_EQ(queue.size(), 6);
    // The waiting part was dropped with the rate change: 1000 samples at 7200 Hz
    // make about 6667 samples, three blocks.
    EXPECT_EQ(feed(demod, source, 1000, 7200, queue), 3);
    drain(queue);
}

TEST(Demodulator, AudioBlocksAreGaplessAndTheirCountFollowsTheInputDuration)
{
    struct Case
    {
        int rate;
        int blockSamples;
    };
    for (const Case c : {Case{3600, 1000}, Case{7200, 777}, Case{11000, 1024}, Case{140000, 10000}}) {
        USBdemodulator demod;
        SampleFifo queue;
        ToneSource source(c.rate / 8.0, c.rate, 0.5f);
        feed(demod, source, c.blockSamples, c.rate, queue); // establishes the rate
        long blocks = 0;
        long input = 0;
        std::vector<float> audio;
        while (input < 10L * c.rate) { // 10 s
            blocks += feed(demod, source, c.blockSamples, c.rate, queue);
            input += c.blockSamples;
            const auto part = drain(queue);
            audio.insert(audio.end(), part.begin(), part.end());
        }
        const double expected = double(input) * kAudioRate / c.rate / kBlock;
        EXPECT_NEAR(double(blocks), expected, 1.0) << c.rate;
        EXPECT_EQ(long(audio.size()), blocks * kBlock) << c.rate;
        // A steady tone with no gap or repeat: no step larger than the tone's slope allows.
        const double hz = c.rate / 8.0;
        const double amplitude = 0.5 * std::sqrt(2.0);
        const double maxStep = amplitude * 2 * M_PI * hz / kAudioRate * 1.1;
        for (size_t i = 1000; i + 1 < audio.size(); ++i)
            ASSERT_LE(std::fabs(audio[i + 1] - audio[i]), maxStep) << c.rate << " at " << i;
        EXPECT_NEAR(tone::peakFrequency(audio, kAudioRate), hz, hz * 0.002) << c.rate;
    }
}

TEST(Demodulator, RitMovesThePitchByItsOffsetAndFollowsARateChange)
{
    USBdemodulator demod;
    demod.setRitFrequency(500); // set before any block: the rate is not known yet
    EXPECT_TRUE(demod.isRitOn());
    SampleFifo queue;
    for (int rate : {7200, 9600}) {
        ToneSource source(1000, rate);
        feed(demod, source, 1200, rate, queue);
        std::vector<float> audio;
        for (int i = 0; i < 40; ++i) {
            feed(demod, source, 1200, rate, queue);
            const auto part = drain(queue);
            audio.insert(audio.end(), part.begin(), part.end());
        }
        EXPECT_NEAR(tone::peakFrequency(audio, kAudioRate), 1500.0, 3.0) << rate;
    }
}

TEST(Demodulator, WritesItsInputRateIntoTheContext)
{
    USBdemodulator demod;
    SampleFifo queue;
    SampleContext ctx{};
    std::vector<Complex> block(500);
    demod.performDemodulation(block.data(), 500, 3600, kAudioRate, kBlock, &queue, &ctx);
    demod.performDemodulation(block.data(), 500, 3600, kAudioRate, kBlock, &queue, &ctx);
    EXPECT_EQ(ctx.ddc_outrate, 3600.0f);
    drain(queue);
}

TEST(Demodulator, CaptureCopiesUntilTheCountIsUsedUp)
{
    USBdemodulator demod;
    SampleFifo queue;
    ToneSource source(500, 4000);
    feed(demod, source, 1024, 4000, queue);
    demod.setCaptureCount(5000);
    for (int i = 0; i < 8; ++i)
        feed(demod, source, 1024, 4000, queue);
    EXPECT_EQ(demod.getCaptureQueue()->size(), 5);
    EXPECT_LE(demod.getCaptureRemaining(), 0);
    int count = 0;
    void* first = demod.getCaptureQueue()->dequeue(&count, 0, nullptr, false);
    EXPECT_EQ(count, 1024);
    std::free(first);
    drain(queue);
}

TEST(Demodulator, TimeDomainCopiesCarryCountAndRate)
{
    USBdemodulator demod;
    SampleFifo audio;
    SampleFifo view;
    demod.setTDFifo(&view);
    ToneSource source(500, 4000);
    feed(demod, source, 600, 4000, audio); // the first block is dropped before any copy
    feed(demod, source, 600, 4000, audio);
    ASSERT_EQ(view.size(), 1);
    int count = 0;
    auto* block = static_cast<TimeDomainBlock*>(view.dequeue(&count, 0, nullptr, false));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->header->sampleCount, 600);
    EXPECT_EQ(block->header->sampleRate, 4000);
    EXPECT_EQ(block->header->byteCount, 4800);
    std::free(block->header);
    std::free(block->samples);
    std::free(block);

    view.accepting = false; // the view is paused: nothing is copied
    feed(demod, source, 600, 4000, audio);
    EXPECT_EQ(view.size(), 0);
    demod.setTDFifo(nullptr);
    drain(audio);
}

TEST(Demodulator, RefusedAudioBlocksAreDroppedWithoutLeaking)
{
    USBdemodulator demod;
    SampleFifo queue;
    queue.accepting = false;
    ToneSource source(500, 4000);
    feed(demod, source, 4000, 4000, queue);
    EXPECT_EQ(feed(demod, source, 4000, 4000, queue), 23); // counted though refused
    EXPECT_EQ(queue.size(), 0);
}

TEST(Demodulator, BadArgumentsProduceNothing)
{
    USBdemodulator demod;
    SampleFifo queue;
    std::vector<Complex> block(100);
    EXPECT_EQ(demod.performDemodulation(block.data(), 100, 0, kAudioRate, kBlock, &queue, nullptr), 0);
    EXPECT_EQ(demod.performDemodulation(nullptr, 100, 4000, kAudioRate, kBlock, &queue, nullptr), 0);
    EXPECT_EQ(demod.performDemodulation(block.data(), 100, 4000, kAudioRate, 0, &queue, nullptr), 0);
}
