#pragma once

#include "ui/widgets/zxSlider.h"

// One band's gain slider of the equalizer: instead of the slider's own value
// signal it reports its band with the value, truncated to whole dB.
class EqualizerSlider : public zxSlider
{
    Q_OBJECT
public:
    EqualizerSlider(int band, const QString& label, QWidget* parent = nullptr);

    int band() const { return m_band; }

signals:
    void equalizerChanged(int channel, int val);

protected:
    void emitValue(double value) override;

private:
    int m_band;
};
