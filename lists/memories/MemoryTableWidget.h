#pragma once

#include <QModelIndex>
#include <QTableView>

class dbBeacon;
class dbUserFreq;
class MemoryTableModel;
class QSortFilterProxyModel;

// The memories of a frequency span in a table, one whole row selected at a
// time; selecting a memory within the span reports it by spotSelected.
class MemoryTableWidget : public QTableView
{
    Q_OBJECT

public:
    // A limit of 0 or below leaves that side open.
    MemoryTableWidget(qint64 minFreq, qint64 maxFreq, QWidget* parent = nullptr);
    ~MemoryTableWidget() override;

    // Appends a row (the widget's model takes the object) and scrolls to it.
    void addMemory(dbUserFreq* mem);
    void removeMemory(int id);
    MemoryTableModel* memoryModel() const { return memories; }

    // Whether a frequency lies within the limits, both included.
    static bool withinLimits(quint64 freq, qint64 minFreq, qint64 maxFreq);

signals:
    void spotSelected(dbBeacon* mem);

private slots:
    void SLOT_currentRowChanged(const QModelIndex& a, const QModelIndex& b);

private:
    qint64 minFreq;
    qint64 maxFreq;
    MemoryTableModel* memories;
    QSortFilterProxyModel* proxy;
};
