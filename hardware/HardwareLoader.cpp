#include "hardware/HardwareLoader.h"

#include "core/QLogger.h"

#include <QDebug>
#include <QLibrary>

namespace {

template <typename Function> bool resolve(QLibrary* library, Function& slot, const char* name)
{
    slot = reinterpret_cast<Function>(library->resolve(name));
    return slot != nullptr;
}

// A text the driver hands over may be static data of its library (a
// QStringLiteral), gone once the library is unloaded while widgets and
// settings still hold it: keep a copy of our own.
QString ownCopy(const QString& text)
{
    return QString(text.constData(), text.size());
}

QString loadMessage(const QString& path, const QString& what)
{
    return QStringLiteral("HardwareLoader::loadDLL(") + path + what;
}

} // namespace

HardwareLoader::HardwareLoader(int boardIndex, QObject* parent) : QObject(parent), m_boardIndex(boardIndex) {}

HardwareLoader::~HardwareLoader()
{
    if (m_library == nullptr)
        return;
    finalizeRXEngine();
    m_library->unload();
    delete m_library;
}

void HardwareLoader::reset()
{
    m_boardIndex = -1;
    type = 0;
    sr_capabilities.reset();
    // The library object goes, the mapping stays: the driver may still hold
    // state of an earlier board of the same file.
    delete m_library;
    m_library = nullptr;
    m_driver = DriverEntryPoints();
}

bool HardwareLoader::fail()
{
    reset();
    return false;
}

bool HardwareLoader::loadDLL(const QString& path)
{
    if (m_library != nullptr)
        return false; // one library per loader: discovery makes a new loader per board
    m_library = new QLibrary(path);
    // An explicit load counts this loader among the users of the mapping, so
    // that the unload of another board's loader of the same file leaves it
    // mapped (a resolve on an already mapped file would not count). A file
    // that does not load shows up as a missing initLibrary below.
    m_library->load();

    if (!resolve(m_library, m_driver.initLibrary, "initLibrary")) {
        QLogger::logInfo(LogModule, loadMessage(path, ", resolve initLibrary) failed."));
        return fail();
    }
    if (m_driver.initLibrary(1, static_cast<QObject*>(this)) == 0) {
        qDebug() << "HardwareLoader::loadDLL" << path << "call 'initLibrary' fails";
        QLogger::logError(LogModule, loadMessage(path, ", call initLibrary) failed."));
        return fail();
    }

    if (resolve(m_library, m_driver.selectDevice, "selectDevice")) {
        qDebug() << "HardwareLoader::loadDLL" << path << "  'selectDevice' implemented";
        if (m_boardIndex > 0 && m_driver.selectDevice(m_boardIndex) < 1) {
            QLogger::logError(LogModule, loadMessage(path, ", call selectDevice failed."));
            return fail();
        }
    }

    if (!resolveSampleRates(path) || !resolveReceiverOperations(path))
        return fail();
    resolveOptionalExtras(path);

    QLogger::logTrace(LogModule, QStringLiteral("HardwareLoader::loadDLL completed ok"));
    return true;
}

bool HardwareLoader::resolveSampleRates(const QString& path)
{
    const auto required = [&](auto& slot, const char* name) {
        if (resolve(m_library, slot, name))
            return true;
        QLogger::logInfo(LogModule,
                         loadMessage(path, ", resolve " + QString::fromLatin1(name) + ") failed."));
        return false;
    };
    if (!required(m_driver.getPossibleSampleRateCount, "getPossibleSampleRateCount") ||
        !required(m_driver.getPossibleSampleRateValue, "getPossibleSampleRateValue") ||
        !required(m_driver.getPrefferedSampleRateValue, "getPrefferedSampleRateValue"))
        return false;

    const int count = m_driver.getPossibleSampleRateCount();
    // A negative count is no more usable than none.
    if (count <= 0) {
        QLogger::logInfo(LogModule, loadMessage(path, ", call 'getPossibleSampleRateCount' = 0"));
        return false;
    }
    const int preferred = m_driver.getPrefferedSampleRateValue();

    // The last entry equal to the preferred rate wins; index 0 when none is.
    auto table = std::make_unique<SampleRateTable>();
    table->rates.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        table->rates[size_t(i)] = m_driver.getPossibleSampleRateValue(i);
        if (table->rates[size_t(i)] == preferred)
            table->preferredIndex = i;
    }
    sr_capabilities = std::move(table);
    return true;
}

