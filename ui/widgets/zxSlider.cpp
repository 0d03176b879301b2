#include "ui/widgets/zxSlider.h"

#include "ui/widgets/FittedScaleSlider.h"
#include "ui/widgets/ScaleRange.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

zxSlider::zxSlider(const QString& label, QWidget* parent)
    : QWidget(parent), slider(new FittedScaleSlider(this))
{
    slider->setHandleSize(QSize(17, 6));
    auto* caption = new QLabel(label, this);
    caption->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(slider);
    layout->addWidget(caption);
    connect(slider, &QwtSlider::valueChanged, this, &zxSlider::setNum);
}

void zxSlider::setRange(float min, float max)
{
    applyScaleRange(slider, min, max);
    slider->adoptAskedScale();
}

void zxSlider::setValue(float v)
{
    slider->setValue(v);
}

void zxSlider::setValueQuiet(float v)
{
    // Blocking the slider's own report (rather than arming a flag that the
    // report clears) keeps a quiet set to the value already shown from
    // swallowing the user's next change.
    const QSignalBlocker blocker(slider);
    slider->setValue(v);
}

double zxSlider::value() const
{
    return slider->value();
}

void zxSlider::emitValue(double v)
{
    emit valueChanged(static_cast<int>(v));
}

void zxSlider::setNum(double v)
{
    emitValue(v);
}
