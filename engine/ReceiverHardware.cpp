#include "engine/ReceiverHardware.h"

#include <QDebug>

namespace {
std::atomic<int> instanceCounter{0};
}

ReceiverHardware::ReceiverHardware() : m_instance(++instanceCounter) {}

ReceiverHardware::~ReceiverHardware() = default;

int ReceiverHardware::getType()
{
    return type;
}

int ReceiverHardware::getBoardCount()
{
    return 0;
}

QWidget* ReceiverHardware::getDisplayWidget()
{
    return nullptr;
}

void ReceiverHardware::setParam(QString, QString) {}

void ReceiverHardware::getParam(QString, QString&) {}

int ReceiverHardware::getSampleRateCount() const
{
    return sr_capabilities ? sr_capabilities->count() : 0;
}

int ReceiverHardware::getSampleRateValue(int index) const
{
    const int count = getSampleRateCount();
    if (count == 0 || index < 0)
        return 0;
    return sr_capabilities->rates[size_t(index % count)];
}

int ReceiverHardware::getPreferredSampleRate() const
{
    const int index = sr_capabilities ? sr_capabilities->preferredIndex : -1;
    if (index < 0 || index >= getSampleRateCount())
        return -1;
    return sr_capabilities->rates[size_t(index)];
}

int ReceiverHardware::getNearestSampleRate(int rate) const
{
    const int count = getSampleRateCount();
    if (count == 0)
        return 0;
    for (int candidate : sr_capabilities->rates) {
        if (unsigned(candidate) >= unsigned(rate))
            return candidate;
    }
    return sr_capabilities->rates[size_t(count - 1)];
}

void ReceiverHardware::debugSampleRates() const
{
    if (!sr_capabilities)
        qDebug() << "ReceiverHardware:" << m_instance << ":debugSampleRates sr_capabilities == NULL";
}
