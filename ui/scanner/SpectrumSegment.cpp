#include "ui/scanner/SpectrumSegment.h"

#include <QBrush>
#include <QColor>
#include <QPen>

SpectrumSegment::SpectrumSegment(const QString& name, const QColor& colour) : QwtPlotZoneItem()
{
    setTitle(name);
    setZ(999);
    setOrientation(Qt::Vertical);
    setItemAttribute(QwtPlotItem::Legend, true);

    QColor edge = colour;
    edge.setAlpha(10);
    setPen(edge, 0, Qt::SolidLine);
    QColor fill = colour;
    fill.setAlpha(80);
    setBrush(QBrush(fill, Qt::SolidPattern));
    setVisible(true);
}
