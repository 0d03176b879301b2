#include "hardware/HardwareTableModel.h"

#include "engine/ReceiverHardware.h"

HardwareTableModel::HardwareTableModel(QVector<ReceiverHardware*>* list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list)
{
}

int HardwareTableModel::rowCount(const QModelIndex&) const
{
    std::lock_guard<std::mutex> guard(m_listLock);
    return m_list->size();
}

int HardwareTableModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

ReceiverHardware* HardwareTableModel::receiverAt(int row) const
{
    std::lock_guard<std::mutex> guard(m_listLock);
    return row >= 0 && row < m_list->size() ? m_list->at(row) : nullptr;
}

QVariant HardwareTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || index.column() < 0 || index.column() >= ColumnCount)
        return QVariant();
    ReceiverHardware* receiver = receiverAt(index.row());
    if (receiver == nullptr)
        return QVariant();
    return cellText(receiver, index.column());
}

QVariant HardwareTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case 0:
        return tr("Librairie");
    case 1:
        return tr("Type");
    case 2:
        return tr("Frq min");
    case 3:
        return tr("Frq max");
    case 4:
        return tr("Bande def.");
    default:
        return QVariant();
    }
}

void HardwareTableModel::addHardware(ReceiverHardware* receiver)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    {
        std::lock_guard<std::mutex> guard(m_listLock);
        m_list->append(receiver);
    }
    endInsertRows();
}

QString HardwareTableModel::typeText(int type)
{
    switch (type) {
    case 0:
        return tr("Non-Valide");
    case 1:
    case 2:
        return tr("Local");
    case 4:
        return tr("Natif IQ Audio");
    case 5:
        return tr("Distant");
    default:
        return tr("plugin HDSDR/SDR#");
    }
}

QString HardwareTableModel::sampleRateText(int rate)
{
    if (rate < 1000000)
        return QString::number(rate / 1000.0, 'f', 1) + " KHz";
    return QString::number(rate / 1000000.0, 'f', 1) + " MHz";
}

QString HardwareTableModel::cellText(ReceiverHardware* receiver, int column) const
{
    switch (column) {
    case 0: {
        // Names are 8-bit texts in the local encoding (UTF-8 here), both those
        // of drivers and those of remote sources.
        const char* name = receiver->getHardwareName();
        return name != nullptr ? QString::fromLocal8Bit(name) : QString();
    }
    case 1:
        return typeText(receiver->getType());
    case 2:
        return QString::number(receiver->getMin_HWRx_CenterFreq() / 1e6, 'f', 1) + " MHz";
    case 3:
        return QString::number(receiver->getMax_HWRx_CenterFreq() / 1e6, 'f', 1) + " MHz";
    default:
        return sampleRateText(receiver->getPreferredSampleRate());
    }
}
