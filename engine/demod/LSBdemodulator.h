#pragma once

#include "engine/demod/Demodulator.h"

// Lower sideband: I - Q scaled by the volume (at most unity).
class LSBdemodulator : public Demodulator
{
public:
    LSBdemodulator();
    QString getName() override { return QStringLiteral("LSB"); }
    float demodulate(Complex* samples, int count, SampleContext* ctx) override;
};
