#pragma once

#include <QtGlobal>

// Which frequency objects the map shows. Without a filter switched on, every
// object within the receiver's tuning range; "by frequency", only those inside
// the receiver's window (its centre -/+ half the sample rate); "by band", those
// inside the band the user picked, where its bounds are set.
class BeaconFilter
{
public:
    struct Range
    {
        qint64 min;
        qint64 max;
    };
    // The range when no receiver is known.
    static constexpr Range NoReceiverRange{0, 11000000000LL};

    bool byFrequency() const { return m_byFrequency; }
    void setByFrequency(bool on) { m_byFrequency = on; }
    bool byBand() const { return m_byBand; }
    void setByBand(bool on) { m_byBand = on; }

    qint64 windowLow() const { return m_windowLow; }
    qint64 windowHigh() const { return m_windowHigh; }
    // The window around the receiver's centre; refused (false, unchanged) when
    // either edge would be negative.
    bool setReceiverWindow(qint64 centre, int sampleRate);

    // Both bounds negative: the band filter goes off; otherwise it goes on with
    // these bounds (a bound below 1 is not set).
    void selectBand(qint64 start, qint64 stop);
    qint64 bandLow() const { return m_bandLow; }
    qint64 bandHigh() const { return m_bandHigh; }

    // The receiver's range narrowed by the band's set bounds while the band filter is on.
    Range withBand(Range receiver) const;
    bool shows(qint64 frequency, Range receiver) const;

private:
    bool m_byFrequency = false;
    bool m_byBand = false;
    qint64 m_windowLow = 0;
    qint64 m_windowHigh = 1;
    qint64 m_bandLow = -1;
    qint64 m_bandHigh = -1;
};
