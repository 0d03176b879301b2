#include "ui/scanner/SpottedList.h"

#include "engine/Controller.h"
#include "ui/polar/RadarView.h"
#include "ui/polar/qwtpolar/qwt_polar_spectrogram.h"
#include "ui/scanner/ColorMap.h"
#include "ui/scanner/SpottedTableWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <qwt_raster_data.h>
#include <qwt_scale_engine.h>
#include <qwt_scale_widget.h>
#include <qwt_slider.h>

namespace {
constexpr double ResetThreshold = -100.0;
}

SpottedList::SpottedList(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(1);

    auto* left = new QWidget(this);
    left->setMinimumWidth(300);
    left->setMaximumWidth(400);
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new QLabel(tr("Seuil:"), left));

    thresholdSlider = new QwtSlider(Qt::Horizontal, left);
    thresholdSlider->setScale(-100.0, 0.0);
    thresholdSlider->setValue(-50.0);
    thresholdSlider->setHandleSize(QSize(30, 16));
    thresholdSlider->setToolTip(tr("Seuil de detection en dB"));
    column->addWidget(thresholdSlider);

    table = new SpottedTableWidget(left);
    column->addWidget(table);

    auto* selectionRow = new QHBoxLayout();
    selectionRow->setContentsMargins(0, 0, 0, 0);
    selectionRow->addWidget(new QLabel(tr("Selection:"), left));
    // Display only, and without an input mask: a mask would garble the MHz text.
    selectionEdit = new QLineEdit(left);
    selectionEdit->setReadOnly(true);
    selectionRow->addWidget(selectionEdit);
    auto* toRxA = new QPushButton(tr("->RXA"), left);
    toRxA->setToolTip(tr("Regler RXA"));
    selectionRow->addWidget(toRxA);
    auto* toRxB = new QPushButton(tr("->RXB"), left);
    toRxB->setToolTip(tr("Regler RXB"));
    selectionRow->addWidget(toRxB);
    column->addLayout(selectionRow);
    layout->addWidget(left);

    radar = new RadarView(this);
    layout->addWidget(radar);

    colourBar = new QwtScaleWidget(QwtScaleDraw::RightScale, this);
    colourBar->setColorBarEnabled(true);
    QwtText title(QStringLiteral("Intensity"));
    QFont bold = title.font();
    bold.setBold(true);
    title.setFont(bold);
    colourBar->setTitle(title);
    const QwtInterval levels = radar->spectrogram()->data()->interval(Qt::ZAxis);
    colourBar->setColorMap(levels, new ColorMap());
    QwtLinearScaleEngine engine(10);
    colourBar->setScaleDiv(engine.divideScale(levels.minValue(), levels.maxValue(), 8, 5));
    radar->spectrogram()->setColorMap(new ColorMap());
    layout->addWidget(colourBar);

    connect(table, &SpottedTableWidget::spotSelected, this, &SpottedList::SLOT_userWantTuneOnSpot);
    connect(thresholdSlider, &QwtSlider::valueChanged, this, &SpottedList::SLOT_setThreshold);
    connect(toRxA, &QPushButton::pressed, this, &SpottedList::SLOT_tuneRXA);
    connect(toRxB, &QPushButton::pressed, this, &SpottedList::SLOT_tuneRXB);
}

void SpottedList::setController(Controller* engine, int followed)
{
    controller = engine;
    channel = followed;
}

QString SpottedList::getSelectionText() const
{
    return selectionEdit->text();
}

void SpottedList::resetThreshold()
{
    if (followAuto)
        return;
    followAuto = true;
    {
        const QSignalBlocker blocker(thresholdSlider);
        thresholdSlider->setValue(ResetThreshold);
    }
    emit newThreshold(ResetThreshold);
}

void SpottedList::SLOT_newSpot(int id, qint64 frequency, float level_dBm, float angle)
{
    table->SLOT_newSpot(id, frequency, level_dBm, angle);
}

void SpottedList::SLOT_deadSpot(int id, qint64 frequency)
{
    table->SLOT_deadSpot(id, frequency);
}

void SpottedList::SLOT_userWantTuneOnSpot(qint64 frequency)
{
    selectedFrequency = frequency;
    selectionEdit->setText(QString::number(frequency / 1000000.0, 'f', 6));
}

void SpottedList::tune(int tunedChannel)
{
    if (controller != nullptr && selectedFrequency != 0)
        controller->setAbsoluteRxFreq(selectedFrequency, tunedChannel);
}

void SpottedList::SLOT_tuneRXA()
{
    tune(0);
}

void SpottedList::SLOT_tuneRXB()
{
    tune(1);
}

void SpottedList::SLOT_autoThreshold(double t)
{
    if (!followAuto)
        return;
    const QSignalBlocker blocker(thresholdSlider);
    thresholdSlider->setValue(t);
}

void SpottedList::SLOT_setThreshold(double value)
{
    emit newThreshold(value);
    followAuto = false;
}
