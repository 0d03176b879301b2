#include "engine/audio/Equalizer.h"

#include <QCoreApplication>
#include <QThread>
#include <memory>
#include <mutex>

namespace {
struct Band
{
    double frequency;
    double q;
    int startGainDb;
};
constexpr Band kBands[Equalizer::kBandCount] = {{300, 1, -3}, {1500, 3, 6}, {3500, 6, 1}, {6000, 3, 1}};
} // namespace

Equalizer* Equalizer::instance()
{
    static std::unique_ptr<Equalizer> equalizer;
    static std::once_flag once;
    std::call_once(once, [] {
        equalizer.reset(new Equalizer);
        QCoreApplication* app = QCoreApplication::instance();
        if (app && equalizer->thread() != app->thread())
            equalizer->moveToThread(app->thread());
    });
    return equalizer.get();
}

Equalizer::Equalizer()
{
    for (int band = 0; band < kBandCount; ++band) {
        const Band& b = kBands[band];
        m_leftSections[band].initialise(BiquadSection::Peak, b.frequency / kSampleRate, b.q, b.startGainDb);
        m_rightSections[band].initialise(BiquadSection::Peak, b.frequency / kSampleRate, b.q, b.startGainDb);
    }
}

int Equalizer::bandIndex(int band)
{
    return ((band % kBandCount) + kBandCount) % kBandCount;
}

int Equalizer::getBandFrequency(int band) const
{
    return static_cast<int>(kBands[bandIndex(band)].frequency);
}

int Equalizer::getBandStartGain(int band) const
{
    return kBands[bandIndex(band)].startGainDb;
}

double Equalizer::bandGain(int band) const
{
    m_lock.acquire();
    const double gain = m_leftSections[bandIndex(band)].gainDb;
    m_lock.release();
    return gain;
}

void Equalizer::SLOT_SliderChanged(int channel, int value)
{
    const int band = bandIndex(channel);
    m_lock.acquire();
    m_leftSections[band].setGain(value);
    m_rightSections[band].setGain(value);
    m_lock.release();
}

void Equalizer::SLOT_turnOnOffEqualizer()
{
    const bool on = !m_enabled.load();
    m_enabled = on;
    emit enabledChanged(on);
}

void Equalizer::process(Complex* block, int count)
{
    if (!block || count <= 0 || !m_enabled.load())
        return;
    m_lock.acquire();
    for (int i = 0; i < count; ++i) {
        double left = block[i].real();
        double right = block[i].imag();
        for (int band = 0; band < kBandCount; ++band) {
            left = m_leftSections[band].process(left);
            right = m_rightSections[band].process(right);
        }
        block[i] = Complex(static_cast<float>(left), static_cast<float>(right));
    }
    m_lock.release();
}
