#pragma once

#include <QModelIndex>
#include <QTableView>
#include <QVector>

class HardwareTableModel;
class ReceiverHardware;

// The receiver table of the selection dialog: whole rows are selected, and a
// change of the current row announces that row's receiver.
class HardwareTableWidget : public QTableView
{
    Q_OBJECT
public:
    HardwareTableWidget(QVector<ReceiverHardware*>* list, QWidget* parent = nullptr);

    void addHardware(ReceiverHardware* receiver);
    HardwareTableModel* tableModel() const { return m_model; }

signals:
    void rxHwSelected(ReceiverHardware* rx);

public slots:
    void SLOT_currentRowChanged(QModelIndex a, QModelIndex b);

private:
    HardwareTableModel* m_model;
};
