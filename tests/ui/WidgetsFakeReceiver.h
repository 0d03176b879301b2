#pragma once

#include "engine/ReceiverHardware.h"

#include <QVector>
#include <utility>

// A receiver that only answers: fixed name, centre and rate, and a log of the
// gains it was given. For widgets that talk to a receiver or to an engine
// that is attached but never started.
class WidgetsFakeReceiver : public ReceiverHardware
{
public:
    QVector<std::pair<float, int>> gainsSet; // (gain, stage) per setRxGain call
    qint64 center = 145000000;
    int rate = 192000;

    int doCalibrate() override { return 0; }
    const char* getHardwareName() override { return "widgetsfake"; }
    int prepareRXEngine() override { return 1; }
    int finalizeRXEngine() override { return 0; }
    int setRxSampleRate(int) override { return 0; }
    int setRxHWFilterBW(int) override { return 0; }
    int getActualRxSampleRate() override { return rate; }
    int setRxCenterFreq(qint64 f) override
    {
        center = f;
        return 1;
    }
    qint64 getRxCenterFreq() override { return center; }
    qint64 getMin_HWRx_CenterFreq() override { return 1000000; }
    qint64 getMax_HWRx_CenterFreq() override { return 2000000000; }
    int setRxGain(float gain, int stage) override
    {
        gainsSet.append({gain, stage});
        return 1;
    }
    float getRxGainValue(int) override { return 0; }
    int getRxGainStageCount() override { return 1; }
    QString getRxGainStageName(int) override { return "RF"; }
    QString getRxGainStageUnitName(int) override { return "dB"; }
    int getRxGainStageType(int) override { return 0; }
    float getMinGainValue(int) override { return 0; }
    float getMaxGainValue(int) override { return 50; }
    int getGainDiscreteValuesCount(int) override { return 0; }
    float getGainDiscreteValue(int, int) override { return 0; }
    int setAutoGainMode() override { return 0; }
    int getActualRxHWFilter() override { return 0; }
    void* getRXSamples(int, int* count) override
    {
        *count = 0;
        return nullptr;
    }
    void dc_remove() override {}
    void setIQCorrectionFactors(float, float, float) override {}
    void getIQCorrectionFactors(float*, float*, float*) override {}
    void setppmError(double) override {}
    double getppmError() override { return 0; }
};