bool HardwareLoader::resolveReceiverOperations(const QString& path)
{
    // Only some missing entry points are worth a log line (one of them under the quiet module).
    const auto required = [&](auto& slot, const char* name, const QString* logModule = nullptr) {
        if (resolve(m_library, slot, name))
            return true;
        if (logModule != nullptr)
            QLogger::logInfo(*logModule,
                             loadMessage(path, ", resolve " + QString::fromLatin1(name) + ") failed."));
        return false;
    };
    const auto optional = [&](auto& slot, const char* name) {
        resolve(m_library, slot, name);
        return true;
    };
    DriverEntryPoints& d = m_driver;
    return required(d.getBoardCount, "getBoardCount", &LogModule) &&
           required(d.doCalibrate, "doCalibrate", &UnfiledLogModule) &&
           required(d.getHardwareName, "getHardwareName", &LogModule) &&
           required(d.prepareRXEngine, "prepareRXEngine", &LogModule) &&
           required(d.finalizeRXEngine, "finalizeRXEngine", &LogModule) &&
           required(d.setRxSampleRate, "setRxSampleRate", &LogModule) &&
           required(d.setRxHWFilterBW, "setRxHWFilterBW") &&
           required(d.getActualRxSampleRate, "getActualRxSampleRate") &&
           required(d.setRxCenterFreq, "setRxCenterFreq") && required(d.getRxCenterFreq, "getRxCenterFreq") &&
           required(d.getMin_HWRx_CenterFreq, "getMin_HWRx_CenterFreq") &&
           required(d.getMax_HWRx_CenterFreq, "getMax_HWRx_CenterFreq") &&
           optional(d.getRxGainStageCount, "getRxGainStageCount") &&
           optional(d.getRxGainStageName, "getRxGainStageName") &&
           optional(d.getRxGainStageUnitName, "getRxGainStageUnitName") &&
           optional(d.getRxGainStageType, "getRxGainStageType") &&
           optional(d.getMinGainValue, "getMinGainValue") && optional(d.getMaxGainValue, "getMaxGainValue") &&
           optional(d.getGainDiscreteValuesCount, "getGainDiscreteValuesCount") &&
           optional(d.getGainDiscreteValue, "getGainDiscreteValue") &&
           optional(d.getRxGainValue, "getRxGainValue") && required(d.setRxGain, "setRxGain") &&
           required(d.setAutoGainMode, "setAutoGainMode") &&
           required(d.getActualRxHWFilter, "getActualRxHWFilter") &&
           required(d.getRXSamples, "getRXSamples") && required(d.dc_remove, "dc_remove") &&
           required(d.setIQCorrectionFactors, "setIQCorrectionFactors") &&
           required(d.getIQCorrectionFactors, "getIQCorrectionFactors");
}

void HardwareLoader::resolveOptionalExtras(const QString& path)
{
    if (resolve(m_library, m_driver.getType, "getType")) {
        type = m_driver.getType();
        qDebug() << "HardwareLoader::loadDLL" << path << "resolve 'getType' ok " << type;
    } else {
        type = LocalDefault;
    }

    resolve(m_library, m_driver.setppmError, "setppmError");
    resolve(m_library, m_driver.getppmError, "getppmError");
    if (resolve(m_library, m_driver.getDisplayWidget, "getDisplayWidget")) {
        qDebug() << "HardwareLoader::loadDLL" << path << "resolve 'getDisplayWidget' OK";
        QLogger::logInfo(UnfiledLogModule, loadMessage(path, ",resolve 'getDisplayWidget' OK."));
    }
    resolve(m_library, m_driver.setParam, "setParam");
    resolve(m_library, m_driver.getParam, "getParam");
}

int HardwareLoader::getBoardCount()
{
    return m_driver.getBoardCount ? m_driver.getBoardCount() : 0;
}

int HardwareLoader::doCalibrate()
{
    return m_driver.doCalibrate ? m_driver.doCalibrate() : -1;
}

const char* HardwareLoader::getHardwareName()
{
    if (m_driver.getHardwareName == nullptr) {
        qDebug() << "HardwareLoader::getHardwareName() call_getHardwareName == NULL";
        return nullptr;
    }
    return m_driver.getHardwareName();
}

int HardwareLoader::prepareRXEngine()
{
    if (m_driver.prepareRXEngine == nullptr) {
        qDebug() << "HardwareLoader::prepareRXEngine() call_prepareRXEngine == NULL";
        return -1;
    }
    // Loading further boards of the same library selected those: the driver's
    // current board is whichever was selected last, so select ours again.
    if (m_driver.selectDevice != nullptr && m_boardIndex >= 0 && getBoardCount() > 1 &&
        m_driver.selectDevice(m_boardIndex) < 1) {
        QLogger::logError(
            LogModule,
            QStringLiteral("HardwareLoader::prepareRXEngine() selectDevice(%1) failed.").arg(m_boardIndex));
        return 0;
    }
    return m_driver.prepareRXEngine();
}

int HardwareLoader::finalizeRXEngine()
{
    return m_driver.finalizeRXEngine ? m_driver.finalizeRXEngine() : -1;
}

int HardwareLoader::setRxSampleRate(int rate)
{
    return m_driver.setRxSampleRate ? m_driver.setRxSampleRate(rate) : -1;
}

int HardwareLoader::setRxHWFilterBW(int hertz)
{
    return m_driver.setRxHWFilterBW ? m_driver.setRxHWFilterBW(hertz) : -1;
}

int HardwareLoader::getActualRxSampleRate()
{
    return m_driver.getActualRxSampleRate ? m_driver.getActualRxSampleRate() : -1;
}

