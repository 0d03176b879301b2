#pragma once

#include <QtGlobal>

// An up- or down-converter in front of the receiver: its local oscillator and
// the radio-frequency range it accepts, all in Hz.
struct FrequencyConverter
{
    qint64 LO = 0;
    qint64 In_Min = 0;
    qint64 In_Max = 0;

    void set(qint64 lo, qint64 inMin, qint64 inMax);

    // Radio frequency (clamped to In_Min..In_Max) to the frequency the receiver tunes.
    qint64 toHardwareFreq(qint64 f) const;
    // Tuned frequency back to radio frequency. Inverts toHardwareFreq for radio
    // frequencies in (0, 2 x LO]; above that the input range straddles the LO,
    // which is a set-up error.
    qint64 fromHardwareFreq(qint64 h) const;
};
