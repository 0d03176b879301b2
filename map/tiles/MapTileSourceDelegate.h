#pragma once

#include <QStyledItemDelegate>
#include <QWeakPointer>

class CompositeTileSource;

// Paints a row of the layer list: the layer's name, its opacity and whether it is enabled.
class MapTileSourceDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    MapTileSourceDelegate(QWeakPointer<CompositeTileSource> composite, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QWeakPointer<CompositeTileSource> m_composite;
};
