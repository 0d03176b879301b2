#include "BeaconFilter.h"

bool BeaconFilter::setReceiverWindow(qint64 centre, int sampleRate)
{
    const qint64 half = sampleRate / 2;
    if (centre - half < 0 || centre + half < 0)
        return false;
    m_windowLow = centre - half;
    m_windowHigh = centre + half;
    return true;
}

void BeaconFilter::selectBand(qint64 start, qint64 stop)
{
    if (start < 0 && stop < 0) {
        m_byBand = false;
        return;
    }
    m_byBand = true;
    m_bandLow = start;
    m_bandHigh = stop;
}

BeaconFilter::Range BeaconFilter::withBand(Range receiver) const
{
    if (m_byBand) {
        if (m_bandLow >= 1)
            receiver.min = m_bandLow;
        if (m_bandHigh >= 1)
            receiver.max = m_bandHigh;
    }
    return receiver;
}

bool BeaconFilter::shows(qint64 frequency, Range receiver) const
{
    if (m_byFrequency)
        return m_windowLow <= frequency && frequency <= m_windowHigh;
    const Range range = withBand(receiver);
    return range.min <= frequency && frequency <= range.max;
}
