#pragma once

#include "StubReceiverHardware.h"

#include <QVector>
#include <utility>

// A receiver that only answers: fixed name, centre and rate, and a log of the
// gains it was given. For widgets that talk to a receiver or to an engine
// that is attached but never started.
class WidgetsFakeReceiver : public StubReceiverHardware
{
public:
    WidgetsFakeReceiver() : StubReceiverHardware("widgetsfake") {}

    QVector<std::pair<float, int>> gainsSet; // (gain, stage) per setRxGain call
    qint64 center = 145000000;
    int rate = 192000;

    int prepareRXEngine() override { return 1; }
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
    int getRxGainStageCount() override { return 1; }
    QString getRxGainStageName(int) override { return "RF"; }
    QString getRxGainStageUnitName(int) override { return "dB"; }
    float getMaxGainValue(int) override { return 50; }
};
