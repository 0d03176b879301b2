#pragma once

#include <QAbstractListModel>
#include <QWeakPointer>

class CompositeTileSource;

// The layers of a composite tile source as a list model: one row per layer,
// showing the layer's name.
class MapTileLayerListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    MapTileLayerListModel(QWeakPointer<CompositeTileSource> composite, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private slots:
    void handleCompositeSourcesChanged();
    void handleCompositeSourcesAdded(int index);
    void handleCompositeSourcesRemoved(int index);

private:
    QWeakPointer<CompositeTileSource> m_composite;
};
