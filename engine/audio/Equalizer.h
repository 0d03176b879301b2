#pragma once

#include "engine/audio/BiquadSection.h"

#include "engine/dsp/Complex.h"
#include <QObject>
#include <QSemaphore>
#include <atomic>

// Four-band peaking equalizer on the stereo audio, one process-wide object. Each band
// has one section for channel 0 (real parts) and one for channel 1 (imaginary parts).
// Gains change on the equalizer's own thread (the GUI thread) through queued slots;
// the audio output thread runs process on every block.
class Equalizer : public QObject
{
    Q_OBJECT
public:
    static constexpr int kBandCount = 4;
    static constexpr double kSampleRate = 48000.0;

    // Created on first use; it lives in the application's main thread whichever
    // thread asks first, so that its queued slots run there.
    static Equalizer* instance();

    int getBandCount() const { return kBandCount; }
    int getBandFrequency(int band) const;
    // Start gain of a band in dB (what its slider shows first).
    int getBandStartGain(int band) const;
    double bandGain(int band) const;
    bool isEnabled() const { return m_enabled.load(); }

    // Runs the sections over count samples in place when enabled.
    void process(Complex* block, int count);

signals:
    // After every toggle, with the state now in force, so that the controls
    // show it whoever toggled.
    void enabledChanged(bool on);

public slots:
    // Sets band (channel % 4) to value dB in both channels.
    void SLOT_SliderChanged(int channel, int value);
    void SLOT_turnOnOffEqualizer();

private:
    Equalizer();
    static int bandIndex(int band);

    // Guards the sections: gain changes rewrite coefficients while the audio thread
    // may be processing a block.
    mutable QSemaphore m_lock{1};
    std::atomic<bool> m_enabled{true};
    BiquadSection m_leftSections[kBandCount];
    BiquadSection m_rightSections[kBandCount];
};
