#pragma once

#include <qwt_plot_zoneitem.h>

class QColor;
class QString;

// A receive channel's visible band on the scanner plot: a vertical zone drawn in
// the channel's colour above the curves.
class SpectrumSegment : public QwtPlotZoneItem
{
public:
    SpectrumSegment(const QString& name, const QColor& colour);
};
