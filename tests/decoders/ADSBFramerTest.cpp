// The framer on generated 2 MS/s recordings: which frames come out, with
// which length, and what it refuses.
#include "decoders/adsb/ADSBFramer.h"
#include "tests/fixtures/decoder_signals/ModeSTape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace modesfixture;

namespace {

struct Emitted
{
    std::string hex;
    int len;
    qlonglong time;
};

// Runs the framer over a recording and collects what it emits.
class FramerRun
{
public:
    explicit FramerRun(ADSBFramer& framer) : m_framer(framer)
    {
        QObject::connect(&framer, &ADSBFramer::MSG_newADSBRawMessage,
                         [this](unsigned char* msg, int len, qlonglong time) {
                             const int bytes = (len - 1) / 8;
                             frames.push_back({toHex(Frame(msg, msg + bytes)), len, time});
                             std::free(msg);
                         });
    }

    void run(const std::vector<uint8_t>& iq, qlonglong timeBase = 0)
    {
        std::vector<uint16_t> buffer((iq.size() + 1) / 2);
        std::memcpy(buffer.data(), iq.data(), iq.size());
        m_framer.processSamples(buffer.data(), int(iq.size()), timeBase);
    }

    std::vector<std::string> hexes() const
    {
        std::vector<std::string> out;
        for (const Emitted& e : frames)
            out.push_back(e.hex);
        return out;
    }

    std::vector<Emitted> frames;

private:
    ADSBFramer& m_framer;
};

const std::vector<std::string> kFrames = {"8D4840D6202CC371C32CE0576098", "5D4840D6F8740F",
                                          "8D40621D58C382D690C8AC2863A7", "2000183859C38D",
                                          "8D485020994409940838175B284F"};

// The frames one after the other, 300 samples apart, after 100 samples of silence.
IqTape tapeOf(const std::vector<std::string>& hexes, double amplitude = 60.0)
{
    IqTape tape(100 + 300 * hexes.size() + 100);
    for (size_t k = 0; k < hexes.size(); ++k)
        tape.addFrame(100 + 300 * k, fromHex(hexes[k]), amplitude);
    return tape;
}

} // namespace

TEST(ADSBFramer, CleanRecordingGivesEveryFrame)
{
    ADSBFramer framer;
    FramerRun run(framer);
    run.run(tapeOf(kFrames).bytes(), 5000);
    EXPECT_EQ(run.hexes(), kFrames);
    ASSERT_EQ(run.frames.size(), kFrames.size());
    for (size_t k = 0; k < kFrames.size(); ++k) {
        EXPECT_EQ(run.frames[k].len, int(kFrames[k].size()) * 4 + 1) << kFrames[k];
        // Frame times grow with the position in the recording.
        if (k)
            EXPECT_GT(run.frames[k].time, run.frames[k - 1].time);
    }
    EXPECT_GT(run.frames[0].time, 5000 + 100);
    EXPECT_EQ(framer.frameCount, int(kFrames.size()));
}

TEST(ADSBFramer, ModeZeroPassesOnlySquitterFormats)
{
    // Mode 0 decides every pair, so a slice runs to the end of its buffer:
    // one reply per buffer.
    struct Case
    {
        int mode;
        std::string frame;
        bool emitted;
    };
    for (const Case& c : {Case{0, kFrames[0], true}, Case{0, kFrames[1], true}, Case{0, kFrames[3], false},
                          Case{10, kFrames[3], true}, Case{3, kFrames[3], true}, Case{3, kFrames[0], true}}) {
        ADSBFramer framer;
        framer.decisionMode = c.mode;
        FramerRun run(framer);
        run.run(tapeOf({c.frame}).bytes());
        EXPECT_EQ(run.hexes(), c.emitted ? std::vector<std::string>{c.frame} : std::vector<std::string>{})
            << "mode " << c.mode << " " << c.frame;
    }
}

TEST(ADSBFramer, FirstByteZeroIsAbandoned)
{
    ADSBFramer framer;
    FramerRun run(framer);
    run.run(tapeOf({"00000000000000", kFrames[1]}).bytes());
    EXPECT_EQ(run.hexes(), std::vector<std::string>{kFrames[1]});
}

TEST(ADSBFramer, PreambleLowSamplesMustStayStrictlyBelowTheHighOnes)
{
    // Magnitudes of 16 samples: pulses at 0, 2, 7 and 9.
    struct Case
    {
        const char* what;
        std::vector<uint16_t> samples;
        bool preamble;
    };
    const std::vector<Case> cases = {
        {"clean", {90, 0, 90, 0, 0, 0, 0, 90, 0, 90, 0, 0, 0, 0, 0, 0}, true},
        {"low equals the high before", {90, 0, 90, 90, 0, 0, 0, 90, 0, 90, 0, 0, 0, 0, 0, 0}, false},
        {"low just below", {90, 0, 90, 89, 0, 0, 0, 90, 0, 90, 0, 0, 0, 0, 0, 0}, true},
        {"first pulse missing", {0, 0, 90, 0, 0, 0, 0, 90, 0, 90, 0, 0, 0, 0, 0, 0}, false},
        {"tail too high", {90, 0, 90, 0, 0, 0, 0, 90, 0, 50, 0, 0, 0, 0, 0, 60}, false},
    };
    ADSBFramer framer;
    for (const Case& c : cases)
        EXPECT_EQ(framer.isPreamble(c.samples.data(), 0), c.preamble) << c.what;
}

TEST(ADSBFramer, NoiseOnTheRepliesStillGivesThemWhole)
{
    // Ten of each reply at 15 dB. Noise just before a preamble can pass for
    // one and hide the real one, so the 40 samples before each stay quiet.
    std::vector<std::string> sent;
    for (int repeat = 0; repeat < 10; ++repeat)
        sent.insert(sent.end(), kFrames.begin(), kFrames.end());
    IqTape tape = tapeOf(sent, 40.0);
    tape.addNoise(noiseSigmaFor(40.0, 15.0), 7);
    std::vector<uint8_t> iq = tape.bytes();
    for (size_t k = 0; k < sent.size(); ++k)
        std::fill(iq.begin() + long(2 * (100 + 300 * k - 40)), iq.begin() + long(2 * (100 + 300 * k)), 128);
    ADSBFramer framer;
    FramerRun run(framer);
    run.run(iq);
    size_t intact = 0;
    for (const std::string& hex : run.hexes())
        for (const std::string& s : kFrames)
            intact += hex == s;
    EXPECT_GE(intact, sent.size() * 9 / 10);
}

TEST(ADSBFramer, ShortAndOddBuffersAreSafe)
{
    ADSBFramer framer;
    FramerRun run(framer);
    const std::vector<uint8_t> full = tapeOf({kFrames[0]}).bytes();
    for (size_t bytes :
         {size_t(0), size_t(1), size_t(3), size_t(33), size_t(233), size_t(301), full.size() - 1})
        run.run(std::vector<uint8_t>(full.begin(), full.begin() + long(bytes)));
    framer.processSamples(nullptr, 100, 0);
    // A frame cut by the end of its buffer is lost, never read past it; only
    // the last buffer holds the whole frame.
    EXPECT_EQ(run.hexes(), std::vector<std::string>{kFrames[0]});
}
