#pragma once

// Header-only: the support library links only core, and this is included by
// test programs that link engine.

#include "engine/ReceiverHardware.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// A receiver that answers every call neutrally: zero, empty text, no samples.
// Tests derive from it and override only the calls they care about.
class StubReceiverHardware : public ReceiverHardware
{
public:
    explicit StubReceiverHardware(std::string name = "stub") : m_name(std::move(name)) {}

    // The kind getType reports.
    void setType(int value) { type = value; }
    // Installs a sample-rate table (an empty one when rates is empty).
    void setSampleRates(std::vector<int> rates, int preferredIndex)
    {
        sr_capabilities = std::make_unique<SampleRateTable>();
        sr_capabilities->rates = std::move(rates);
        sr_capabilities->preferredIndex = preferredIndex;
    }

    int doCalibrate() override { return 0; }
    const char* getHardwareName() override { return m_name.c_str(); }
    int prepareRXEngine() override { return 0; }
    int finalizeRXEngine() override { return 0; }
    int setRxSampleRate(int) override { return 0; }
    int setRxHWFilterBW(int) override { return 0; }
    int getActualRxSampleRate() override { return 0; }
    int setRxCenterFreq(qint64) override { return 0; }
    qint64 getRxCenterFreq() override { return 0; }
    qint64 getMin_HWRx_CenterFreq() override { return 0; }
    qint64 getMax_HWRx_CenterFreq() override { return 0; }
    int setRxGain(float, int) override { return 0; }
    float getRxGainValue(int) override { return 0; }
    int getRxGainStageCount() override { return 0; }
    QString getRxGainStageName(int) override { return {}; }
    QString getRxGainStageUnitName(int) override { return {}; }
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
};
