#pragma once

#include "StubReceiverHardware.h"

#include <QObject>

#include <vector>

// A receiver with set answers that records the rates it was given, for the
// table and dialog tests.
class StubReceiver : public QObject, public StubReceiverHardware
{
    Q_OBJECT
public:
    StubReceiver(const char* name, int kind, std::vector<int> rates = {}, int preferredIndex = 0,
                 qint64 minHz = 0, qint64 maxHz = 0)
        : StubReceiverHardware(name), m_min(minHz), m_max(maxHz)
    {
        setType(kind);
        if (!rates.empty())
            setSampleRates(std::move(rates), preferredIndex);
    }

    std::vector<int> ratesSet;

    int prepareRXEngine() override { return 1; }
    int setRxSampleRate(int rate) override
    {
        ratesSet.push_back(rate);
        return 1;
    }
    int setRxHWFilterBW(int hertz) override { return hertz; }
    int getActualRxSampleRate() override { return ratesSet.empty() ? 0 : ratesSet.back(); }
    int setRxCenterFreq(qint64) override { return 1; }
    qint64 getMin_HWRx_CenterFreq() override { return m_min; }
    qint64 getMax_HWRx_CenterFreq() override { return m_max; }

private:
    qint64 m_min;
    qint64 m_max;
};
