#pragma once

class QwtAbstractSlider;

// The range rule shared by the captioned slider and knob: a linear decimal
// scale from min to max with a step (and as many minor ticks) of one fifteenth
// of |max| - |min|, the value put at 0.5 (|max| - |min|) + min (clamped into
// the range; the middle for ranges that start at 0 or above) and 100 steps.
// A step of 0 lets Qwt choose the ticks.
void applyScaleRange(QwtAbstractSlider* control, float min, float max);
