// Morse decoder on generated keyed 500 Hz audio (48 kHz stereo) with white
// noise: the share of characters decoded right, out of the characters sent,
// at 10, 6 and 3 dB and at 15 and 25 words per minute.
//
// The signal-to-noise ratio is the tone power over the noise power in a
// 500 Hz band (a usual CW filter); the tone is at 5 % of full scale, so that
// the noise never clips. Each row decodes 8 tapes of 60 random
// five-character groups; "right" is the length sent minus the edit distance
// between the text sent and the text decoded (spaces included, runs of
// spaces counted as one).
#include "decoders/morse/MorseAudioDecoder.h"
#include "tests/fixtures/decoder_signals/MorseTape.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kTapes = 8;
constexpr int kGroups = 60;

std::string randomGroups(std::mt19937& random)
{
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string text;
    for (int g = 0; g < kGroups; ++g) {
        if (g)
            text += ' ';
        for (int k = 0; k < 5; ++k)
            text += alphabet[random() % alphabet.size()];
    }
    return text;
}

std::string collapsed(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (!(c == ' ' && (out.empty() || out.back() == ' ')))
            out += c;
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

size_t editDistance(const std::string& a, const std::string& b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[b.size()];
}

} // namespace

int main()
{
    std::printf("Morse decoder: characters right / characters sent (SNR in 500 Hz)\n");
    std::printf("%8s %8s %10s %10s %8s\n", "wpm", "SNR dB", "sent", "right", "rate");
    for (double wpm : {15.0, 25.0}) {
        for (double snr : {10.0, 6.0, 3.0}) {
            std::mt19937 random(uint32_t(wpm * 100 + snr));
            long sent = 0;
            long right = 0;
            for (int t = 0; t < kTapes; ++t) {
                const std::string text = randomGroups(random);
                morsefixture::TapeOptions o;
                o.wpm = wpm;
                o.snrDb = snr;
                o.amplitude = 0.05;
                o.seed = random();
                const std::vector<int16_t> tape = morsefixture::tape(text, o);
                MorseAudioDecoder decoder;
                std::string decoded;
                for (size_t at = 0; at < tape.size(); at += 2048)
                    decoder.feed(tape.data() + at, int(std::min(tape.size() - at, size_t(2048))),
                                 [&](char c) { decoded += c; });
                const std::string got = collapsed(decoded);
                sent += long(text.size());
                right += std::max(0L, long(text.size()) - long(editDistance(text, got)));
            }
            std::printf("%8.0f %8.0f %10ld %10ld %7.1f%%\n", wpm, snr, sent, right,
                        100.0 * double(right) / sent);
            std::fflush(stdout);
        }
    }
    return 0;
}
