#pragma once

class EqualizerSlider;
class QWidget;

// The equalizer's controls for the audio panel. The equalizer itself lives in
// the engine and knows no widget; these make its sliders and its one on/off
// button and wire them to it (queued: the equalizer's slots run in its thread).
namespace EqualizerControls {

// A new slider (no parent) for band % 4, labelled "<frequency> Hz", range
// -10..10, standing quietly at the band's start gain; only then connected.
EqualizerSlider* createSlider(int band);

// The on/off button "Equalizer", made at the first call and the same widget
// afterwards (until it is destroyed with its parent); its state follows the
// equalizer's flag.
QWidget* getOnOffButton();

} // namespace EqualizerControls
