#pragma once

#include <QModelIndex>
#include <QTableView>

class QSortFilterProxyModel;
class SpottedTableModel;

// The table of live spots. Its proxy neither sorts nor filters, so the view's rows
// are the model's rows.
class SpottedTableWidget : public QTableView
{
    Q_OBJECT

public:
    explicit SpottedTableWidget(QWidget* parent = nullptr);
    SpottedTableModel* spotModel() const { return tableModel; }

public slots:
    void SLOT_newSpot(int id, qint64 frequency, float level_dBm, float angle);
    void SLOT_deadSpot(int id, qint64 frequency);
    void SLOT_currentRowChanged(const QModelIndex& current, const QModelIndex& previous);

signals:
    void spotSelected(qint64 frequency);

private:
    SpottedTableModel* tableModel = nullptr; // not "model": QTableView::model() is the proxy
    QSortFilterProxyModel* proxy = nullptr;
};
