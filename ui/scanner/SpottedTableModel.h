#pragma once

#include <QAbstractTableModel>
#include <QMutex>
#include <vector>

class SpotWrapper;

// The rows of the spot list, one per live spot, in the order they came. Rows are
// matched by identifier or by frequency (within 5 kHz). The lock guards the rows
// and is never held while views are told of a change: they read back at once.
class SpottedTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr qint64 MatchDistance = 5000; // Hz
    static constexpr int ColumnCount = 5;

    explicit SpottedTableModel(QObject* parent = nullptr);
    ~SpottedTableModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Null outside the rows.
    SpotWrapper* spotAt(int row) const;
    // The first row within 5 kHz of frequency or with the identifier; null and row -1
    // when there is none.
    SpotWrapper* findSpot(int id, qint64 frequency, int* row) const;
    // Updates the matching row in place (level, frequency, angle) or appends one.
    void addSpot(int id, qint64 frequency, float level, float angle);
    void removeSpot(int id, qint64 frequency);

private:
    mutable QMutex lock;
    std::vector<SpotWrapper*> rows;
};
