#include "ui/widgets/ScaleRange.h"

#include <qwt_abstract_slider.h>
#include <qwt_scale_engine.h>

#include <cmath>

void applyScaleRange(QwtAbstractSlider* control, float min, float max)
{
    control->setScaleEngine(new QwtLinearScaleEngine(10));
    control->setScale(min, max);
    const int step = static_cast<int>((std::fabs(max) - std::fabs(min)) / 15.0);
    control->setScaleStepSize(step);
    control->setScaleMaxMinor(step);
    control->setValue(0.5 * (std::fabs(max) - std::fabs(min)) + min);
    control->setTotalSteps(100);
}
