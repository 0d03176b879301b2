#include "UtcClockText.h"

#include <QStringList>

QString utcClockText(int hour, int minute, int second, int millisecond)
{
    const auto twoDigits = [](int v) { return QString::number(v).rightJustified(2, '0'); };
    return QStringList{twoDigits(hour), twoDigits(minute), twoDigits(second)}.join(':') + '.' +
           QString::number(qBound(0, millisecond, 999) / 100);
}
