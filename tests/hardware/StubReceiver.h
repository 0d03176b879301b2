#pragma once

#include "engine/ReceiverHardware.h"

#include <QObject>

#include <string>
#include <vector>

// A receiver with set answers that records the rates it was given, for the
// table and dialog tests.
class StubReceiver : public QObject, public ReceiverHardware
{
    Q_OBJECT
public:
    StubReceiver(const char* name, int kind, std::vector<int> rates = {}, int preferredIndex = 0,
                 qint64 minHz = 0, qint64 maxHz = 0)
        : m_name(name), m_min(minHz), m_max(maxHz)
    {
        type = kind;
        if (!rates.empty()) {
            sr_capabilities = std::make_unique<SampleRateTable>();
            sr_capabilities->rates = std::move(rates);
            sr_capabilities->preferredIndex = preferredIndex;
        }
    }

    std::vector<int> ratesSet;

    int doCalibrate() override { return 0; }
    const char* getHardwareName() override { return m_name.c_str(); }
    int prepareRXEngine() override { return 1; }
    int finalizeRXEngine() override { return 0; }
    int setRxSampleRate(int rate) override
    {
        ratesSet.push_back(rate);
        return 1;
    }
    int setRxHWFilterBW(int hertz) override { return hertz; }
    int getActualRxSampleRate() override { return ratesSet.empty() ? 0 : ratesSet.back(); }
    int setRxCenterFreq(qint64) override { return 1; }
    qint64 getRxCenterFreq() override { return 0; }
    qint64 getMin_HWRx_CenterFreq() override { return m_min; }
    qint64 getMax_HWRx_CenterFreq() override { return m_max; }
    int setRxGain(float, int) override { return 0; }
    float getRxGainValue(int) override { return 0; }
    int getRxGainStageCount() override { return 0; }
    QString getRxGainStageName(int) override { return QString(); }
    QString getRxGainStageUnitName(int) override { return QString(); }
    int getRxGainStageType(int) override { return 0; }
    float getMinGainValue(int) override { return 0; }
    float getMaxGainValue(int) override { return 0; }
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

private:
    std::string m_name;
    qint64 m_min;
    qint64 m_max;
};
