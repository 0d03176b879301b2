// The functions a script calls on "orvex", on the script's thread.
#include "scripting/ScriptEngine.h"
#include "scripting/ScriptSpectrum.h"

#include "core/QLogger.h"
#include "engine/Controller.h"
#include "ui/panels/MainReceiver.h"

#include <QDebug>
#include <QScriptEngine>

#include <cmath>

namespace {

// Beyond this a frequency in MHz does not fit 64-bit hertz.
constexpr double MaxFrequencyMHz = 9.2e12;

} // namespace

// Null once a stop is asked or the script is cut off; the lock is held while
// the function uses them.
class ScriptEngine::Context
{
public:
    explicit Context(ScriptEngine& script) : m_lock(&script.contextLock)
    {
        if (!script.stopRequested && !script.detached) {
            engine = script.controller;
            rxA = script.mainReceiver;
        }
    }

    Controller* engine = nullptr;
    MainReceiver* rxA = nullptr;

private:
    QMutexLocker m_lock;
};

bool ScriptEngine::detachContext(int timeoutMs)
{
    detached = true;
    if (!contextLock.tryLock(timeoutMs))
        return false;
    contextLock.unlock();
    return true;
}

void ScriptEngine::setRxFrequency(double frequency)
{
    qDebug() << "ScriptEngine::setRxFrequency" << frequency;
    if (!(std::fabs(frequency) < MaxFrequencyMHz)) {
        QLogger::logWarning(LogModule,
                            QStringLiteral("ScriptEngine::setRxFrequency %1 MHz ignored").arg(frequency));
        return;
    }
    const Context context(*this);
    if (context.engine != nullptr)
        context.engine->setAbsoluteRxFreq(std::llround(frequency * 1e6), 0);
}

double ScriptEngine::getRxFrequency()
{
    const Context context(*this);
    if (context.engine != nullptr)
        lastFrequencyMHz = double(context.engine->getRxCenterFreq() + context.engine->getRxOffset(0)) / 1e6;
    qDebug() << "ScriptEngine::getRxFrequency" << lastFrequencyMHz;
    return lastFrequencyMHz;
}

void ScriptEngine::setStepSize(int hz)
{
    qDebug() << "ScriptEngine::setStepSize" << hz;
    const Context context(*this);
    if (context.engine != nullptr)
        context.engine->setStepSize(hz, 0);
}

void ScriptEngine::stepUp()
{
    qDebug() << "ScriptEngine::stepUp";
    const Context context(*this);
    if (context.engine != nullptr)
        context.engine->stepUp(0);
}

void ScriptEngine::stepDown()
{
    qDebug() << "ScriptEngine::stepDown";
    const Context context(*this);
    if (context.engine != nullptr)
        context.engine->stepDown(0);
}

double ScriptEngine::getSMeter()
{
    qDebug() << "ScriptEngine::getSMeter";
    return sMeterLevel;
}

void ScriptEngine::setSquelchLevel(double level_dBm)
{
    qDebug() << "ScriptEngine::setSquelchLevel" << level_dBm;
    const Context context(*this);
    if (context.engine != nullptr)
        context.engine->setSquelchLevel(static_cast<float>(level_dBm), 0);
}

void ScriptEngine::startRX()
{
    qDebug() << "ScriptEngine::startRX";
    {
        const Context context(*this);
        if (context.engine == nullptr || context.engine->channelOn[0])
            return;
        rx_onoff = false;
        context.engine->turnChannelOn(0);
    }
    if (!waitUntil([this] { return rx_onoff.load(); }, ReplyTimeoutMs))
        reportTimeout(QStringLiteral("startRX"));
}

void ScriptEngine::stopRX()
{
    qDebug() << "ScriptEngine::stopRX";
    {
        const Context context(*this);
        if (context.engine == nullptr || !context.engine->channelOn[0])
            return;
        rx_onoff = true;
        context.engine->turnChannelOff(0);
    }
    if (!waitUntil([this] { return !rx_onoff.load(); }, ReplyTimeoutMs))
        reportTimeout(QStringLiteral("stopRX"));
}

void ScriptEngine::setDemodulator(const QString& demod, int flow, int fhigh)
{
    qDebug() << "ScriptEngine::setDemodulator" << demod << flow << fhigh;
    {
        const Context context(*this);
        MainReceiver* rxA = context.rxA;
        if (rxA == nullptr)
            return;
        // Choosing a mode is the panel's widget work: it runs on the GUI thread.
        QMetaObject::invokeMethod(
            rxA, [rxA, demod, flow, fhigh] { rxA->SLOT_setModulatorByName(demod, flow, fhigh); },
            Qt::QueuedConnection);
    }
    // An unknown name or a locked channel installs nothing: the wait runs out.
    if (!waitUntil([&] { return demodName() == demod; }, ReplyTimeoutMs))
        reportTimeout(QStringLiteral("setDemodulator ") + demod);
    qDebug() << "ScriptEngine::setDemodulator currentDemodulator is " << demodName();
}

