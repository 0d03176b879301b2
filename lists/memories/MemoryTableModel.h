#pragma once

#include <QAbstractTableModel>
#include <QSemaphore>
#include <vector>

class dbBeacon;
class dbUserFreq;

// The personal memories of a frequency span as a table: ID, frequency in MHz,
// label, position and comment. Edits go straight to the database. The model
// owns its row objects.
class MemoryTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { IdColumn, FrequencyColumn, CallsignColumn, PositionColumn, CommentColumn, ColumnCount };

    // Loads the memories with minFreq <= FREQ <= maxFreq (a bound of 0 or below is open).
    MemoryTableModel(qint64 minFreq, qint64 maxFreq, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The row's memory, or null outside the rows.
    dbBeacon* memoryAt(int row) const;
    // Appends a row and takes the object.
    void addMemory(dbUserFreq* mem);
    // Removes (and deletes) the first row of that ID, if any.
    void removeMemory(int id);

private:
    dbUserFreq* rowAt(int row) const;

    mutable QSemaphore lock{1};
    std::vector<dbUserFreq*> rows;
};
