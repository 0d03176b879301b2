// The engine's tuning, filter, demodulator, lock, gain and rate controls.
#include "engine/Channelizer.h"
#include "engine/Controller.h"
#include "engine/ReceiverHardware.h"

#include "core/QLogger.h"

#include <QDebug>

#include <cmath>
#include <cstdlib>

namespace {

float clampEdge(float value, float lowest, float highest)
{
    if (value > highest)
        value = highest;
    if (value < lowest)
        value = lowest;
    return value;
}
} // namespace

bool Controller::anyChannelLocked() const
{
    return channelLocked[0].load() || channelLocked[1].load();
}

int Controller::halfRate() const
{
    return hardware ? hardware->getActualRxSampleRate() / 2 : 0;
}

void Controller::setChannelOffset(int channel, float offsetHz)
{
    ncoHz[channel] = -offsetHz;
    channelizer(channel)->setOffset(-offsetHz);
}

int Controller::getRxOffset(int channel) const
{
    if (!validChannel(channel))
        return 0;
    return int(-ncoHz[channel].load());
}

int Controller::setRxOffset(int offset, int channel)
{
    if (!validChannel(channel) || channelLocked[channel] || hardware == nullptr)
        return 0;
    if (std::abs(qint64(offset)) <= halfRate()) {
        setChannelOffset(channel, float(offset));
        emit MSG_ChannelizerIsRetuned(hwCenter.load(), float(offset), channel);
        return 1;
    }
    // Outside the window the receiver moves, unless RX B would pull it away from a running RX A.
    if (channel == 1 && channelOn[0])
        return 0;
    return retuneHardware(getRxCenterFreq() + offset, true) ? 1 : 0;
}

int Controller::setAbsoluteRxFreq(qint64 frequency, int channel)
{
    if (!validChannel(channel) || channelLocked[channel] || hardware == nullptr)
        return 0;
    const qint64 offset = frequency - getRxCenterFreq();
    if (std::llabs(offset) < halfRate()) {
        QLogger::logDebug(
            LogModule,
            QStringLiteral("Controller::setAbsoluteRxFreq %1 %2 in window").arg(frequency).arg(channel));
        return setRxOffset(int(offset), channel);
    }
    return retuneHardware(frequency, true) ? 1 : 0;
}

int Controller::tuneChannel(qint64 frequency, int delta, int channel)
{
    if (!validChannel(channel) || channelLocked[channel] || hardware == nullptr)
        return 0;
    hwCenter = hardware->getRxCenterFreq();
    const qint64 offset = frequency + delta - hwCenter.load();
    const qint64 highCut = qint64(channelizer(channel)->highCut());
    if (std::llabs(offset + highCut) <= halfRate()) {
        setChannelOffset(channel, float(offset));
        emit MSG_ChannelizerIsRetuned(hwCenter.load(), float(offset), channel);
        return 1;
    }
    if (channel == 1)
        return 0;
    return retuneHardware(frequency, true) ? 1 : 0;
}

void Controller::stepUp(int channel)
{
    if (validChannel(channel) && !channelLocked[channel])
        setRxOffset(getRxOffset(channel) + stepHz[channel], channel);
}

void Controller::stepDown(int channel)
{
    if (validChannel(channel) && !channelLocked[channel])
        setRxOffset(getRxOffset(channel) - stepHz[channel], channel);
}

void Controller::setStepSize(int step, int channel)
{
    if (validChannel(channel) && !channelLocked[channel])
        stepHz[channel] = step;
}

int Controller::getStepSize(int channel) const
{
    return validChannel(channel) ? stepHz[channel].load() : 0;
}

qint64 Controller::getRxCenterFreq()
{
    if (hardware == nullptr)
        return -1;
    if (centreFromRecording.load())
        return hwCenter.load();
    hwCenter = hardware->getRxCenterFreq();
    return hwCenter.load();
}

void Controller::setHwCenterFreq(qint64 frequency, bool notify)
{
    retuneHardware(frequency, notify);
}

bool Controller::retuneHardware(qint64 frequency, bool notify)
{
    // A lock holds its channel on its frequency, and a retune would move it.
    if (hardware == nullptr || anyChannelLocked())
        return false;
    const qint64 before = hardware->getRxCenterFreq();
    const int accepted = hardware->setRxCenterFreq(frequency);
    hwCenter = hardware->getRxCenterFreq();
    if (accepted == 0 && hwCenter.load() == before && frequency != before) {
        // The receiver refused the frequency: the channels stay where they are.
        QLogger::logDebug(
            LogModule,
            QStringLiteral("Controller::retuneHardware %1 refused by the receiver").arg(frequency));
        return false;
    }
    qint64 residual = frequency - hwCenter.load();
    if (std::llabs(residual) > halfRate())
        residual = 0;
    for (int channel = 0; channel < ChannelCount; ++channel)
        setChannelOffset(channel, float(residual));
    if (notify) {
        for (int channel = 0; channel < ChannelCount; ++channel)
            emit MSG_ChannelizerIsRetuned(hwCenter.load(), float(residual), channel);
    }
    return true;
}

