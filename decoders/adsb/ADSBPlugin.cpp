#include "decoders/adsb/ADSBPlugin.h"

#include <QLabel>
#include <QVBoxLayout>

#include <qwt_dial.h>
#include <qwt_dial_needle.h>
#include <qwt_round_scale_draw.h>

const QString ADSBPlugin::Name = QStringLiteral("ADSB");

ADSBPlugin::ADSBPlugin() : dial(new QwtDial(this)), label(new QLabel(this))
{
    name = Name;
    title = tr("Mesures");

    auto* layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignHCenter);
    layout->setContentsMargins(0, 0, 0, 0);

    dial->setScale(0.0, DialMaximum);
    dial->setFrameShadow(QwtDial::Sunken);
    dial->setMode(QwtDial::RotateNeedle);
    auto* scaleDraw = new QwtRoundScaleDraw();
    scaleDraw->setSpacing(8);
    scaleDraw->enableComponent(QwtAbstractScaleDraw::Backbone, false);
    scaleDraw->setTickLength(QwtScaleDiv::MinorTick, 0);
    scaleDraw->setTickLength(QwtScaleDiv::MediumTick, 4);
    scaleDraw->setTickLength(QwtScaleDiv::MajorTick, 8);
    dial->setScaleDraw(scaleDraw);
    dial->setWrapping(false);
    dial->setReadOnly(true);
    dial->setOrigin(135.0);
    dial->setScaleArc(0.0, 270.0);
    dial->setNeedle(
        new QwtDialSimpleNeedle(QwtDialSimpleNeedle::Arrow, true, Qt::red, QColor(Qt::gray).lighter(130)));
    layout->addWidget(dial);

    label->setStyleSheet(QStringLiteral("QLabel { color : yellow; }"));
    label->setText(tr("Maj / secs."));
    layout->addWidget(label);
    hide();
}

double ADSBPlugin::shownValue() const
{
    return dial->value();
}

void ADSBPlugin::setValue(float stats)
{
    show();
    dial->setValue(double(stats));
}
