#include "ui/polar/MyPicker.h"

#include <QBrush>
#include <QColor>
#include <qwt_text.h>

QwtText MyPicker::trackerTextPolar(const QwtPointPolar& pos) const
{
    QwtText text = QwtPolarPicker::trackerTextPolar(pos);
    text.setBackgroundBrush(QBrush(QColor(255, 255, 255, 200)));
    return text;
}
