#pragma once

#include "engine/demod/Demodulator.h"
#include "engine/demod/MorseDecoder.h"
#include "engine/demod/RingBuffer.h"

// Morse (CW): I + Q scaled by the volume, like USB; the tone's pitch comes from the
// channel offset and the RIT. It carries a Morse decoder of levels and a ring of
// levels for it, which no operation feeds yet.
class CWDemodulator : public Demodulator
{
public:
    CWDemodulator();
    QString getName() override { return QStringLiteral("CW"); }
    float demodulate(Complex* samples, int count, SampleContext* ctx) override;
    void setFilterEdges(float* low, float* high) override;
    void install() override;

    MorseDecoder& morseDecoder() { return decoder; }
    RingBuffer<2048>& levels() { return levelRing; }

private:
    MorseDecoder decoder;
    RingBuffer<2048> levelRing;
};