void Controller::disableFrequencyConverter()
{
    if (hardware == nullptr)
        return;
    hardware->frequencyConverter = nullptr;
    const qint64 low = hardware->getMin_HWRx_CenterFreq();
    const qint64 high = hardware->getMax_HWRx_CenterFreq();
    retuneHardware(low + (high - low) / 2, true);
}

bool Controller::isChannelLocked(int channel) const
{
    return validChannel(channel) && channelLocked[channel].load();
}

void Controller::setChannelLock(bool locked, int channel)
{
    if (validChannel(channel))
        channelLocked[channel] = locked;
}

void Controller::setBBLowHighCut(float low, float high, int channel, bool updateUI)
{
    if (validChannel(channel) && !channelLocked[channel])
        applyBBLowHighCut(low, high, channel, updateUI);
}

void Controller::applyBBLowHighCut(float low, float high, int channel, bool updateUI)
{
    if (!validChannel(channel))
        return;
    demodLock->acquire();
    if (Demodulator* demod = demodulator[channel]) {
        if (demod->mirrored) {
            high = clampEdge(high, float(demod->minHigh), float(demod->maxHigh));
            low = -high;
        } else {
            low = clampEdge(low, float(demod->minLow), float(demod->maxLow));
            high = clampEdge(high, float(demod->minHigh), float(demod->maxHigh));
        }
        demod->setFilterEdges(&low, &high);
    }
    // Without a demodulator the edges go to the channel as they are.
    Channelizer* channelChain = channelizer(channel);
    channelChain->setFilter(low, high);
    // A band the channel refused leaves its previous edges in force.
    low = channelChain->lowCut();
    high = channelChain->highCut();
    demodLock->release();

    emit MSG_newBBLowHighCutSet(int(low), int(high), channel);
    if (updateUI)
        emit MSG_UpdateReceiverUI(channel, qulonglong(hwCenter.load()), float(getRxOffset(channel)), int(low),
                                  int(high));
}

void Controller::installDemodulator(Demodulator* demod, int channel)
{
    if (!validChannel(channel) || channelLocked[channel])
        return;
    float low = 0;
    float high = 0;
    demodLock->acquire();
    takeOff(channel);
    demodulator[channel] = demod;
    if (demod != nullptr) {
        demod->install();
        high = float(demod->defaultHigh);
        low = demod->mirrored ? -high : float(demod->defaultLow);
    }
    demodLock->release();

    if (demod != nullptr && !channelLocked[channel])
        applyBBLowHighCut(low, high, channel, false);
    emit MSG_newDemodulatorInstalled(demod, channel);
}

void Controller::releaseDemodulator(Demodulator* demod)
{
    if (demod == nullptr)
        return;
    bool released[ChannelCount] = {};
    demodLock->acquire();
    for (int channel = 0; channel < ChannelCount; ++channel) {
        if (demodulator[channel] == demod) {
            takeOff(channel);
            released[channel] = true;
        }
    }
    demodLock->release();
    for (int channel = 0; channel < ChannelCount; ++channel) {
        if (released[channel])
            emit MSG_newDemodulatorInstalled(nullptr, channel);
    }
}

void Controller::takeOff(int channel)
{
    Demodulator* demod = demodulator[channel];
    if (demod == nullptr)
        return;
    demod->uninstall();
    // The view's queue goes with the installation: only the installed
    // demodulator of a channel ever copies into it.
    demod->setTDFifo(nullptr);
    demodulator[channel] = nullptr;
}

Demodulator* Controller::currentDemodulator(int channel)
{
    if (!validChannel(channel))
        return nullptr;
    demodLock->acquire();
    Demodulator* demod = demodulator[channel];
    demodLock->release();
    return demod;
}

void Controller::setRxGain(float gain, int stage)
{
    if (hardware == nullptr)
        return;
    hardware->setRxGain(gain, stage);
    rxGain = gain;
    emit MSG_newRxGainSet(gain);
}

int Controller::getSampleRate()
{
    if (hardware == nullptr)
        return -1;
    const int rate = hardware->getActualRxSampleRate();
    if (rate != rxSampleRate.exchange(rate))
        emit MSG_SamplingRateChanged(rate);
    return rate;
}

void Controller::setSampleRate(int rate)
{
    if (rate <= 0 || rate == rxSampleRate.load())
        return;
    rxSampleRate = rate;
    main_channelizer->setInputRate(rate);
    beacon_channelizer->setInputRate(rate);
    emit MSG_SamplingRateChanged(rate);
}

void Controller::changeSampleRate(int rate)
{
    if (hardware == nullptr || rate == rxSampleRate.load())
        return;
    hardware->setRxSampleRate(rate);
    setSampleRate(hardware->getActualRxSampleRate());
}
