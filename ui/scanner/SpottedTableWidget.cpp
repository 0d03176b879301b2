#include "ui/scanner/SpottedTableWidget.h"

#include "ui/scanner/SpotWrapper.h"
#include "ui/scanner/SpottedTableModel.h"

#include <QItemSelectionModel>
#include <QSortFilterProxyModel>

SpottedTableWidget::SpottedTableWidget(QWidget* parent) : QTableView(parent)
{
    tableModel = new SpottedTableModel(this);
    proxy = new QSortFilterProxyModel(this);
    proxy->setDynamicSortFilter(false);
    proxy->setSourceModel(tableModel);
    setModel(proxy);
    setSortingEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &SpottedTableWidget::SLOT_currentRowChanged);
}

void SpottedTableWidget::SLOT_newSpot(int id, qint64 frequency, float level_dBm, float angle)
{
    tableModel->addSpot(id, frequency, level_dBm, angle);
}

void SpottedTableWidget::SLOT_deadSpot(int id, qint64 frequency)
{
    clearSelection();
    tableModel->removeSpot(id, frequency);
}

void SpottedTableWidget::SLOT_currentRowChanged(const QModelIndex& current, const QModelIndex&)
{
    if (!current.isValid())
        return;
    if (const SpotWrapper* spot = tableModel->spotAt(proxy->mapToSource(current).row()))
        emit spotSelected(spot->frequency);
}