int HardwareLoader::setRxCenterFreq(qint64 frequency)
{
    if (m_driver.setRxCenterFreq == nullptr)
        return -1;
    if (const FrequencyConverter* converter = frequencyConverter.load())
        frequency = converter->toHardwareFreq(frequency);
    return m_driver.setRxCenterFreq(frequency);
}

qint64 HardwareLoader::getRxCenterFreq()
{
    if (m_driver.getRxCenterFreq == nullptr)
        return -1;
    const qint64 frequency = m_driver.getRxCenterFreq();
    const FrequencyConverter* converter = frequencyConverter.load();
    return converter ? converter->fromHardwareFreq(frequency) : frequency;
}

qint64 HardwareLoader::getMin_HWRx_CenterFreq()
{
    return m_driver.getMin_HWRx_CenterFreq ? m_driver.getMin_HWRx_CenterFreq() : -1;
}

qint64 HardwareLoader::getMax_HWRx_CenterFreq()
{
    return m_driver.getMax_HWRx_CenterFreq ? m_driver.getMax_HWRx_CenterFreq() : -1;
}

int HardwareLoader::setRxGain(float gain, int stage)
{
    return m_driver.setRxGain ? m_driver.setRxGain(gain, stage) : -1;
}

float HardwareLoader::getRxGainValue(int stage)
{
    return m_driver.getRxGainValue ? m_driver.getRxGainValue(stage) : 0.0f;
}

int HardwareLoader::getRxGainStageCount()
{
    return m_driver.getRxGainStageCount ? m_driver.getRxGainStageCount() : 0;
}

QString HardwareLoader::getRxGainStageName(int stage)
{
    return m_driver.getRxGainStageName ? ownCopy(m_driver.getRxGainStageName(stage)) : QStringLiteral("error");
}

QString HardwareLoader::getRxGainStageUnitName(int stage)
{
    return m_driver.getRxGainStageUnitName ? ownCopy(m_driver.getRxGainStageUnitName(stage))
                                           : QStringLiteral("error");
}

int HardwareLoader::getRxGainStageType(int stage)
{
    return m_driver.getRxGainStageType ? m_driver.getRxGainStageType(stage) : 0;
}

float HardwareLoader::getMinGainValue(int stage)
{
    return m_driver.getMinGainValue ? m_driver.getMinGainValue(stage) : 0.0f;
}

float HardwareLoader::getMaxGainValue(int stage)
{
    return m_driver.getMaxGainValue ? m_driver.getMaxGainValue(stage) : 0.0f;
}

int HardwareLoader::getGainDiscreteValuesCount(int stage)
{
    return m_driver.getGainDiscreteValuesCount ? m_driver.getGainDiscreteValuesCount(stage) : 0;
}

float HardwareLoader::getGainDiscreteValue(int stage, int index)
{
    return m_driver.getGainDiscreteValue ? m_driver.getGainDiscreteValue(stage, index) : 0.0f;
}

int HardwareLoader::setAutoGainMode()
{
    return m_driver.setAutoGainMode ? m_driver.setAutoGainMode() : 0;
}

int HardwareLoader::getActualRxHWFilter()
{
    if (m_driver.getActualRxHWFilter == nullptr)
        return -1;
    const int hertz = m_driver.getActualRxHWFilter();
    if (hertz == 0)
        qDebug() << "HardwareLoader::getActualRxHWFilter()->" << hertz;
    return hertz;
}

void* HardwareLoader::getRXSamples(int blocks, int* count)
{
    if (m_driver.getRXSamples == nullptr) {
        if (count != nullptr)
            *count = 0;
        return nullptr;
    }
    return m_driver.getRXSamples(blocks, count);
}

void HardwareLoader::dc_remove()
{
    if (m_driver.dc_remove)
        m_driver.dc_remove();
}

void HardwareLoader::setIQCorrectionFactors(float gainI, float gainQ, float gainC)
{
    if (m_driver.setIQCorrectionFactors)
        m_driver.setIQCorrectionFactors(gainI, gainQ, gainC);
}

void HardwareLoader::getIQCorrectionFactors(float* gainI, float* gainQ, float* gainC)
{
    if (m_driver.getIQCorrectionFactors)
        m_driver.getIQCorrectionFactors(gainI, gainQ, gainC);
}

void HardwareLoader::setppmError(double ppm)
{
    if (m_driver.setppmError)
        m_driver.setppmError(ppm);
}

double HardwareLoader::getppmError()
{
    return m_driver.getppmError ? m_driver.getppmError() : 0.0;
}

QWidget* HardwareLoader::getDisplayWidget()
{
    return m_driver.getDisplayWidget ? m_driver.getDisplayWidget() : nullptr;
}

void HardwareLoader::setParam(QString name, QString value)
{
    if (m_driver.setParam)
        m_driver.setParam(name, value);
}

void HardwareLoader::getParam(QString name, QString& value)
{
    if (m_driver.getParam) {
        m_driver.getParam(name, &value);
        value = ownCopy(value);
    }
}
