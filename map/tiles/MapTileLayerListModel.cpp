#include "MapTileLayerListModel.h"

#include "CompositeTileSource.h"

MapTileLayerListModel::MapTileLayerListModel(QWeakPointer<CompositeTileSource> composite, QObject* parent)
    : QAbstractListModel(parent), m_composite(composite)
{
    QSharedPointer<CompositeTileSource> strong = m_composite.toStrongRef();
    if (strong.isNull())
        return;
    connect(strong.data(), &CompositeTileSource::sourcesChanged, this,
            &MapTileLayerListModel::handleCompositeSourcesChanged);
    connect(strong.data(), &CompositeTileSource::sourceAdded, this,
            &MapTileLayerListModel::handleCompositeSourcesAdded);
    connect(strong.data(), &CompositeTileSource::sourceRemoved, this,
            &MapTileLayerListModel::handleCompositeSourcesRemoved);
}

int MapTileLayerListModel::rowCount(const QModelIndex&) const
{
    QSharedPointer<CompositeTileSource> strong = m_composite.toStrongRef();
    return strong.isNull() ? 0 : strong->numSources();
}

QVariant MapTileLayerListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QStringLiteral("Invalid index");
    if (index.row() >= rowCount())
        return QStringLiteral("Index out of bounds");
    QSharedPointer<CompositeTileSource> strong = m_composite.toStrongRef();
    if (strong.isNull())
        return QStringLiteral("Null composite");
    if (role != Qt::DisplayRole)
        return QVariant();
    QSharedPointer<MapTileSource> layer = strong->getSource(index.row());
    if (layer.isNull())
        return QStringLiteral("Error: Null source");
    return layer->name();
}

Qt::ItemFlags MapTileLayerListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

void MapTileLayerListModel::handleCompositeSourcesChanged()
{
    const int rows = rowCount();
    if (rows > 0)
        emit dataChanged(index(0), index(rows - 1));
}

void MapTileLayerListModel::handleCompositeSourcesAdded(int index)
{
    beginInsertRows(QModelIndex(), index, index);
    endInsertRows();
}

void MapTileLayerListModel::handleCompositeSourcesRemoved(int index)
{
    beginRemoveRows(QModelIndex(), index, index);
    endRemoveRows();
}
