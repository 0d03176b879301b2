#include "ui/polar/AzimuthScaleDraw.h"

#include <QLocale>
#include <cmath>
#include <qwt_text.h>

namespace {
bool isMultipleOf(double value, double step)
{
    const double rest = std::fmod(value, step);
    return qFuzzyCompare(rest + 1.0, 1.0) || qFuzzyCompare(rest, step);
}
} // namespace

QwtText AzimuthScaleDraw::label(double value) const
{
    if (isMultipleOf(value, 360.0))
        return QwtText(QStringLiteral("0"));
    if (isMultipleOf(value, 45.0))
        return QwtText(QLocale().toString(value, 'g', 6));
    return QwtRoundScaleDraw::label(value);
}
