#include "decoders/adsb/ADSBFramer.h"

#include <QMetaMethod>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// The hot loops of sliceBits call these directly, so that they inline (the
// members are exported from the library and would be called through its PLT).

// Pulses at samples 0, 2, 7 and 9: every low sample must stay below the
// latest high one.
bool preambleAt(const uint16_t* buffer, int position)
{
    int high = 65535;
    int low = 0;
    for (int k = 0; k < ADSBFramer::PreambleSamples; ++k) {
        const int sample = buffer[position + k];
        if (k == 0 || k == 2 || k == 7 || k == 9)
            high = sample;
        else
            low = sample;
        if (!(low < high))
            return false;
    }
    return true;
}

int decide(int mode, int a, int b, int c, int d)
{
    const bool bit = c > d;
    const bool prev = a > b;
    switch (mode) {
    case 0:
        return bit;
    case 5:
        if (bit && prev && b > c)
            return ADSBFramer::MarkCut;
        if (!bit && !prev && b < c)
            return ADSBFramer::MarkCut;
        return bit;
    case 10:
        if (bit && prev && c > b)
            return 1;
        if (bit && !prev && d < b)
            return 1;
        if (!bit && prev && d > b)
            return 0;
        if (!bit && !prev && c < b)
            return 0;
        return ADSBFramer::MarkCut;
    default:
        if (bit && prev && c > b && d < a)
            return 1;
        if (bit && !prev && c > a && d < b)
            return 1;
        if (!bit && prev && c < a && d > b)
            return 0;
        if (!bit && !prev && c < b && d > a)
            return 0;
        return ADSBFramer::MarkCut;
    }
}

} // namespace

ADSBFramer::ADSBFramer(QObject* parent) : QObject(parent), frameBits{}
{
    qRegisterMetaType<unsigned char*>("unsigned char*");
    for (int b = 0; b < 256; ++b)
        squareTable[b] = uint16_t((b - 128) * (b - 128));
}

void ADSBFramer::processSamples(uint16_t* buffer, int byteCount, qlonglong timeBase)
{
    if (!buffer || byteCount < 2)
        return;
    const int count = byteCount / 2;
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
    // Magnitude i overwrites bytes 2i and 2i + 1 after they were read.
    for (int i = 0; i < count; ++i) {
        const uint16_t magnitude = uint16_t(squareTable[bytes[2 * i]] + squareTable[bytes[2 * i + 1]]);
        buffer[i] = magnitude;
    }
    sliceBits(buffer, count);
    collectFrames(buffer, count, timeBase);
}

bool ADSBFramer::isPreamble(const uint16_t* buffer, int position) const
{
    return preambleAt(buffer, position);
}

int ADSBFramer::decideBit(int a, int b, int c, int d) const
{
    return decide(decisionMode, a, b, c, d);
}

void ADSBFramer::sliceBits(uint16_t* buffer, int count) const
{
    // A slice always takes its first pair, so the scan moves on.
    const int allowedBadBits = std::max(maxBadBits, 0);
    int a = 0;
    int b = 0;
    int i = 0;
    while (i < count - 1) {
        for (; i < count - PreambleSamples; ++i) {
            if (preambleAt(buffer, i)) {
                a = buffer[i];
                b = buffer[i + 1];
                for (int k = 0; k < PreambleSamples; ++k)
                    buffer[i + k] = MarkPreamble;
                i += PreambleSamples;
                break;
            }
        }
        int bitIndex = i;
        int badBits = 0;
        while (i < count - 1) {
            const int c = buffer[i];
            const int d = buffer[i + 1];
            int bit = decide(decisionMode, a, b, c, d);
            a = c;
            b = d;
            if (bit == MarkCut) {
                if (++badBits > allowedBadBits) {
                    buffer[bitIndex] = MarkCut;
                    break;
                }
                bit = c > d;
                a = 0;
                b = 65535;
            }
            buffer[i] = MarkConsumed;
            buffer[i + 1] = MarkConsumed;
            buffer[bitIndex] = uint16_t(bit);
            i += 2;
            ++bitIndex;
        }
    }
}

void ADSBFramer::collectFrames(const uint16_t* buffer, int count, qlonglong timeBase)
{
    int i = 0;
    while (i < count) {
        if (buffer[i] > 1) {
            ++i;
            continue;
        }
        std::memset(frameBits, 0, sizeof frameBits);
        int length = MaxFrameBits;
        int packed = 0;
        bool abandoned = false;
        int j = i;
        while (j < count && buffer[j] <= 1 && packed < length) {
            frameBits[packed / 8] |= uint32_t(buffer[j]) << (7 - packed % 8);
            ++packed;
            ++j;
            if (packed == 8) {
                if (frameBits[0] == 0) {
                    abandoned = true;
                    break;
                }
                length = (frameBits[0] & 0x80) ? MaxFrameBits : MaxFrameBits / 2;
            }
        }
        if (!abandoned && packed >= length - 1)
            emitFrame(frameBits, length, timeBase + j);
        i = j + 1;
    }
}

void ADSBFramer::emitFrame(const uint32_t* words, int bits, qlonglong time)
{
    if (decisionMode == 0) {
        const uint32_t format = words[0] >> 3;
        if (format != 11 && format != 17 && format != 18 && format != 19)
            return;
    }
    // Nobody would free it.
    static const QMetaMethod signal = QMetaMethod::fromSignal(&ADSBFramer::MSG_newADSBRawMessage);
    if (!isSignalConnected(signal))
        return;
    auto* msg = static_cast<unsigned char*>(std::calloc(size_t(bits + 2), 1));
    if (!msg)
        return;
    for (int k = 0; k < (bits + 7) / 8; ++k)
        msg[k] = static_cast<unsigned char>(words[k]);
    ++frameCount;
    emit MSG_newADSBRawMessage(msg, bits + 1, time);
}
