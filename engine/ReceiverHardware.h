#pragma once

#include "engine/FrequencyConverter.h"

#include <QString>
#include <QVector>

#include <atomic>
#include <memory>
#include <vector>

class QWidget;

// The sample rates a receiver offers, in Hz, and which one it prefers.
struct SampleRateTable
{
    std::vector<int> rates;
    int preferredIndex = 0;

    int count() const { return int(rates.size()); }
};

// The one interface through which the system talks to a receiver: a board
// behind a driver library or a receiver offered by a remote server.
// Reception runs between prepareRXEngine and finalizeRXEngine, both called
// from the engine thread, while the GUI thread tunes and sets gains: each
// implementation guards its own state.
class ReceiverHardware
{
public:
    // Receiver kinds as getType reports them: 0 is not usable, 1 and 2 are
    // local boards (2 when the driver names none), 4 takes its samples from a
    // sound card, 5 is a remote receiver; other values are foreign plug-ins.
    enum Type { NotUsable = 0, LocalDefault = 2, SoundCard = 4, Orvex_Remote = 5 };

    ReceiverHardware();
    virtual ~ReceiverHardware();
    ReceiverHardware(const ReceiverHardware&) = delete;
    ReceiverHardware& operator=(const ReceiverHardware&) = delete;

    virtual int getType();
    virtual int getBoardCount();
    virtual int doCalibrate() = 0;
    // The receiver's name; names its board file and is shown in lists.
    virtual const char* getHardwareName() = 0;
    // Starts reception; 0 means failure.
    virtual int prepareRXEngine() = 0;
    virtual int finalizeRXEngine() = 0;
    virtual int setRxSampleRate(int rate) = 0;
    virtual int setRxHWFilterBW(int hertz) = 0;
    virtual int getActualRxSampleRate() = 0;
    // Radio frequencies (converted by the implementation when a converter is attached).
    virtual int setRxCenterFreq(qint64 frequency) = 0;
    virtual qint64 getRxCenterFreq() = 0;
    // Hardware frequencies, never converted.
    virtual qint64 getMin_HWRx_CenterFreq() = 0;
    virtual qint64 getMax_HWRx_CenterFreq() = 0;
    virtual int setRxGain(float gain, int stage) = 0;
    virtual float getRxGainValue(int stage) = 0;
    virtual int getRxGainStageCount() = 0;
    virtual QString getRxGainStageName(int stage) = 0;
    virtual QString getRxGainStageUnitName(int stage) = 0;
    virtual int getRxGainStageType(int stage) = 0;
    virtual float getMinGainValue(int stage) = 0;
    virtual float getMaxGainValue(int stage) = 0;
    virtual int getGainDiscreteValuesCount(int stage) = 0;
    virtual float getGainDiscreteValue(int stage, int index) = 0;
    virtual int setAutoGainMode() = 0;
    virtual int getActualRxHWFilter() = 0;
    // A malloc'd block of *count complex samples (I then Q, 32-bit floats) that
    // the caller frees. Null or a count of 0: nothing available yet.
    virtual void* getRXSamples(int blocks, int* count) = 0;
    virtual void dc_remove() = 0;
    virtual void setIQCorrectionFactors(float gainI, float gainQ, float gainC) = 0;
    virtual void getIQCorrectionFactors(float* gainI, float* gainQ, float* gainC) = 0;
    virtual void setppmError(double ppm) = 0;
    virtual double getppmError() = 0;
    // The receiver's own control panel, or null.
    virtual QWidget* getDisplayWidget();
    virtual void setParam(QString name, QString value);
    // Writes the named parameter into value; leaves it unchanged when unknown.
    virtual void getParam(QString name, QString& value);

    // Sample-rate table accessors: 0 (-1 for the preferred rate) without a
    // table, with an empty one or for an index out of range.
    int getSampleRateCount() const;
    // The rate at index modulo the count.
    int getSampleRateValue(int index) const;
    int getPreferredSampleRate() const;
    // The first rate not below rate, else the last one.
    int getNearestSampleRate(int rate) const;
    void debugSampleRates() const;

    int instanceNumber() const { return m_instance; }

    // Every converter start-up attached (not owned; nothing reads the list).
    QVector<FrequencyConverter*> converters;
    // The converter in use, or null; not owned. Read by the engine thread
    // while the GUI thread may detach it.
    std::atomic<FrequencyConverter*> frequencyConverter{nullptr};

protected:
    // Set by the implementation: the driver's type, 2 when it reports none,
    // Orvex_Remote for a remote receiver.
    int type = 0;
    // Built by the implementation before the engine starts; owned here.
    std::unique_ptr<SampleRateTable> sr_capabilities;

private:
    const int m_instance;
};
