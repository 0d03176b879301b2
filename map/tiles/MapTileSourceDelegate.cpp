#include "MapTileSourceDelegate.h"

#include "CompositeTileSource.h"

#include <QPainter>

MapTileSourceDelegate::MapTileSourceDelegate(QWeakPointer<CompositeTileSource> composite, QObject* parent)
    : QStyledItemDelegate(parent), m_composite(composite)
{
}

void MapTileSourceDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const
{
    QSharedPointer<CompositeTileSource> composite = m_composite.toStrongRef();
    if (composite.isNull())
        return;
    QSharedPointer<MapTileSource> layer = composite->getSource(index.row());
    if (layer.isNull())
        return;

    painter->save();
    QRect rect = option.rect;
    rect.setRight(rect.right() - 2);
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(rect, selected ? option.palette.highlight() : option.palette.base());
    painter->setPen(option.palette.text().color());
    painter->drawRect(rect);

    const QRect textRect(rect.left() + 1, rect.top(), rect.width() - 2, rect.height());
    const QFont normalFont = painter->font();
    QFont nameFont = normalFont;
    if (nameFont.pointSizeF() > 0)
        nameFont.setPointSizeF(nameFont.pointSizeF() + 2);
    nameFont.setWeight(QFont::Bold);
    painter->setFont(nameFont);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop, layer->name());
    painter->setFont(normalFont);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      "Opacity: " + QString::number(composite->getOpacity(index.row()), 'f', 2));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignBottom,
                      QString("Status: ") +
                          (composite->getEnabledFlag(index.row()) ? "Enabled" : "Disabled"));
    painter->restore();
}

QSize MapTileSourceDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return QSize(150, 50);
}
