#pragma once

#include <QItemDelegate>

// A line editor for the memory table's cells that commits when editing
// finishes. The table itself uses the view's standard editors.
class MemoryTableDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    explicit MemoryTableDelegate(QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private slots:
    void commitAndCloseEditor();
};
