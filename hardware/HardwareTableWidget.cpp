#include "hardware/HardwareTableWidget.h"

#include "hardware/HardwareTableModel.h"

#include <QItemSelectionModel>

HardwareTableWidget::HardwareTableWidget(QVector<ReceiverHardware*>* list, QWidget* parent)
    : QTableView(parent), m_model(new HardwareTableModel(list, this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &HardwareTableWidget::SLOT_currentRowChanged);
}

void HardwareTableWidget::addHardware(ReceiverHardware* receiver)
{
    m_model->addHardware(receiver);
}

void HardwareTableWidget::SLOT_currentRowChanged(QModelIndex a, QModelIndex)
{
    if (ReceiverHardware* receiver = m_model->receiverAt(a.row()))
        emit rxHwSelected(receiver);
}
