// ADS-B framer and Mode S decoder over generated 2 MS/s I/Q: throughput as a
// multiple of real time, and per signal-to-noise ratio the share of the
// frames sent that the decoder accepted.
//
// Each run is 60 s of recording per ratio: 500 replies a second from 40
// aircraft (identification, position pairs, velocity, all-call and altitude
// replies), at random places, cut into the receiver thread's chunks (replies
// across a chunk end are lost, as in the receiver). The ratio is the pulse
// power over the complex noise power in the 2 MHz band. Only the framing
// and decoding are timed, not the generation.
#include "decoders/adsb/ADSBFeeder.h"
#include "decoders/adsb/ADSBFramer.h"
#include "decoders/adsb/ModeSDecoder.h"
#include "tests/fixtures/decoder_signals/ModeSTape.h"

#include <QCoreApplication>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <vector>

using namespace modesfixture;

namespace {

constexpr int kSeconds = 60;
constexpr int kRepliesPerSecond = 500;
constexpr int kAircraft = 40;
constexpr double kAmplitude = 40.0;

struct Fleet
{
    std::vector<uint32_t> addresses;
    std::vector<Frame> frames; // every reply the fleet sends, cycled through
};

Fleet makeFleet()
{
    Fleet fleet;
    std::mt19937 random(11);
    std::uniform_real_distribution<double> lat(35.0, 60.0), lon(-10.0, 20.0);
    for (int k = 0; k < kAircraft; ++k) {
        const uint32_t a = 0x400000u + uint32_t(k) * 0x1237u;
        const double la = lat(random), lo = lon(random);
        const int feet = 1000 + 900 * k;
        fleet.addresses.push_back(a);
        for (const Frame& f :
             {identification(a, "BNCH" + std::to_string(k)), airbornePosition(a, la, lo, feet, false),
              airbornePosition(a, la, lo, feet, true), groundVelocity(a, 200 + k, -150 - k), allCallReply(a),
              altitudeReply(a, feet)})
            fleet.frames.push_back(f);
    }
    return fleet;
}

struct Result
{
    long sent = 0;
    long decoded = 0;
    long spuriousAircraft = 0;
    double seconds = 0; // framing and decoding
};

Result run(const Fleet& fleet, double snrDb)
{
    ADSBFramer framer;
    ModeSDecoder decoder;
    decoder.setClock([] { return qint64(1700000000000); }); // nothing expires during the run
    QObject::connect(&framer, &ADSBFramer::MSG_newADSBRawMessage, &decoder,
                     &ModeSDecoder::SL_newADSBRawMessage, Qt::DirectConnection);
    Result result;
    std::mt19937 random(uint32_t(snrDb * 100) + 1);
    const size_t slot = IqTape::SampleRate / kRepliesPerSecond;
    size_t next = 0;
    qlonglong timeBase = 0;
    std::vector<uint16_t> chunk(ADSBFeeder::ChunkSamples);
    for (int second = 0; second < kSeconds; ++second) {
        IqTape tape(IqTape::SampleRate);
        for (int r = 0; r < kRepliesPerSecond; ++r) {
            const Frame& f = fleet.frames[next++ % fleet.frames.size()];
            const size_t room = slot - IqTape::frameSamples(f) - 32;
            tape.addFrame(size_t(r) * slot + 16 + random() % room, f, kAmplitude);
            ++result.sent;
        }
        if (std::isfinite(snrDb))
            tape.addNoise(noiseSigmaFor(kAmplitude, snrDb), random());
        const std::vector<uint8_t> iq = tape.bytes();
        const size_t chunkBytes = chunk.size() * 2;
        for (size_t at = 0; at < iq.size(); at += chunkBytes) {
            const size_t bytes = std::min(chunkBytes, iq.size() - at);
            std::memcpy(chunk.data(), iq.data() + at, bytes);
            const auto t0 = std::chrono::steady_clock::now();
            framer.processSamples(chunk.data(), int(bytes), timeBase);
            result.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            timeBase += qlonglong(bytes / 2);
        }
    }
    const std::set<uint32_t> known(fleet.addresses.begin(), fleet.addresses.end());
    for (aircraft* a = decoder.firstAircraft(); a; a = a->next) {
        if (known.count(a->address))
            result.decoded += a->messages;
        else
            ++result.spuriousAircraft;
    }
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const Fleet fleet = makeFleet();
    std::printf("ADS-B framer + Mode S decoder, %d s of 2 MS/s I/Q per row, %d replies/s, one thread\n",
                kSeconds, kRepliesPerSecond);
    std::printf("%10s %10s %10s %9s %10s %12s\n", "SNR (dB)", "sent", "decoded", "share", "spurious",
                "x real time");
    double totalSeconds = 0;
    int rows = 0;
    for (double snr : {double(INFINITY), 20.0, 15.0, 12.0, 10.0, 8.0, 6.0}) {
        const Result r = run(fleet, snr);
        totalSeconds += r.seconds;
        ++rows;
        std::printf("%10s %10ld %10ld %8.1f%% %10ld %12.1f\n",
                    std::isfinite(snr) ? std::to_string(int(snr)).c_str() : "clean", r.sent, r.decoded,
                    100.0 * double(r.decoded) / double(r.sent), r.spuriousAircraft, kSeconds / r.seconds);
        std::fflush(stdout);
    }
    std::printf("overall: %.1f x real time (target >= 50)\n", rows * kSeconds / totalSeconds);
    return 0;
}
