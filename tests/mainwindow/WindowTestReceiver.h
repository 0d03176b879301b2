#pragma once

#include "StubReceiverHardware.h"

#include <QVector>
#include <utility>

// A receiver for the main window's tests: a centre within 24 MHz..1766 MHz at
// 2.048 MS/s, two gain stages, I/Q factors and a frequency error it keeps, and
// a log of the gains, centres and corrections it was given. It delivers no samples.
class WindowTestReceiver : public StubReceiverHardware
{
public:
    WindowTestReceiver() : StubReceiverHardware("windowtest") {}

    QVector<std::pair<float, int>> gainsSet;
    QVector<qint64> centresSet;
    int iqCalls = 0;
    qint64 center = 145000000;
    int rate = 2048000;
    float gains[2] = {20, 7};
    float iq[3] = {1.0f, 1.0f, 0.0f}; // gain I, gain Q, cross-gain
    double ppm = 0.0;

    int prepareRXEngine() override { return 1; }
    int getActualRxSampleRate() override { return rate; }
    int setRxCenterFreq(qint64 f) override
    {
        centresSet.append(f);
        center = f;
        return 1;
    }
    qint64 getRxCenterFreq() override { return center; }
    qint64 getMin_HWRx_CenterFreq() override { return 24000000; }
    qint64 getMax_HWRx_CenterFreq() override { return 1766000000; }
    int getRxGainStageCount() override { return 2; }
    QString getRxGainStageName(int stage) override { return stage == 0 ? "LNA" : "VGA"; }
    float getMinGainValue(int) override { return 0; }
    float getMaxGainValue(int stage) override { return stage == 0 ? 40 : 30; }
    float getRxGainValue(int stage) override { return gains[stage]; }
    int setRxGain(float gain, int stage) override
    {
        gainsSet.append({gain, stage});
        gains[stage] = gain;
        return 1;
    }
    void setIQCorrectionFactors(float gainI, float gainQ, float gainC) override
    {
        ++iqCalls;
        iq[0] = gainI;
        iq[1] = gainQ;
        iq[2] = gainC;
    }
    void getIQCorrectionFactors(float* gainI, float* gainQ, float* gainC) override
    {
        *gainI = iq[0];
        *gainQ = iq[1];
        *gainC = iq[2];
    }
    void setppmError(double value) override { ppm = value; }
    double getppmError() override { return ppm; }
};
