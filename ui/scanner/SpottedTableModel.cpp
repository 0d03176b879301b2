#include "ui/scanner/SpottedTableModel.h"

#include "ui/scanner/SpotWrapper.h"

#include <QMutexLocker>
#include <cstdlib>

SpottedTableModel::SpottedTableModel(QObject* parent) : QAbstractTableModel(parent) {}

SpottedTableModel::~SpottedTableModel()
{
    for (SpotWrapper* spot : rows)
        delete spot;
}

int SpottedTableModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    QMutexLocker locker(&lock);
    return static_cast<int>(rows.size());
}

int SpottedTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SpottedTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return QVariant();
    QMutexLocker locker(&lock);
    if (index.row() < 0 || index.row() >= int(rows.size()) || rows[index.row()] == nullptr)
        return QVariant();
    const SpotWrapper& spot = *rows[index.row()];
    switch (index.column()) {
    case 0:
        return QString::number(spot.id);
    case 1:
        return QString::number(spot.frequency / 1000000.0, 'f', 3);
    case 2:
        return QString::number(spot.level, 'f', 1);
    case 3:
        return QString::number(spot.angle, 'f', 1);
    case 4:
        return spot.created.toString(Qt::TextDate);
    default:
        return QVariant();
    }
}

QVariant SpottedTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QVariant();
    switch (section) {
    case 0:
        return tr("ID");
    case 1:
        return tr("Frequence");
    case 2:
        return tr("Niveau");
    case 3:
        return tr("Angle Opt");
    case 4:
        return tr("Heure");
    default:
        return QVariant();
    }
}

SpotWrapper* SpottedTableModel::spotAt(int row) const
{
    QMutexLocker locker(&lock);
    return row >= 0 && row < int(rows.size()) ? rows[row] : nullptr;
}

SpotWrapper* SpottedTableModel::findSpot(int id, qint64 frequency, int* row) const
{
    QMutexLocker locker(&lock);
    for (size_t i = 0; i < rows.size(); ++i) {
        SpotWrapper* spot = rows[i];
        if (std::llabs(spot->frequency - frequency) < MatchDistance || spot->id == id) {
            if (row != nullptr)
                *row = int(i);
            return spot;
        }
    }
    if (row != nullptr)
        *row = -1;
    return nullptr;
}

void SpottedTableModel::addSpot(int id, qint64 frequency, float level, float angle)
{
    int row = -1;
    if (SpotWrapper* spot = findSpot(id, frequency, &row)) {
        {
            QMutexLocker locker(&lock);
            spot->level = level;
            spot->frequency = frequency;
            spot->angle = angle;
        }
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::DisplayRole});
        return;
    }

    auto* spot = new SpotWrapper();
    spot->id = id;
    spot->frequency = frequency;
    spot->level = level;
    spot->angle = angle;
    spot->created = QDateTime::currentDateTime();
    const int last = rowCount();
    beginInsertRows(QModelIndex(), last, last);
    {
        QMutexLocker locker(&lock);
        rows.push_back(spot);
    }
    endInsertRows();
}

void SpottedTableModel::removeSpot(int id, qint64 frequency)
{
    int row = -1;
    if (findSpot(id, frequency, &row) == nullptr)
        return;
    beginRemoveRows(QModelIndex(), row, row);
    SpotWrapper* gone = nullptr;
    {
        QMutexLocker locker(&lock);
        gone = rows[row];
        rows.erase(rows.begin() + row);
    }
    endRemoveRows();
    delete gone;
}
