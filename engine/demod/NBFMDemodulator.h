#pragma once

#include "engine/demod/Demodulator.h"

struct freqdem_s;

// Narrow-band FM: liquid-dsp's frequency discriminator (modulation factor 0.3),
// which keeps the previous sample's phase between blocks. Its output scale is the
// phase step per sample divided by 2 pi x 0.3.
class NBFMDemodulator : public Demodulator
{
public:
    NBFMDemodulator();
    ~NBFMDemodulator() override;
    QString getName() override { return QStringLiteral("NBFM"); }
    float demodulate(Complex* samples, int count, SampleContext* ctx) override;

private:
    freqdem_s* discriminator;
};
