#include "MemoryTableWidget.h"

#include "MemoryTableModel.h"
#include "lists/dbUserFreq.h"

#include <QItemSelectionModel>
#include <QSortFilterProxyModel>

MemoryTableWidget::MemoryTableWidget(qint64 minFreq, qint64 maxFreq, QWidget* parent)
    : QTableView(parent), minFreq(minFreq), maxFreq(maxFreq),
      memories(new MemoryTableModel(minFreq, maxFreq)), proxy(new QSortFilterProxyModel(this))
{
    // A pass-through proxy: its row numbers are the model's.
    proxy->setDynamicSortFilter(false);
    proxy->setSourceModel(memories);
    setModel(proxy);
    setSortingEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &MemoryTableWidget::SLOT_currentRowChanged);
}

MemoryTableWidget::~MemoryTableWidget()
{
    // The view and the proxy let go of the model before it goes.
    setModel(nullptr);
    proxy->setSourceModel(nullptr);
    delete memories;
}

bool MemoryTableWidget::withinLimits(quint64 freq, qint64 minFreq, qint64 maxFreq)
{
    if (minFreq > 0 && freq < quint64(minFreq))
        return false;
    return maxFreq <= 0 || freq <= quint64(maxFreq);
}

void MemoryTableWidget::addMemory(dbUserFreq* mem)
{
    memories->addMemory(mem);
    scrollToBottom();
}

void MemoryTableWidget::removeMemory(int id)
{
    memories->removeMemory(id);
}

void MemoryTableWidget::SLOT_currentRowChanged(const QModelIndex& a, const QModelIndex&)
{
    if (a.row() < 0)
        return;
    dbBeacon* mem = memories->memoryAt(a.row());
    if (mem != nullptr && withinLimits(mem->FREQ, minFreq, maxFreq))
        emit spotSelected(mem);
}