void ScriptEngine::captureSamples(double L)
{
    qDebug() << "ScriptEngine::captureSamples L=" << L;
    const int count = boundedCount(L, MaxSamples, "captureSamples");
    if (count > 0)
        emit ask_captureSignal(count);
}

QScriptValue ScriptEngine::getRxSamples(double L)
{
    qDebug() << "ScriptEngine::getRxSamples L=" << L;
    SampleFifo* fifo = captureFifo;
    const int count = boundedCount(L, MaxSamples, "getRxSamples");
    if (fifo == nullptr || count <= 0)
        return engine()->newArray(0);
    const std::vector<double> samples = captureReader.take(*fifo, count);
    QScriptValue array = engine()->newArray(static_cast<uint>(samples.size()));
    for (size_t i = 0; i < samples.size(); ++i)
        array.setProperty(static_cast<quint32>(i), samples[i]);
    return array;
}

void ScriptEngine::alert(const QString& msg)
{
    qDebug() << "ScriptEngine::alert" << msg;
    emit ask_alert(msg);
}

void ScriptEngine::exec(const QString& taskname)
{
    qDebug() << "ScriptEngine::exec on taskname=" << taskname;
    emit ask_exec(scriptId, taskname);
}

int ScriptEngine::figure()
{
    qDebug() << "ScriptEngine::figure";
    allocatedFigure = -1;
    emit ask_allocWindow(scriptId);
    if (!waitUntil([this] { return allocatedFigure >= 0; }, ReplyTimeoutMs)) {
        reportTimeout(QStringLiteral("figure"));
        return 0;
    }
    return allocatedFigure;
}

void ScriptEngine::showFigure(int figno)
{
    qDebug() << "ScriptEngine::showFigure on figno=" << figno;
    emit ask_showFigure(figno - 1);
}

void ScriptEngine::plot(int figno, const QScriptValue& vals)
{
    qDebug() << "ScriptEngine::plot on figno=" << figno - 1;
    // Figure 0 is what figure() answers when no window was free: nothing to draw in.
    const quint32 length = arrayLength(vals);
    if (figno <= 0 || length == 0)
        return;
    if (length > static_cast<quint32>(MaxPlotValues)) {
        QLogger::logWarning(LogModule,
                            QStringLiteral("ScriptEngine::plot %1 values, more than %2: nothing drawn")
                                .arg(length)
                                .arg(MaxPlotValues));
        return;
    }
    const std::vector<double> values = readNumbers(vals, length);
    emit ask_plot_values(figno - 1, QVector<double>(values.begin(), values.end()));
}

QScriptValue ScriptEngine::calcFFT(const QScriptValue& vals, double size)
{
    qDebug() << "ScriptEngine::calcFFT " << size;
    const int n = boundedCount(size, MaxSamples, "calcFFT");
    const quint32 length = n > 0 ? arrayLength(vals) : 0;
    if (length == 0)
        return engine()->newArray(0);
    return toScriptArray(ScriptSpectrum::fft(readNumbers(vals, qMin<quint32>(length, 2 * n)), n));
}

QScriptValue ScriptEngine::calcPower(const QScriptValue& vals, double size)
{
    qDebug() << "ScriptEngine::calcPower " << size;
    const int n = boundedCount(size, MaxSamples, "calcPower");
    const quint32 length = n > 0 ? arrayLength(vals) : 0;
    if (n > 0 && vals.isArray())
        qDebug().noquote() << QStringLiteral("ScriptEngine::calcPower vals size is %1").arg(length);
    if (length == 0)
        return engine()->newArray(0);
    return toScriptArray(ScriptSpectrum::power(readNumbers(vals, qMin<quint32>(length, 2 * n)), n));
}

int ScriptEngine::boundedCount(double value, int max, const char* function) const
{
    if (value >= 1 && value <= max)
        return static_cast<int>(value);
    QLogger::logWarning(LogModule, QStringLiteral("ScriptEngine::%1 size %2 outside 1 .. %3, nothing done")
                                       .arg(QLatin1String(function))
                                       .arg(value)
                                       .arg(max));
    return -1;
}

quint32 ScriptEngine::arrayLength(const QScriptValue& vals)
{
    if (!vals.isArray()) {
        qDebug() << "not array";
        return 0;
    }
    const quint32 length = vals.property(QStringLiteral("length")).toUInt32();
    if (length == 0)
        qDebug() << "array empty";
    return length;
}

std::vector<double> ScriptEngine::readNumbers(const QScriptValue& vals, quint32 count)
{
    std::vector<double> values(count);
    for (quint32 i = 0; i < count; ++i)
        values[i] = vals.property(i).toNumber();
    return values;
}

QScriptValue ScriptEngine::toScriptArray(const std::vector<float>& values)
{
    QScriptValue array = engine()->newArray(static_cast<uint>(values.size()));
    for (size_t i = 0; i < values.size(); ++i)
        array.setProperty(static_cast<quint32>(i), double(values[i]));
    return array;
}
