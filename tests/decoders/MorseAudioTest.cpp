// The Morse decoder on generated audio: keyed 500 Hz tapes at 48 kHz decode
// to their text, noise to nothing harmful; and its thread.
#include "WaitFor.h"
#include "decoders/morse/DemorseDecoder.h"
#include "decoders/morse/MorseAudioDecoder.h"
#include "engine/SampleFifo.h"
#include "tests/fixtures/decoder_signals/MorseTape.h"

#include <QString>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using morsefixture::TapeOptions;

namespace {

// Decodes a tape fed in blocks of blockValues int16 values.
std::string decodeTape(const std::vector<int16_t>& tape, bool adaptive = false, int blockValues = 2048)
{
    MorseAudioDecoder decoder;
    decoder.keying().adaptiveSpeed = adaptive;
    std::string out;
    for (size_t at = 0; at < tape.size(); at += size_t(blockValues)) {
        const int count = int(std::min(tape.size() - at, size_t(blockValues)));
        // A block of its own, as a queue hands it over: reads past it are caught.
        std::vector<int16_t> block(tape.begin() + long(at), tape.begin() + long(at) + count);
        decoder.feed(block.data(), count, [&](char c) { out += c; });
    }
    return out;
}

// Upper case, runs of spaces made one, no space at the ends.
std::string normalised(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == ' ' && (out.empty() || out.back() == ' '))
            continue;
        out += char(std::toupper(static_cast<unsigned char>(c)));
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

} // namespace

TEST(MorseAudio, KeyedTapesDecodeToTheirText)
{
    struct Case
    {
        double wpm;
        double snrDb;
        double amplitude;
        bool adaptive;
    };
    const std::string text = "CQ CQ DE F4XYZ PSE K 73";
    // The fixed unit of 7 blocks (56 ms) reads 14 to 28 words per minute;
    // slower keying needs the speed adaptation.
    for (const Case c : {Case{15, INFINITY, 0.1, false}, Case{20, INFINITY, 0.9, false},
                         Case{14, 10, 0.1, false}, Case{25, 10, 0.1, false}, Case{28, 20, 0.1, false},
                         Case{20, 15, 0.02, false}, Case{12, 10, 0.1, true}, Case{18, 20, 0.1, true}}) {
        TapeOptions o;
        o.wpm = c.wpm;
        o.snrDb = c.snrDb;
        o.amplitude = c.amplitude;
        o.seed = uint32_t(c.wpm * 10);
        // The adapting unit needs a few characters to follow the keying:
        // "VVV" is sent first and may come out wrong.
        const std::string sent = c.adaptive ? "VVV " + text : text;
        const std::string got = normalised(decodeTape(morsefixture::tape(sent, o), c.adaptive));
        const std::string tail = got.size() >= text.size() ? got.substr(got.size() - text.size()) : got;
        EXPECT_EQ(c.adaptive ? tail : got, text) << c.wpm << " wpm, " << c.snrDb << " dB: \"" << got << '"';
    }
}

TEST(MorseAudio, ToneMagnitudeIsHalfItsAmplitudeWhateverItsPhase)
{
    // A steady 500 Hz tone of amplitude 100 (after scaling), starting at
    // several phases: every block after the first window reads 50.
    for (double phase : {0.0, 0.7, 1.9, 3.1}) {
        MorseToneDetector detector;
        std::vector<double> magnitudes;
        for (int n = 0; n < 20 * MorseToneDetector::BlockSamples; ++n)
            if (detector.addSample(int(std::lround(100.0 * std::sin(2.0 * M_PI * 500.0 * n / 48000.0 + phase)))))
                magnitudes.push_back(detector.magnitude());
        for (size_t b = size_t(detector.windowBlocks()); b < magnitudes.size(); ++b)
            EXPECT_NEAR(magnitudes[b], 50.0, 0.5) << "phase " << phase << ", block " << b;
    }
}

TEST(MorseAudio, OddBlocksAreReadWithinTheirEnds)
{
    TapeOptions o;
    o.wpm = 20;
    o.snrDb = 25;
    const std::vector<int16_t> tape = morsefixture::tape("TEST 73", o);
    for (int blockValues : {1, 3, 383, 2047})
        EXPECT_EQ(normalised(decodeTape(tape, false, blockValues)), "TEST 73") << blockValues;
}

TEST(MorseAudio, NoiseDecodesToNothingHarmful)
{
    const std::string allowed = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,:?'-/(\";$#<!@]=~* ";
    for (double rms : {0.001, 0.05, 0.3}) {
        TapeOptions o;
        o.amplitude = rms * std::sqrt(2.0);
        o.snrDb = 0.0;
        o.noiseBandwidthHz = o.rate / 2.0; // rms over the whole band
        const std::string decoded = decodeTape(morsefixture::noiseTape(60.0, o));
        EXPECT_LE(decoded.size(), 4u) << rms << ": \"" << decoded << '"';
        EXPECT_EQ(decoded.find_first_not_of(allowed), std::string::npos) << decoded;
    }
    const std::vector<int16_t> silence(48000 * 20, 0);
    EXPECT_EQ(decodeTape(silence), "");
}

TEST(DemorseDecoder, ThreadDecodesItsQueueAndStopsOnRequest)
{
    SampleFifo fifo;
    TapeOptions o;
    o.wpm = 22;
    o.snrDb = 20;
    const std::vector<int16_t> tape = morsefixture::tape("SOS DE TEST", o);
    for (size_t at = 0; at < tape.size(); at += 4096) {
        const size_t count = std::min(tape.size() - at, size_t(4096));
        auto* block = static_cast<int16_t*>(std::malloc(count * sizeof(int16_t)));
        std::memcpy(block, tape.data() + at, count * sizeof(int16_t));
        ASSERT_GT(fifo.enqueue(block, int(count), 0, nullptr), 0); // fewer than the 200 it holds
    }
    QString decoded; // filled on this thread through queued calls
    QObject context;
    {
        DemorseDecoder decoder(&fifo);
        EXPECT_EQ(decoder.objectName(), "Demorse");
        QObject::connect(&decoder, &DemorseDecoder::SIG_characterDecoded, &context,
                         [&](QChar c) { decoded += c; });
        decoder.start();
        EXPECT_TRUE(waitFor([&] { return decoded.simplified() == "SOS DE TEST"; }, 30000))
            << decoded.toStdString();
        decoder.requestStop();
        EXPECT_TRUE(decoder.wait(kWaitBoundMs));
    }
    {
        DemorseDecoder idle(&fifo); // an empty queue: the destructor stops and joins it
        idle.start();
        QThread::msleep(20);
    }
}
