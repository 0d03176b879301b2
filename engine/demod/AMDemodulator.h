#pragma once

#include "engine/demod/Demodulator.h"

// Amplitude modulation: the envelope with its DC removed by a one-pole high-pass
// (pole 0.98). Each demodulator keeps its own filter state.
class AMDemodulator : public Demodulator
{
public:
    AMDemodulator();
    QString getName() override { return QStringLiteral("AM"); }
    float demodulate(Complex* samples, int count, SampleContext* ctx) override;

private:
    float dcState = 0.0f;
};
