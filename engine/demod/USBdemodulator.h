#pragma once

#include "engine/demod/Demodulator.h"

// Upper sideband: I + Q scaled by the volume (at most unity).
class USBdemodulator : public Demodulator
{
public:
    USBdemodulator();
    QString getName() override { return QStringLiteral("USB"); }
    float demodulate(Complex* samples, int count, SampleContext* ctx) override;
};
