// Fuzz target of the Mode S decoder. The first byte picks the path: even, a
// sequence of frames handed to the decoder; odd, the rest is 8-bit I/Q for the
// framer, whose frames go to the decoder.
//
// A frame record is [head][clock step][bytes]: head % 16 bytes follow, the
// length handed over claims head / 32 (0..7) bits fewer than they hold, and
// the clock moves on by the step in seconds (so that addresses and aircraft
// expire and position pairs fall apart).
#include "decoders/adsb/ADSBFramer.h"
#include "decoders/adsb/ModeSDecoder.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    qint64 now = 1700000000000;
    ModeSDecoder decoder;
    decoder.setClock([&now] { return now; });
    const uint8_t* p = data + 1;
    size_t left = size - 1;

    if (data[0] & 1) {
        ADSBFramer framer;
        framer.decisionMode = (data[0] >> 1) % 4 == 3 ? 0 : 10;
        QObject::connect(&framer, &ADSBFramer::MSG_newADSBRawMessage, &decoder,
                         &ModeSDecoder::SL_newADSBRawMessage, Qt::DirectConnection);
        std::vector<uint16_t> buffer((left + 1) / 2);
        std::memcpy(buffer.data(), p, left);
        framer.processSamples(buffer.data(), int(left), 0);
        return 0;
    }

    while (left >= 2) {
        const int bytes = p[0] % 16;
        const int shortBy = p[0] / 32;
        now += qint64(p[1]) * 1000;
        p += 2;
        left -= 2;
        const size_t n = std::min(size_t(bytes), left);
        auto* msg = static_cast<unsigned char*>(std::malloc(n ? n : 1));
        std::memcpy(msg, p, n);
        decoder.SL_newADSBRawMessage(msg, int(n) * 8 + 1 - shortBy, now);
        p += n;
        left -= n;
    }
    return 0;
}
