#include "EqualizerSlider.h"

EqualizerSlider::EqualizerSlider(int band, const QString& label, QWidget* parent)
    : zxSlider(label, parent), m_band(band)
{
}

void EqualizerSlider::emitValue(double value)
{
    emit equalizerChanged(m_band, int(value));
}
