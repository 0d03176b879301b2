#include "ui/polar/qwtpolar/qwt_polar_item.h"

#include "ui/polar/qwtpolar/qwt_polar_plot.h"

QwtPolarItem::~QwtPolarItem()
{
    detach();
}

void QwtPolarItem::attach(QwtPolarPlot* plot)
{
    if (plot == attachedTo)
        return;
    detach();
    attachedTo = plot;
    if (attachedTo != nullptr)
        attachedTo->attachItem(this, true);
}

void QwtPolarItem::detach()
{
    if (attachedTo == nullptr)
        return;
    QwtPolarPlot* plot = attachedTo;
    attachedTo = nullptr;
    plot->attachItem(this, false);
}

void QwtPolarItem::setZ(double z)
{
    if (z == zValue)
        return;
    QwtPolarPlot* plot = attachedTo;
    if (plot != nullptr)
        plot->attachItem(this, false); // re-inserted in its new place
    zValue = z;
    if (plot != nullptr)
        plot->attachItem(this, true);
    itemChanged();
}

void QwtPolarItem::itemChanged()
{
    if (attachedTo != nullptr && attachedTo->autoReplot())
        attachedTo->replot();
}
