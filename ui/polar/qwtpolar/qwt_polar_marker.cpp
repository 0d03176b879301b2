#include "ui/polar/qwtpolar/qwt_polar_marker.h"

#include <QPainter>
#include <cmath>
#include <qwt_scale_map.h>
#include <qwt_symbol.h>

QwtPolarMarker::QwtPolarMarker()
{
    setZ(30);
}

QwtPolarMarker::~QwtPolarMarker() = default;

void QwtPolarMarker::setPosition(const QwtPointPolar& newPos)
{
    pos = newPos;
    itemChanged();
}

void QwtPolarMarker::setSymbol(const QwtSymbol* symbol)
{
    markerSymbol.reset(symbol);
    itemChanged();
}

void QwtPolarMarker::setLabel(const QwtText& label)
{
    text = label;
    itemChanged();
}

void QwtPolarMarker::setLabelAlignment(Qt::Alignment newAlignment)
{
    alignment = newAlignment;
    itemChanged();
}

void QwtPolarMarker::draw(QPainter* painter, const QwtScaleMap& azimuthMap, const QwtScaleMap& radialMap,
                          const QPointF& pole, double, const QRectF&) const
{
    const double a = azimuthMap.transform(pos.azimuth());
    const double r = radialMap.transform(pos.radius());
    const QPointF at = pole + QPointF(r * std::cos(a), -r * std::sin(a));

    QSizeF symbolSize(0, 0);
    if (markerSymbol && markerSymbol->style() != QwtSymbol::NoSymbol) {
        painter->setRenderHint(QPainter::Antialiasing, true);
        markerSymbol->drawSymbol(painter, at);
        symbolSize = markerSymbol->size();
    }
    if (text.isEmpty())
        return;

    const QSizeF textSize = text.textSize(painter->font());
    QRectF rect(QPointF(0, 0), textSize);
    rect.moveCenter(at);
    if (alignment & Qt::AlignLeft)
        rect.moveRight(at.x() - symbolSize.width() / 2);
    else if (alignment & Qt::AlignRight)
        rect.moveLeft(at.x() + symbolSize.width() / 2);
    if (alignment & Qt::AlignTop)
        rect.moveBottom(at.y() - symbolSize.height() / 2);
    else if (alignment & Qt::AlignBottom)
        rect.moveTop(at.y() + symbolSize.height() / 2);
    text.draw(painter, rect);
}
