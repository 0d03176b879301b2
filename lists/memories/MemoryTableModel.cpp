#include "MemoryTableModel.h"

#include "lists/dbUserFreq.h"

#include <cmath>

namespace {

// Holds the model's one-permit lock for a scope.
class Locked
{
public:
    explicit Locked(QSemaphore& lock) : m_lock(lock) { m_lock.acquire(); }
    ~Locked() { m_lock.release(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    QSemaphore& m_lock;
};

// MHz typed by the user to hertz, rounded to the nearest hertz; 0 for text that
// is not a positive number that fits.
qint64 typedMhzToHz(const QVariant& value)
{
    bool ok = false;
    const double hz = value.toString().trimmed().toDouble(&ok) * 1e6;
    if (!ok || !std::isfinite(hz) || hz < 0.5 || hz >= 9.2e18)
        return 0;
    return std::llround(hz);
}

} // namespace

MemoryTableModel::MemoryTableModel(qint64 minFreq, qint64 maxFreq, QObject* parent)
    : QAbstractTableModel(parent)
{
    dbUserFreq reader;
    const QList<dbUserFreq*> found = reader.select_all(minFreq, maxFreq);
    for (dbUserFreq* mem : found) {
        mem->setParent(this);
        rows.push_back(mem);
    }
}

dbUserFreq* MemoryTableModel::rowAt(int row) const
{
    Locked guard(lock);
    return row >= 0 && row < int(rows.size()) ? rows[size_t(row)] : nullptr;
}

int MemoryTableModel::rowCount(const QModelIndex&) const
{
    Locked guard(lock);
    return int(rows.size());
}

int MemoryTableModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QVariant MemoryTableModel::data(const QModelIndex& index, int role) const
{
    // Nothing for the edit role: an editor opens empty.
    if (role != Qt::DisplayRole)
        return QVariant();
    const dbUserFreq* mem = rowAt(index.row());
    if (mem == nullptr)
        return QVariant();
    switch (index.column()) {
    case IdColumn:
        return QString::number(mem->ID);
    case FrequencyColumn:
        return QString::number(double(mem->FREQ) / 1e6, 'f', 3);
    case CallsignColumn:
        return mem->CALLSIGN;
    case PositionColumn:
        if (mem->hasPosition())
            return QString::number(mem->latitude, 'f', 6) + "," + QString::number(mem->longitude, 'f', 6);
        return mem->LOCATOR;
    case CommentColumn:
        return mem->comment;
    default:
        return QVariant();
    }
}

bool MemoryTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || index.model() != this ||
        index.column() <= IdColumn)
        return false;
    dbUserFreq* mem = rowAt(index.row());
    if (mem == nullptr)
        return false;
    switch (index.column()) {
    case FrequencyColumn:
        mem->setFrequency(typedMhzToHz(value)); // 0 changes nothing
        break;
    case CallsignColumn:
        mem->setCallsign(value.toString());
        break;
    case CommentColumn:
        mem->setComment(value.toString());
        break;
    case PositionColumn:
        break; // shown only
    default:
        return false;
    }
    emit dataChanged(index, index, {});
    return true;
}

QVariant MemoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case IdColumn:
        return tr("ID");
    case FrequencyColumn:
        return tr("Frequence");
    case CallsignColumn:
        return tr("Callsign");
    case PositionColumn:
        return tr("Position");
    case CommentColumn:
        return tr("Commentaire");
    default:
        return QVariant();
    }
}

Qt::ItemFlags MemoryTableModel::flags(const QModelIndex& index) const
{
    if (index.column() == IdColumn)
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled;
}

dbBeacon* MemoryTableModel::memoryAt(int row) const
{
    return rowAt(row);
}

void MemoryTableModel::addMemory(dbUserFreq* mem)
{
    const int n = rowCount();
    beginInsertRows(QModelIndex(), n, n);
    mem->setParent(this);
    {
        Locked guard(lock);
        rows.push_back(mem);
    }
    endInsertRows();
}

void MemoryTableModel::removeMemory(int id)
{
    int row = -1;
    for (size_t i = 0; i < rows.size() && row < 0; ++i)
        if (rows[i]->ID == id)
            row = int(i);
    if (row < 0)
        return;
    beginRemoveRows(QModelIndex(), row, row);
    dbUserFreq* removed = nullptr;
    {
        Locked guard(lock);
        removed = rows[size_t(row)];
        rows.erase(rows.begin() + row);
    }
    endRemoveRows();
    delete removed;
}
