#include "ui/widgets/IndicatorWidget.h"

#include "core/ProgramSettings.h"
#include "core/QLogger.h"

#include <QPainter>
#include <QSettings>
#include <qwt_dial_needle.h>
#include <qwt_round_scale_draw.h>

#include <algorithm>
#include <cmath>

namespace {

// A bound or alarm from the file: only a finite number is taken.
bool readFinite(QSettings& settings, const QString& key, const QString& indicator, float* out)
{
    bool ok = false;
    const double v = settings.value(key).toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > 1e30) {
        QLogger::logError(LogModule,
                          QString("IndicatorWidget: indicator %1, \"%2\" is not a finite number: %3")
                              .arg(indicator, key, settings.value(key).toString()));
        return false;
    }
    *out = static_cast<float>(v);
    return true;
}

} // namespace

IndicatorWidget::IndicatorWidget(int idx, const QString& indicatorName, QWidget* parent)
    : QwtDial(parent), index(idx), name(indicatorName)
{
    configureDial();
    readSettings();
}

IndicatorWidget::IndicatorWidget(int idx, const QString& indicatorName, double minimum, double maximum,
                                 const QString& unitText, QWidget* parent)
    : QwtDial(parent), index(idx), minValue(static_cast<float>(minimum)),
      maxValue(static_cast<float>(maximum)), alarmValue(static_cast<float>(1.1 * maximum)),
      name(indicatorName), unit(unitText)
{
    configureDial();
}

void IndicatorWidget::readSettings()
{
    auto settings = ProgramSettings::open();
    settings->beginGroup(name);
    double lower = lowerBound();
    double upper = upperBound();
    if (!settings->contains("min"))
        settings->setValue("min", 0.0);
    else if (readFinite(*settings, "min", name, &minValue))
        lower = minValue;
    if (!settings->contains("max"))
        settings->setValue("max", 100.0);
    else if (readFinite(*settings, "max", name, &maxValue))
        upper = maxValue;
    if (!settings->contains("points"))
        settings->setValue("points", 255.0);
    else
        points = settings->value("points").toInt();
    if (!settings->contains("alarm"))
        settings->setValue("alarm", 0.0);
    else
        readFinite(*settings, "alarm", name, &alarmValue);
    settings->endGroup();
    // A bound that was refused keeps the dial's own; an empty range stays what
    // it was, since a scale of no width has nothing to draw.
    if (lower != upper)
        setScale(lower, upper);
}

void IndicatorWidget::configureDial()
{
    setMode(QwtDial::RotateNeedle);
    setFrameShadow(QwtDial::Sunken);
    auto* scaleDraw = new QwtRoundScaleDraw();
    scaleDraw->enableComponent(QwtAbstractScaleDraw::Backbone, false);
    scaleDraw->setTickLength(QwtScaleDiv::MinorTick, 0);
    scaleDraw->setTickLength(QwtScaleDiv::MediumTick, 4);
    scaleDraw->setTickLength(QwtScaleDiv::MajorTick, 8);
    scaleDraw->setSpacing(8);
    setScaleDraw(scaleDraw);
    setWrapping(false);
    setReadOnly(true);
    setOrigin(135.0);
    setScaleArc(0.0, 270.0);
    setNeedle(
        new QwtDialSimpleNeedle(QwtDialSimpleNeedle::Ray, true, Qt::red, QColor(Qt::gray).lighter(130)));
}

void IndicatorWidget::SLOT_updateValue(int newValue)
{
    if (newValue == lastValue)
        return;
    lastValue = newValue;
    if (points == 0)
        points = 1;
    const float shown = std::trunc(static_cast<float>(newValue) * (maxValue - minValue) / points + minValue);
    setValue(std::clamp(shown, std::min(minValue, maxValue), std::max(minValue, maxValue)));
}

void IndicatorWidget::SLOT_updateDValue(double newValue)
{
    setValue(newValue);
}

void IndicatorWidget::drawScaleContents(QPainter* painter, const QPointF& center, double radius) const
{
    QRectF rect(0, 0, 2 * radius, 2 * radius - 10);
    rect.moveCenter(center);
    painter->setPen(palette().color(QPalette::Text));
    painter->drawText(rect, Qt::AlignHCenter | Qt::AlignBottom, name);
}
