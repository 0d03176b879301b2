#pragma once

#include "engine/demod/Demodulator.h"

// Pass band for digital modes; the audio is silence. Its band is 11000 Hz wide from
// the low edge.
class DigiDemod : public Demodulator
{
public:
    DigiDemod();
    QString getName() override { return QStringLiteral("DIGI"); }
    float demodulate(Complex* samples, int count, SampleContext* ctx) override;
    void setFilterEdges(float* low, float* high) override;
};
