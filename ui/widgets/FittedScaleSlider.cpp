#include "ui/widgets/FittedScaleSlider.h"

#include <QEvent>
#include <qwt_scale_div.h>
#include <qwt_scale_draw.h>

#include <algorithm>

namespace {
// Room kept between two neighbouring labels, in pixels.
constexpr double LabelGap = 2.0;
} // namespace

FittedScaleSlider::FittedScaleSlider(QWidget* parent) : QwtSlider(parent)
{
    m_askedStep = scaleStepSize();
    m_askedMaxMajor = scaleMaxMajor();
}

void FittedScaleSlider::adoptAskedScale()
{
    m_askedStep = scaleStepSize();
    m_askedMaxMajor = scaleMaxMajor();
    fitLabels();
}

void FittedScaleSlider::resizeEvent(QResizeEvent* event)
{
    QwtSlider::resizeEvent(event);
    fitLabels();
}

void FittedScaleSlider::changeEvent(QEvent* event)
{
    QwtSlider::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitLabels();
}

void FittedScaleSlider::fitLabels()
{
    // Until its layout (or a resize) gives the slider a size, its length says
    // nothing about the room the labels have.
    if (!testAttribute(Qt::WA_Resized))
        return;
    setScaleMaxMajor(m_askedMaxMajor);
    setScaleStepSize(m_askedStep);
    if (!labelsCollide())
        return;
    // Qwt rounds the step for a number of intervals up to 1, 2 or 5 times a
    // power of ten; fewer intervals give fewer labels, so the first count whose
    // labels stand apart labels as many ticks as fit.
    const QwtScaleDraw* draw = qAsConst(*this).scaleDraw();
    const int labelHeight = std::max(1, draw->maxLabelHeight(font()));
    for (int intervals = std::max(1, int(draw->length()) / labelHeight); intervals >= 1; --intervals) {
        setScaleMaxMajor(intervals);
        setScaleStepSize(0);
        if (!labelsCollide())
            return;
    }
}

bool FittedScaleSlider::labelsCollide() const
{
    const QwtScaleDraw* draw = scaleDraw();
    if (!draw->hasComponent(QwtAbstractScaleDraw::Labels))
        return false;
    QList<double> ticks = draw->scaleDiv().ticks(QwtScaleDiv::MajorTick);
    std::sort(ticks.begin(), ticks.end());
    QRectF previous;
    for (double tick : ticks) {
        const QRectF label = draw->labelRect(font(), tick).translated(draw->labelPosition(tick));
        if (label.isEmpty())
            continue;
        const QRectF kept = label.adjusted(-LabelGap / 2, -LabelGap / 2, LabelGap / 2, LabelGap / 2);
        if (!previous.isNull() && kept.intersects(previous))
            return true;
        previous = kept;
    }
    return false;
}
