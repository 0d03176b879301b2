#pragma once

#include "engine/ReceiverHardware.h"

#include <QObject>
#include <QString>

class QLibrary;
class QWidget;

// The entry points of a receiver driver library, each null until resolved.
struct DriverEntryPoints
{
    int (*initLibrary)(int, void*) = nullptr;
    int (*selectDevice)(int) = nullptr;
    int (*getPossibleSampleRateCount)() = nullptr;
    int (*getPossibleSampleRateValue)(int) = nullptr;
    int (*getPrefferedSampleRateValue)() = nullptr;
    int (*getBoardCount)() = nullptr;
    int (*doCalibrate)() = nullptr;
    const char* (*getHardwareName)() = nullptr;
    int (*prepareRXEngine)() = nullptr;
    int (*finalizeRXEngine)() = nullptr;
    int (*setRxSampleRate)(int) = nullptr;
    int (*setRxHWFilterBW)(int) = nullptr;
    int (*getActualRxSampleRate)() = nullptr;
    int (*setRxCenterFreq)(qint64) = nullptr;
    qint64 (*getRxCenterFreq)() = nullptr;
    qint64 (*getMin_HWRx_CenterFreq)() = nullptr;
    qint64 (*getMax_HWRx_CenterFreq)() = nullptr;
    int (*getRxGainStageCount)() = nullptr;
    QString (*getRxGainStageName)(int) = nullptr;
    QString (*getRxGainStageUnitName)(int) = nullptr;
    int (*getRxGainStageType)(int) = nullptr;
    float (*getMinGainValue)(int) = nullptr;
    float (*getMaxGainValue)(int) = nullptr;
    int (*getGainDiscreteValuesCount)(int) = nullptr;
    float (*getGainDiscreteValue)(int, int) = nullptr;
    float (*getRxGainValue)(int) = nullptr;
    int (*setRxGain)(float, int) = nullptr;
    int (*setAutoGainMode)() = nullptr;
    int (*getActualRxHWFilter)() = nullptr;
    void* (*getRXSamples)(int, int*) = nullptr;
    void (*dc_remove)() = nullptr;
    void (*setIQCorrectionFactors)(float, float, float) = nullptr;
    void (*getIQCorrectionFactors)(float*, float*, float*) = nullptr;
    int (*getType)() = nullptr;
    void (*setppmError)(double) = nullptr;
    double (*getppmError)() = nullptr;
    QWidget* (*getDisplayWidget)() = nullptr;
    void (*setParam)(QString, QString) = nullptr;
    void (*getParam)(QString, QString*) = nullptr;
};

// One receiver board behind a driver library ("EXTSDR_*.dll", a shared library
// loaded with QLibrary). Each receiver operation calls the driver's entry point
// of the same name; an unresolved optional one answers a fixed neutral value.
// No lock of its own: the driver accepts calls from the GUI and engine threads.
class HardwareLoader : public QObject, public ReceiverHardware
{
    Q_OBJECT
public:
    HardwareLoader(int boardIndex, QObject* parent = nullptr);
    // Finalizes the driver and unloads the library when one is held.
    ~HardwareLoader() override;

    // Loads the library at path and prepares the board; false (and reset) on failure.
    bool loadDLL(const QString& path);
    // Back to the unloaded state; a reset loader is not used further.
    void reset();

    int boardIndex() const { return m_boardIndex; }

    int getBoardCount() override;
    int doCalibrate() override;
    const char* getHardwareName() override;
    // Selects this loader's board again first when the driver serves several.
    int prepareRXEngine() override;
    int finalizeRXEngine() override;
    int setRxSampleRate(int rate) override;
    int setRxHWFilterBW(int hertz) override;
    int getActualRxSampleRate() override;
    int setRxCenterFreq(qint64 frequency) override;
    qint64 getRxCenterFreq() override;
    qint64 getMin_HWRx_CenterFreq() override;
    qint64 getMax_HWRx_CenterFreq() override;
    int setRxGain(float gain, int stage) override;
    float getRxGainValue(int stage) override;
    int getRxGainStageCount() override;
    QString getRxGainStageName(int stage) override;
    QString getRxGainStageUnitName(int stage) override;
    int getRxGainStageType(int stage) override;
    float getMinGainValue(int stage) override;
    float getMaxGainValue(int stage) override;
    int getGainDiscreteValuesCount(int stage) override;
    float getGainDiscreteValue(int stage, int index) override;
    int setAutoGainMode() override;
    int getActualRxHWFilter() override;
    void* getRXSamples(int blocks, int* count) override;
    void dc_remove() override;
    void setIQCorrectionFactors(float gainI, float gainQ, float gainC) override;
    void getIQCorrectionFactors(float* gainI, float* gainQ, float* gainC) override;
    void setppmError(double ppm) override;
    double getppmError() override;
    QWidget* getDisplayWidget() override;
    void setParam(QString name, QString value) override;
    void getParam(QString name, QString& value) override;

private:
    bool fail();
    bool resolveSampleRates(const QString& path);
    bool resolveReceiverOperations(const QString& path);
    void resolveOptionalExtras(const QString& path);

    int m_boardIndex;
    QLibrary* m_library = nullptr;
    DriverEntryPoints m_driver;
};
