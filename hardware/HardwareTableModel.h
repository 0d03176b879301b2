#pragma once

#include <QAbstractTableModel>
#include <QVector>

#include <mutex>

class ReceiverHardware;

// The receiver list of discovery as a table of five columns: name, kind,
// lowest and highest centre, preferred sample rate. The list is shared by
// pointer with discovery and the selection dialog; the model owns no receiver.
class HardwareTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = 5;

    HardwareTableModel(QVector<ReceiverHardware*>* list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Appends a receiver to the shared list as a new last row.
    void addHardware(ReceiverHardware* receiver);
    // The receiver of a row, or null.
    ReceiverHardware* receiverAt(int row) const;

    // The text of a receiver kind ("Local", "Distant", ...).
    static QString typeText(int type);
    // A sample rate as "250.0 KHz" below 1 MHz, else as "2.0 MHz".
    static QString sampleRateText(int rate);

private:
    QString cellText(ReceiverHardware* receiver, int column) const;

    mutable std::mutex m_listLock;
    QVector<ReceiverHardware*>* m_list;
};
